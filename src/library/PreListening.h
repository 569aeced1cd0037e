#pragma once

#include "FolderLister.h"
#include "FolderMessage.h"
#include "SampleSearch.h"
#include "SamplesView.h"
#include "audio/PreviewActions.h"

namespace library {

// Pre-listening: the audio files of a samples folder, played one at a time on the preview
// player at the level of its own slider, and found by the sample search. The list is the
// one the search walks.
class PreListening : public SampleList {
 public:
  PreListening(SamplesView& view, FolderLister& lister, audio::PreviewActions& preview);

  // Lists the folder the program runs in, until "Set" names another.
  void start();
  // Reads the folder shown again, quietly.
  void reread();
  void cmdsetfolders_Click();
  void FilesAMPLE_DblClick();
  void slsample_Change();
  void cmdsample_Click();
  void cmdbsqs_Click();
  // Every key searches, with the text as it was before the key.
  void txtbus_KeyPress(int KeyAscii);
  // The level the slider set: 1 at 0, silent at 100.
  float volume() const;

  int ListCount() const override { return m_v.FilesAMPLE->ListCount(); }
  QString List(int index) const override { return m_v.FilesAMPLE->List(index); }
  int ListIndex() const override { return m_v.FilesAMPLE->ListIndex(); }
  void setListIndex(int index) override { m_v.FilesAMPLE->setListIndex(index); }

  std::function<void(const QString&, MessageIcon)> MsgBox;

 private:
  void show(const QByteArray& folder, bool tellFailure);

  SamplesView& m_v;
  FolderLister& m_lister;
  audio::PreviewActions& m_preview;
  unsigned m_generation = 0;
  int m_level;  // the slider's last value: 0 full, 100 silent
};

}  // namespace library
