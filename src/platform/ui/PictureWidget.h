#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace ui {

// The painting side of a PictureBox.
class PictureWidget : public QWidget {
 public:
  explicit PictureWidget(QWidget* parent);
  QPixmap picture;
  QColor back{20, 22, 26};
  QColor border;
  QImage canvas;  // what Line and FillRect drew, kept until Cls
  QString caption;
  QColor captionColor{230, 230, 230};
  void ensureCanvas();

 protected:
  void paintEvent(QPaintEvent* e) override;
};

}  // namespace ui
