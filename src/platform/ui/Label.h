#pragma once

#include <QColor>
#include <QLabel>

#include "Control.h"

namespace ui {

class Label : public Control {
 public:
  explicit Label(QWidget* parent, const QString& caption = {});
  QString Caption() const { return m_label->text(); }
  void setCaption(const QString& text);
  bool setCaptionText(const QString& text) override {
    setCaption(text);
    return true;
  }
  // With AutoSize the label is exactly as wide as its caption.
  bool AutoSize() const { return m_autoSize; }
  void setAutoSize(bool on);
  void setAlignment(Qt::Alignment a) { m_label->setAlignment(a); }
  QColor ForeColor() const { return m_fore; }
  void setForeColor(const QColor& c);
  void setBackColor(const QColor& c);  // an invalid colour means transparent
  void setFont(int pointSize, bool bold = false, const QString& family = {});
  QLabel* label() const { return m_label; }

 private:
  void updateStyle();
  QLabel* m_label;
  QColor m_fore{220, 220, 220};
  QColor m_back;
  bool m_autoSize = false;
};

}  // namespace ui
