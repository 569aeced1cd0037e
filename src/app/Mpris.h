#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>
#include <array>
#include <functional>
#include <optional>

#include "audio/DeckActions.h"
#include "audio/DeckEvents.h"
#include "library/TrackFacts.h"
#include "platform/os/AudioFiles.h"
#include "playlist/PlaylistActions.h"

namespace app {

class MprisPlayer;

// The player as the desktop's media keys and widgets see it (MPRIS 2 at /org/mpris/MediaPlayer2;
// MprisRoot and MprisPlayer carry its two interfaces). Transport follows the selected deck as
// its buttons do, next and previous are the playlist's, the volume is the master knob. It
// reaches the decks and the playlist only through their actions; what it shows is compared
// with what it last announced on every deck tick and after every command, and the changes
// are announced.
class Mpris : public QObject, public audio::DeckEvents {
 public:
  static constexpr const char* kService = "org.mpris.MediaPlayer2.tornavel";
  static constexpr const char* kPath = "/org/mpris/MediaPlayer2";
  static constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

  // What the window does for Quit (its normal shut-down) and Raise.
  struct Window {
    std::function<void()> quit, raise;
  };
  // The media types offered are those of the `fileTypes` chosen.
  // What the track database knows of the files, for their tags; none: names only.
  const library::TrackFactsTable* facts = nullptr;

  Mpris(audio::DeckActions& decks, playlist::PlaylistActions& playlist, Window window,
        const platform::FileTypeChoice& fileTypes);
  ~Mpris() override;

  // Announces changes on `bus` from now on; the caller registers the object there.
  void attach(const QDBusConnection& bus);

  // org.mpris.MediaPlayer2
  void Raise();
  // Runs the shut-down once the call has been answered.
  void Quit();

  // org.mpris.MediaPlayer2.Player
  void Play();
  void Pause();
  void PlayPause();
  void Stop();
  void Next();
  void Previous();
  void Seek(qint64 offsetUs);
  void SetPosition(const QDBusObjectPath& track, qint64 positionUs);
  void OpenUri(const QString& uri);

  QString playbackStatus() const;
  QVariantMap metadata() const;
  double volume() const;
  void setVolume(double volume);
  qint64 position() const;
  bool canPlay() const;
  bool canPause() const;
  bool canSeek() const;
  bool canGoNext() const;
  bool canGoPrevious() const;

  void trackOpened(int deck) override;
  void ticked() override;

  // Told the Player properties that changed, as they are announced (tests listen here).
  std::function<void(const QVariantMap&)> onPropertiesChanged;
  MprisPlayer& player() { return *m_player; }
  // The media types of the files the player takes, for the root interface.
  QStringList supportedMimeTypes() const;

 private:
  audio::DeckActions::Track selectedTrack() const;
  QDBusObjectPath trackId(int deck) const;
  QVariantMap announced() const;
  void announce();
  void seekTo(std::int64_t ms);

  audio::DeckActions& m_decks;
  playlist::PlaylistActions& m_playlist;
  Window m_window;
  const platform::FileTypeChoice& m_fileTypes;
  MprisPlayer* m_player;  // a child, as are the root interface's adaptor
  std::optional<QDBusConnection> m_bus;
  QVariantMap m_last;
  std::array<quint64, 2> m_opened{};  // tracks each deck has taken, for track ids
};

}  // namespace app
