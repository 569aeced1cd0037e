#pragma once

#include <QString>

#include "Label.h"
#include "NamedControl.h"
#include "Palette.h"
#include "PictureBox.h"

// Making the laid-out controls of a panel: the window's look in one place, and every named
// control entered in the window's control order (where the language file and the skin find
// it by name).
namespace ui {

class Builder {
 public:
  explicit Builder(ControlOrder& order) : m_order(order) {}

  // Enters `control` under `name` (and its index in a control array) and returns it.
  template <typename T>
  T* named(T* control, const QString& name, int index = -1) {
    m_order.push_back({name, index, control});
    nameForAccessibility(*control, name, index);
    return control;
  }
  // "Name" or "Name(index)": what screen readers and scripts find the control by.
  static void nameForAccessibility(Control& control, const QString& name, int index);
  template <typename T>
  static T* place(T* control, float l, float t, float w, float h) {
    control->Move(l, t, w, h);
    return control;
  }

  static PictureBox* box(QWidget* parent, float l, float t, float w, float h, const QColor& back,
                         const QString& caption = {});
  static PictureBox* panel(QWidget* parent, float l, float t, float w, float h);
  static PictureBox* pictureButton(QWidget* parent, float l, float t, float w, float h,
                                   const QString& caption);
  static Label* label(QWidget* parent, float l, float t, float w, float h, const QString& caption,
                      int pixelSize, const QColor& colour = darkPalette().text, bool bold = false);

 private:
  ControlOrder& m_order;
};

}  // namespace ui
