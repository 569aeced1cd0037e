#pragma once

#include <QByteArrayList>
#include <QObject>
#include <functional>
#include <memory>

#include "platform/os/AudioFiles.h"

namespace app {

// Where a later launch of the player hands its files to the one already running, on the
// session bus at /org/tornavel/TornaVel. Paths cross as bytes, as the file system names them.
//
// It lives on a thread of its own: reading a call of a million names takes a while, and the
// answer must not wait for the window. The names go to the window thread in one queued call
// and into the playlist there in batches; the answer says at once how many it takes.
class Handover : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.tornavel.TornaVel")

 public:
  static constexpr const char* kPath = "/org/tornavel/TornaVel";
  static constexpr const char* kInterface = "org.tornavel.TornaVel";

  // Counts the files it takes by the `fileTypes` chosen, which it reads on its own thread
  // for as long as it lives.
  explicit Handover(std::shared_ptr<const platform::FileTypeChoice> fileTypes);

  // Run on the window thread with the files of each call; set before the first call.
  std::function<void(const QByteArrayList& files)> receiver;
  // How many of `files` the playlist takes by their names: audio of `types`, and nothing in
  // the name that its file cannot keep (a line break, a NUL).
  static uint takenOf(const QByteArrayList& files, platform::FileTypes types);

 public slots:
  // Absolute paths of files a later launch was given; none: it was started without files
  // and the running player shows its window. Returns how many it takes.
  Q_SCRIPTABLE uint OpenFiles(const QByteArrayList& files);

 private:
  std::shared_ptr<const platform::FileTypeChoice> m_fileTypes;
};

}  // namespace app
