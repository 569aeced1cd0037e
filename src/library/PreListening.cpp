#include "PreListening.h"

#include "platform/os/NativePath.h"

namespace library {

PreListening::PreListening(SamplesView& view, FolderLister& lister, audio::PreviewActions& preview)
    : m_v(view), m_lister(lister), m_preview(preview), m_level(view.slsample->Value()) {}

void PreListening::start() {
  const QByteArray here = platform::currentFolder();
  m_v.FilesAMPLE->setListing(here, {});
  show(here, false);
}

void PreListening::reread() {
  show(m_v.FilesAMPLE->Path(), false);
}

void PreListening::show(const QByteArray& folder, bool tellFailure) {
  const unsigned generation = ++m_generation;
  m_lister.list(folder, m_v.FilesAMPLE->patterns(),
                [this, generation, tellFailure](const FolderListing& found) {
                  if (generation != m_generation) return;
                  if (found.readable) {
                    m_v.FilesAMPLE->setListing(found.folder, found.files);
                  } else if (tellFailure && MsgBox) {
                    // The list keeps the folder it shows.
                    QString text = qt_error_string(found.error);
                    if (!found.folder.isEmpty())
                      text = platform::displayPath(found.folder) + ": " + text;
                    MsgBox(text, MessageIcon::Critical);
                  }
                });
}

void PreListening::cmdsetfolders_Click() {
  show(platform::absoluteFolder(platform::nativePath(m_v.txtsampleruta->Text())), true);
}

void PreListening::FilesAMPLE_DblClick() {
  const int row = m_v.FilesAMPLE->ListIndex();
  if (row >= 0) m_preview.PlayPreview(m_v.FilesAMPLE->filePath(row), volume());
}

float PreListening::volume() const {
  return float(100 - m_level) / 100.0f;
}

void PreListening::slsample_Change() {
  m_level = m_v.slsample->Value();
  m_preview.SetPreviewVolume(volume());
}

void PreListening::cmdsample_Click() {
  m_preview.StopPreview();
}

void PreListening::cmdbsqs_Click() {
  library::cmdbsqs_Click(*this, m_v.txtbus->Text());
}

void PreListening::txtbus_KeyPress(int) {
  cmdbsqs_Click();
}

}  // namespace library
