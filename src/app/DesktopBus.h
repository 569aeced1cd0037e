#pragma once

#include <QByteArrayList>
#include <QDBusConnection>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "platform/os/AudioFiles.h"

class QThread;

namespace app {

class Handover;
class Mpris;

// The player on the desktop session's bus. The first launch holds the media player's name
// for its run, takes the files later launches hand over, and shows its media controls there
// once the main window exists. A later launch finds the name held and hands its files over
// instead of starting a second player. Without a bus every launch runs on its own.
class DesktopBus {
 public:
  enum class Claim { Owned, Taken, NoBus };

  DesktopBus();
  ~DesktopBus();
  DesktopBus(const DesktopBus&) = delete;
  DesktopBus& operator=(const DesktopBus&) = delete;

  // Connects and asks for the name; the hand-over point is ready before the name shows, and
  // takes files of the `fileTypes` chosen.
  Claim claim(std::shared_ptr<const platform::FileTypeChoice> fileTypes);
  // Why there is no bus, for Claim::NoBus.
  const QString& error() const { return m_error; }

  // For the launch that holds the name: where handed-over files go.
  void onFilesHandedOver(std::function<void(const QByteArrayList&)> receiver);
  // Puts the main window's media controls on the bus.
  void publish(Mpris& mpris);

  // For a later launch: gives `files` (absolute paths) to the running player, which also
  // shows its window. Says how many it takes, or why it took none.
  struct HandOver {
    QString error;   // empty when the player answered
    uint taken = 0;  // of the files given
  };
  HandOver handOver(const QByteArrayList& files);

 private:
  std::optional<QDBusConnection> m_bus;
  std::unique_ptr<QThread> m_thread;  // where the hand-over point reads its calls
  std::unique_ptr<Handover> m_handover;
  QString m_error;
};

}  // namespace app
