#include "Label.h"

namespace ui {

Label::Label(QWidget* parent, const QString& caption)
    : Control(new QLabel(caption, parent)), m_label(static_cast<QLabel*>(widget())) {
  m_label->setTextFormat(Qt::PlainText);
  m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  updateStyle();
}

void Label::setCaption(const QString& text) {
  m_label->setText(text);
  if (m_autoSize) setWidth(toTwips(m_label->fontMetrics().horizontalAdvance(text) + 2));
}

void Label::setAutoSize(bool on) {
  m_autoSize = on;
  if (on) setCaption(Caption());
}

void Label::setForeColor(const QColor& c) {
  if (c == m_fore) return;
  m_fore = c;
  updateStyle();
}
void Label::setBackColor(const QColor& c) {
  m_back = c;
  updateStyle();
}

void Label::setFont(int pointSize, bool bold, const QString& family) {
  QFont f = m_label->font();
  if (!family.isEmpty()) f.setFamily(family);
  f.setPixelSize(pointSize);
  f.setBold(bold);
  m_label->setFont(f);
  if (m_autoSize) setCaption(Caption());
}

void Label::updateStyle() {
  // Colours go through the palette, not a style sheet: a sheet is parsed and matched again
  // on every change, far too slow for a logo that follows the music many times a tick.
  QPalette pal = m_label->palette();
  pal.setColor(QPalette::WindowText, m_fore);
  if (m_back.isValid()) pal.setColor(QPalette::Window, m_back);
  m_label->setAutoFillBackground(m_back.isValid());
  m_label->setPalette(pal);
}

}  // namespace ui
