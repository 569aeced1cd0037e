#include "FileBrowser.h"

#include "platform/os/NativePath.h"

namespace library {

FileBrowser::FileBrowser(BrowserView& view, FolderLister& lister, audio::DeckActions& decks)
    : m_v(view), m_lister(lister), m_decks(decks) {}

void FileBrowser::start() {
  // The lists name the folder at once (the window's set-up shows it in the box); its
  // contents follow when it has been read.
  const QByteArray here = platform::currentFolder();
  m_v.Dir1->setListing(here, {});
  m_v.File1->setListing(here, {});
  m_v.Drive1->showDriveOf(here);
  open(here, Why::Start);
}

void FileBrowser::reread() {
  open(m_v.File1->Path(), Why::Start);
}

void FileBrowser::open(const QByteArray& folder, Why why, std::function<void()> done) {
  const unsigned generation = ++m_generation;
  m_lister.list(folder, m_v.File1->patterns(),
                [this, generation, why, done = std::move(done)](const FolderListing& found) {
                  listed(generation, why, found);
                  if (done) done();
                });
}

void FileBrowser::listed(unsigned generation, Why why, const FolderListing& found) {
  // A folder asked for later has the last word.
  if (generation != m_generation) return;
  if (!found.readable) {
    if (why == Why::Start) return;
    if (why == Why::Drive) {
      tell(found, MessageIcon::Exclamation);
      m_v.Drive1->showDriveOf(m_v.Dir1->Path());
    } else {
      tell(found, MessageIcon::Critical);
      m_v.txtruta->setText(platform::displayPath(m_v.Dir1->Path()));
    }
    return;
  }
  m_v.Dir1->setListing(found.folder, found.folders);
  m_v.File1->setListing(found.folder, found.files);
  m_v.txtruta->setText(platform::displayPath(found.folder));
  m_v.Drive1->showDriveOf(found.folder);
}

void FileBrowser::tell(const FolderListing& failed, MessageIcon icon) {
  QString text = qt_error_string(failed.error);
  if (!failed.folder.isEmpty()) text = platform::displayPath(failed.folder) + ": " + text;
  if (MsgBox) MsgBox(text, icon);
}

QByteArray FileBrowser::typedFolder() const {
  const QString text = m_v.txtruta->Text();
  // While the box shows the browser's folder, that folder's own bytes are meant, even where
  // they are not valid text.
  if (text == platform::displayPath(m_v.Dir1->Path())) return m_v.Dir1->Path();
  return platform::absoluteFolder(platform::nativePath(text));
}

void FileBrowser::Drive1_Change() {
  const QByteArray root = m_v.Drive1->Drive();
  m_v.Drive1->Refresh();
  if (!root.isEmpty()) open(root, Why::Drive);
}

void FileBrowser::Dir1_Click() {
  // Choosing a row opens nothing (a double-click does); the file list already shows the
  // browser's folder, and the box shows it again.
  m_v.txtruta->setText(platform::displayPath(m_v.Dir1->Path()));
}

void FileBrowser::Dir1_DblClick() {
  const QByteArray folder = m_v.Dir1->folderAt(m_v.Dir1->SelectedIndex());
  if (!folder.isEmpty()) open(folder, Why::Folder);
}

void FileBrowser::File1_DblClick() {
  ui::FileListBox& files = *m_v.File1;
  int row = files.ListIndex();
  for (int i = 0; row < 0 && i < files.ListCount(); ++i)
    if (files.Selected(i)) row = i;
  // A file that has gone meanwhile does not open, and nothing changes.
  if (row >= 0) (void)m_decks.OpenDeckTrack(files.filePath(row), m_decks.SelectedDeck(), true);
}

void FileBrowser::File1_MouseUp(int Button, int, float X, float Y) {
  if (Button != ui::RightButton || !PopupMenu) return;
  const ui::FileListBox& files = *m_v.File1;
  QWidget* page = files.widget()->parentWidget();
  PopupMenu(
      page->mapToGlobal(QPoint(ui::toPixels(files.Left() + X), ui::toPixels(files.Top() + Y))));
}

void FileBrowser::cmdgodo_Click(std::function<void()> done) {
  m_v.cmdgodo->setEnabled(false);
  open(typedFolder(), Why::Folder, [this, done = std::move(done)] {
    m_v.cmdgodo->setEnabled(true);
    if (done) done();
  });
}

void FileBrowser::cmdback_Click() {
  const QByteArray here = typedFolder();
  // At a root there is nowhere further up.
  if (here.isEmpty() || platform::isRootFolder(here)) return;
  open(platform::parentFolder(here), Why::Folder);
}

void FileBrowser::cmdVEW_Click() {
  m_v.cmdVEW->setEnabled(false);
  cmdgodo_Click([this] { m_v.cmdVEW->setEnabled(true); });
}

QList<QByteArray> FileBrowser::selectedFiles() const {
  QList<QByteArray> out;
  const ui::FileListBox& files = *m_v.File1;
  for (int i = 0; i < files.ListCount(); ++i)
    if (files.Selected(i)) out << files.filePath(i);
  return out;
}

}  // namespace library
