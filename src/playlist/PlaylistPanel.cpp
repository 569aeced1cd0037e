#include "PlaylistPanel.h"

namespace playlist {

PlaylistPanel::PlaylistPanel(QWidget* window, ui::Builder& build, audio::DeckActions& decks,
                             AutoMixSettings& mix, const platform::FileTypeChoice& fileTypes)
    : m_view(std::make_unique<PlaylistView>(window, m_model, build)),
      m_list(std::make_unique<Playlist>(*m_view, m_model, m_menu, fileTypes)),
      m_file(std::make_unique<PlaylistFile>(*m_list)),
      m_play(std::make_unique<PlayFromList>(*m_list, *m_view, decks)),
      m_export(std::make_unique<PlaylistExport>(m_model, decks, window)),
      m_menuEntries(std::make_unique<PlaylistMenu>(m_menu, *m_list, *m_play, *m_export, decks)),
      m_autoMix(std::make_unique<AutoMix>(*m_list, *m_view, decks, build, mix)) {
  wire(mix);
}

PlaylistPanel::~PlaylistPanel() = default;

void PlaylistPanel::wire(AutoMixSettings& settings) {
  PlaylistView& v = *m_view;
  auto& pl = *m_list;
  auto& play = *m_play;
  auto& mix = *m_autoMix;
  v.LSTMP3->onMouseDown = [&pl](int b, int s, float x, float y) {
    pl.LSTMP3_MouseDown(b, s, x, y);
  };
  v.LSTMP3->onMouseMove = [&pl](int b, int s, float x, float y) {
    pl.LSTMP3_MouseMove(b, s, x, y);
  };
  v.LSTMP3->onMouseUp = [&pl](int b, int s, float x, float y) { pl.LSTMP3_MouseUp(b, s, x, y); };
  v.LSTMP3->onDblClick = [&play] { play.LSTMP3_DblClick(); };
  v.LSTMP3->onFilesDropped = [&pl](const QList<QByteArray>& f, float x, float y) {
    pl.LSTMP3_FilesDropped(f, x, y);
  };
  v.LSTMP3->onFilesDragOver = [&pl](float x, float y) { pl.LSTMP3_FilesDragOver(x, y); };
  v.cmdnext->onClick = [&play] { play.cmdnext_Click(); };
  v.cmdbk->onClick = [&play] { play.cmdbk_Click(); };
  v.cmdquitarlst->onClick = [&pl] { pl.cmdquitarlst_Click(); };
  v.cmdCls->onClick = [&pl] { pl.cmdCls_Click(); };
  v.AutoL->onClick = [&v, &settings, &mix] {
    settings.on = v.AutoL->Value() != 0;
    mix.AutoL_Click();
  };
  v.chkR->onClick = [&v, &settings] { settings.repeat = v.chkR->Value() == 1; };
  v.AutoL->setValue(settings.on);
  v.chkR->setValue(settings.repeat);
  v.AutoLST->onTimer = [&mix] { mix.AutoLST_Timer(); };
  v.tmrmx->onTimer = [&mix] { mix.tmrmx_Timer(); };
}

void PlaylistPanel::stopTimers() {
  m_view->AutoLST->setEnabled(false);
  m_view->tmrmx->setEnabled(false);
}

}  // namespace playlist
