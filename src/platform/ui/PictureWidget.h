#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace ui {

// The painting side of a PictureBox.
class PictureWidget : public QWidget {
 public:
  explicit PictureWidget(QWidget* parent);
  ~PictureWidget() override;
  QPixmap picture;
  const QColor& back() const { return m_back; }
  // An opaque colour fills the whole control first, so the toolkit need not paint what lies
  // beneath it: the pages of the shared panel are stacked, and each change on the page in
  // front would otherwise paint the four behind it as well.
  void setBack(const QColor& c);
  QColor border;
  QImage canvas;  // what Line and FillRect drew, kept until Cls
  QString caption;
  QColor captionColor{230, 230, 230};
  // A painter on the canvas, kept open over a burst of strokes (a spectrum frame draws a
  // hundred) and closed before the canvas is shown, cleared or resized.
  QPainter& canvasPainter();
  void finishDrawing();
  void clearCanvas();

 protected:
  void paintEvent(QPaintEvent* e) override;
  // A control reached by Tab shows a dotted frame while it has the keyboard.
  void focusInEvent(QFocusEvent*) override { update(); }
  void focusOutEvent(QFocusEvent*) override { update(); }

 private:
  void ensureCanvas();
  QColor m_back{20, 22, 26};
  QPainter m_painter;
  bool m_drawn = false;  // something was drawn since the canvas was last cleared
};

}  // namespace ui
