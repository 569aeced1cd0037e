#include "MprisPlayer.h"

#include "Mpris.h"

namespace app {

MprisPlayer::MprisPlayer(Mpris* mpris) : QDBusAbstractAdaptor(mpris), m_mpris(*mpris) {}

QString MprisPlayer::PlaybackStatus() const {
  return m_mpris.playbackStatus();
}
QVariantMap MprisPlayer::Metadata() const {
  return m_mpris.metadata();
}
double MprisPlayer::Volume() const {
  return m_mpris.volume();
}
void MprisPlayer::setVolume(double volume) {
  m_mpris.setVolume(volume);
}
qlonglong MprisPlayer::Position() const {
  return m_mpris.position();
}
bool MprisPlayer::CanGoNext() const {
  return m_mpris.canGoNext();
}
bool MprisPlayer::CanGoPrevious() const {
  return m_mpris.canGoPrevious();
}
bool MprisPlayer::CanPlay() const {
  return m_mpris.canPlay();
}
bool MprisPlayer::CanPause() const {
  return m_mpris.canPause();
}
bool MprisPlayer::CanSeek() const {
  return m_mpris.canSeek();
}

void MprisPlayer::Next() {
  m_mpris.Next();
}
void MprisPlayer::Previous() {
  m_mpris.Previous();
}
void MprisPlayer::Pause() {
  m_mpris.Pause();
}
void MprisPlayer::PlayPause() {
  m_mpris.PlayPause();
}
void MprisPlayer::Stop() {
  m_mpris.Stop();
}
void MprisPlayer::Play() {
  m_mpris.Play();
}
void MprisPlayer::Seek(qlonglong Offset) {
  m_mpris.Seek(Offset);
}
void MprisPlayer::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
  m_mpris.SetPosition(TrackId, Position);
}
void MprisPlayer::OpenUri(const QString& Uri) {
  m_mpris.OpenUri(Uri);
}

}  // namespace app
