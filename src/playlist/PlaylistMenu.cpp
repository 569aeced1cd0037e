#include "PlaylistMenu.h"

namespace playlist {

PlaylistMenu::PlaylistMenu(QMenu& menu, Playlist& list, PlayFromList& play,
                           PlaylistExport& exporter, audio::DeckActions& decks)
    : m_list(list), m_play(play), m_export(exporter), m_decks(decks) {
  auto entry = [&](const char* caption, void (PlaylistMenu::*handler)()) {
    QAction* a = menu.addAction(QString::fromUtf8(caption));
    QObject::connect(a, &QAction::triggered, [this, handler] { (this->*handler)(); });
    return a;
  };
  menu_mp3Play = entry("Play !", &PlaylistMenu::menu_mp3Play_Click);
  menu_mp3PlayA = entry("Play ! ( en A)", &PlaylistMenu::menu_mp3PlayA_Click);
  menu_mp3PlayB = entry("Play ! ( en B) ", &PlaylistMenu::menu_mp3PlayB_Click);
  menu.addSeparator();
  menu_mp3rem = entry("Remove", &PlaylistMenu::menu_mp3rem_Click);
  cmd_lstclean = entry("Clean List !", &PlaylistMenu::cmd_lstclean_Click);
  menu_export = entry("Export M3U…", &PlaylistMenu::menu_export_Click);
}

void PlaylistMenu::menu_mp3Play_Click() {
  m_play.PlaySelected();
}

void PlaylistMenu::menu_mp3PlayA_Click() {
  m_decks.SelectDeck(0);
  m_play.PlaySelected();
}

void PlaylistMenu::menu_mp3PlayB_Click() {
  m_decks.SelectDeck(1);
  m_play.PlaySelected();
}

void PlaylistMenu::menu_mp3rem_Click() {
  m_list.cmdquitarlst_Click();  // nothing without a selected entry
}

void PlaylistMenu::cmd_lstclean_Click() {
  m_list.cmdCls_Click();
}

void PlaylistMenu::menu_export_Click() {
  m_export.ExportM3U();
}

}  // namespace playlist
