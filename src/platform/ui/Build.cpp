#include "Build.h"

namespace ui {

void Builder::nameForAccessibility(Control& control, const QString& name, int index) {
  const QString full = index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index);
  control.widget()->setAccessibleName(full);
  control.widget()->setObjectName(full);
}

PictureBox* Builder::box(QWidget* parent, float l, float t, float w, float h, const QColor& back,
                         const QString& caption) {
  auto* p = new PictureBox(parent);
  p->Move(l, t, w, h);
  p->setBackColor(back);
  if (!caption.isEmpty()) p->setCaption(caption);
  return p;
}

PictureBox* Builder::panel(QWidget* parent, float l, float t, float w, float h) {
  auto* p = box(parent, l, t, w, h, darkPalette().panel);
  p->setBorder(darkPalette().edge);
  return p;
}

PictureBox* Builder::pictureButton(QWidget* parent, float l, float t, float w, float h,
                                   const QString& caption) {
  auto* p = box(parent, l, t, w, h, darkPalette().button, caption);
  p->setBorder(darkPalette().buttonEdge);
  return p;
}

Label* Builder::label(QWidget* parent, float l, float t, float w, float h, const QString& caption,
                      int pixelSize, const QColor& colour, bool bold) {
  auto* lb = new Label(parent, caption);
  lb->Move(l, t, w, h);
  lb->setFont(pixelSize, bold);
  lb->setForeColor(colour);
  return lb;
}

}  // namespace ui
