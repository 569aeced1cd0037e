#pragma once

#include <QPixmap>
#include <QString>

namespace ui {

// Pictures by name ("\BTVolBack0UP.bmp"), as the active skin has them; a null picture when
// it has none.
class PictureSource {
 public:
  virtual ~PictureSource() = default;
  virtual QPixmap picture(const QString& name) = 0;
};

}  // namespace ui
