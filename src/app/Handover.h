#pragma once

#include <QByteArrayList>
#include <QObject>
#include <functional>

namespace app {

// Where a later launch of the player hands its files to the one already running, on the
// session bus at /org/tornavel/TornaVel. Paths cross as bytes, as the file system names them.
class Handover : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.tornavel.TornaVel")

 public:
  static constexpr const char* kPath = "/org/tornavel/TornaVel";
  static constexpr const char* kInterface = "org.tornavel.TornaVel";

  std::function<void(const QByteArrayList& files)> receiver;

 public slots:
  // Absolute paths of files a later launch was given; none: it was started without files
  // and the running player shows its window.
  Q_SCRIPTABLE void OpenFiles(const QByteArrayList& files) {
    if (receiver) receiver(files);
  }
};

}  // namespace app
