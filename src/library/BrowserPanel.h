#pragma once

#include <memory>

#include "BrowserView.h"
#include "FileBrowser.h"
#include "FolderLister.h"
#include "PreListening.h"
#include "SamplesView.h"
#include "platform/os/AudioFiles.h"

namespace library {

// Tracks straight from disk: the file browser on its tab and pre-listening on the samples
// tab, with the thread that reads their folders. Both lists show files of the `fileTypes`
// chosen.
class BrowserPanel {
 public:
  BrowserPanel(QWidget* browserPage, QWidget* samplesPage, ui::Builder& build,
               audio::DeckActions& decks, audio::PreviewActions& preview,
               const platform::FileTypeChoice& fileTypes);
  ~BrowserPanel();

  BrowserView& view() { return *m_view; }
  FileBrowser& browser() { return *m_browser; }
  SamplesView& samplesView() { return *m_samplesView; }
  PreListening& samples() { return *m_samples; }
  FolderLister& lister() { return *m_lister; }
  // Both lists start on the folder the program runs in.
  void start();
  // The choice of file types changed: both lists read their folders again with its patterns.
  void fileTypesChanged();
  // Where both lists tell that a folder could not be opened.
  void setMessages(const FolderMessage& message);
  // No folder is read after this, and no answer arrives.
  void shutdown(int timeoutMs) { m_lister->shutdown(timeoutMs); }

 private:
  void wire();
  void showPatterns();

  std::unique_ptr<FolderLister> m_lister;
  std::unique_ptr<BrowserView> m_view;
  std::unique_ptr<FileBrowser> m_browser;
  std::unique_ptr<SamplesView> m_samplesView;
  std::unique_ptr<PreListening> m_samples;
  const platform::FileTypeChoice& m_fileTypes;
};

}  // namespace library
