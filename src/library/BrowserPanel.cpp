#include "BrowserPanel.h"

namespace library {

BrowserPanel::BrowserPanel(QWidget* browserPage, QWidget* samplesPage, ui::Builder& build,
                           audio::DeckActions& decks, audio::PreviewActions& preview,
                           const platform::FileTypeChoice& fileTypes)
    : m_lister(std::make_unique<FolderLister>()),
      m_view(std::make_unique<BrowserView>(browserPage, build)),
      m_browser(std::make_unique<FileBrowser>(*m_view, *m_lister, decks)),
      m_samplesView(std::make_unique<SamplesView>(samplesPage, build)),
      m_samples(std::make_unique<PreListening>(*m_samplesView, *m_lister, preview)),
      m_fileTypes(fileTypes) {
  showPatterns();
  wire();
}

void BrowserPanel::showPatterns() {
  m_view->File1->setPatterns(platform::browserPatterns(m_fileTypes.value()));
  m_samplesView->FilesAMPLE->setPatterns(platform::samplePatterns(m_fileTypes.value()));
}

void BrowserPanel::fileTypesChanged() {
  showPatterns();
  m_browser->reread();
  m_samples->reread();
}

BrowserPanel::~BrowserPanel() {
  // No answer may reach the lists once they start to go.
  m_lister->shutdown(1000);
}

void BrowserPanel::start() {
  m_browser->start();
  m_samples->start();
}

void BrowserPanel::setMessages(const FolderMessage& message) {
  m_browser->MsgBox = message;
  m_samples->MsgBox = message;
}

void BrowserPanel::wire() {
  BrowserView& v = *m_view;
  FileBrowser& b = *m_browser;
  using H = ui::MouseHandler;
  v.Drive1->onChange = [&b] { b.Drive1_Change(); };
  v.Dir1->onMouseUp = H([&b](int bt, int, float, float) {
    if (bt == ui::LeftButton) b.Dir1_Click();
  });
  v.Dir1->onDblClick = [&b] { b.Dir1_DblClick(); };
  v.File1->onDblClick = [&b] { b.File1_DblClick(); };
  v.File1->onMouseUp = H([&b](int bt, int s, float x, float y) { b.File1_MouseUp(bt, s, x, y); });
  v.cmdgodo->onClick = [&b] { b.cmdgodo_Click(); };
  v.cmdback->onClick = [&b] { b.cmdback_Click(); };
  v.cmdVEW->onClick = [&b] { b.cmdVEW_Click(); };
  // Enter in the box opens the typed folder, as a folder box does.
  v.txtruta->onKeyPress = [&b](int key) {
    if (key == 13) b.cmdgodo_Click();
  };

  SamplesView& s = *m_samplesView;
  PreListening& p = *m_samples;
  s.cmdsetfolders->onClick = [&p] { p.cmdsetfolders_Click(); };
  s.FilesAMPLE->onDblClick = [&p] { p.FilesAMPLE_DblClick(); };
  s.slsample->onChange = [&p] { p.slsample_Change(); };
  s.cmdsample->onClick = [&p] { p.cmdsample_Click(); };
  s.cmdbsqs->onClick = [&p] { p.cmdbsqs_Click(); };
  s.txtbus->onKeyPress = [&p](int key) { p.txtbus_KeyPress(key); };
}

}  // namespace library
