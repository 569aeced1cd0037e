#include "PlayFromList.h"

namespace playlist {

using Open = audio::DeckActions::Open;

PlayFromList::PlayFromList(Playlist& playlist, PlaylistView& panel, audio::DeckActions& decks)
    : m_list(playlist), m_p(panel), m_decks(decks) {}

void PlayFromList::LSTMP3_DblClick() {
  const int selected = m_p.LSTMP3->SelectedIndex();
  // Nothing selected (an empty list included): nothing to play.
  if (selected < 0) return;
  PlayEntry(selected + 1);
}

bool PlayFromList::PlayEntry(int position) {
  if (position < 1 || position > m_list.count()) return false;
  // A file the deck took but could not play still becomes the current entry.
  if (m_decks.OpenDeckTrack(m_list.path(position), m_decks.SelectedDeck(), true) == Open::Refused)
    return false;
  m_list.setCurrent(position);
  m_list.placeCurrentMarkers(position);
  return true;
}

void PlayFromList::OpenFiles(const QList<QByteArray>& paths, Start start) {
  // The start is settled when the first file goes in.
  m_list.appendInTurns(paths, [this, start](int first) {
    const bool playing =
        m_decks.TrackOf(m_decks.SelectedDeck()).playback == audio::DeckActions::Playback::Playing;
    if (start == Start::Always || !playing) PlayEntry(first);
  });
}

void PlayFromList::PlaySelected() {
  const int selected = m_p.LSTMP3->SelectedIndex();
  if (selected < 0) return;
  m_list.setCurrent(selected + 1);
  if (m_decks.OpenDeckTrack(m_list.path(selected + 1), m_decks.SelectedDeck(), true) ==
      Open::Refused)
    return;
  m_p.PLAYNX->setVisible(true);
  m_p.PICSEL[2]->setVisible(true);
  m_p.PICSEL[2]->ZOrder(0);
}

void PlayFromList::cutTo(int position) {
  m_list.setCurrent(position);
  const int old = m_decks.SelectedDeck();
  const int next = 1 - old;
  m_decks.StopDeck(old);
  m_decks.SelectDeck(next);
  // A cut goes ahead whatever the file gives: the next deck is selected and the entry current.
  (void)m_decks.OpenDeckTrack(m_list.path(position), next, false);
  m_decks.PlayDeck(next);
  m_decks.SetVolumeKnob(next, 0);
  m_list.placeCurrentMarkers(position);
}

void PlayFromList::cmdnext_Click() {
  const int c = m_list.current();
  if (c >= m_list.count()) return;
  cutTo(c + 1);
}

void PlayFromList::cmdbk_Click() {
  const int c = m_list.current();
  if (c <= 1) return;
  cutTo(c - 1);
}

}  // namespace playlist
