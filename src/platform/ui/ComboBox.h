#pragma once

#include <QComboBox>
#include <functional>

#include "Control.h"

namespace ui {

// A drop-down list (style 2: the list only, no typed text). Click comes when the user picks
// a row, even the row shown already; DropDown just before the list opens, so that it can be
// filled then.
class ComboBox : public Control {
 public:
  explicit ComboBox(QWidget* parent);
  void Clear() { m_box->clear(); }
  void AddItem(const QString& item) { m_box->addItem(item); }
  int ListCount() const { return m_box->count(); }
  QString List(int index) const { return m_box->itemText(index); }
  int ListIndex() const { return m_box->currentIndex(); }
  void setListIndex(int index) { m_box->setCurrentIndex(index); }
  QString Text() const { return m_box->currentText(); }
  std::function<void()> onDropDown;

 private:
  QComboBox* m_box;
};

}  // namespace ui
