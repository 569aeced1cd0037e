#include "PlayFromList.h"

#include "platform/os/NativePath.h"

namespace playlist {

PlayFromList::PlayFromList(Playlist& playlist, PlaylistControls& controls, audio::DeckEngine& decks,
                           audio::Transport& transport, audio::VolumeControl& volume,
                           audio::DeckControls& deckControls)
    : m_list(playlist),
      m_c(controls),
      m_decks(decks),
      m_transport(transport),
      m_volume(volume),
      m_deckControls(deckControls) {}

void PlayFromList::LSTMP3_DblClick() {
  const int selected = m_c.LSTMP3->SelectedIndex();
  // Nothing selected (an empty list included): nothing to play.
  if (selected < 0) return;
  const int position = selected + 1;
  if (!m_decks.OpenDeckTrack(platform::nativePath(m_list.path(position)), m_decks.SelectedDeck(),
                             true))
    return;
  m_list.setCurrent(position);
  m_list.placeCurrentMarkers(position);
}

void PlayFromList::PlaySelected() {
  const int selected = m_c.LSTMP3->SelectedIndex();
  if (selected < 0) return;
  m_list.setCurrent(selected + 1);
  if (!m_decks.OpenDeckTrack(platform::nativePath(m_list.path(selected + 1)),
                             m_decks.SelectedDeck(), true))
    return;
  m_c.PLAYNX->setVisible(true);
  m_c.PICSEL[2]->setVisible(true);
  m_c.PICSEL[2]->ZOrder(0);
}

void PlayFromList::cutTo(int position) {
  m_list.setCurrent(position);
  const int old = m_deckControls.chksel[0]->Value() ? audio::DeckA : audio::DeckB;
  const int next = 1 - old;
  m_decks.StopDeck(old);
  m_deckControls.chksel[std::size_t(next)]->setValue(true);
  m_decks.OpenDeckTrack(platform::nativePath(m_list.path(position)), next, false);
  m_transport.BTPlay_Click(next);
  m_volume.MoveKnobTo(next, 0);
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
