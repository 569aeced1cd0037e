#include "Playlist.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <algorithm>
#include <cmath>
#include <utility>

#include "ForeignPlaylist.h"
#include "library/SeparaNom.h"
#include "platform/os/AudioFiles.h"
#include "platform/os/NativePath.h"

namespace playlist {

namespace {
constexpr float kRow = PlaylistView::kRow;

// Round to the nearest whole number, halves to even, as the row arithmetic does.
int roundEven(double v) {
  return int(std::nearbyint(v));
}
}  // namespace

Playlist::Playlist(PlaylistView& panel, PlaylistModel& model, QMenu& menu,
                   const platform::FileTypeChoice& fileTypes)
    : m_p(panel), m_model(model), m_menu(menu), m_fileTypes(fileTypes) {
  m_refusedReport.setSingleShot(true);
  m_refusedReport.setInterval(0);
  QObject::connect(&m_refusedReport, &QTimer::timeout, [this] { reportRefusedNames(); });
  m_appendTurns.setInterval(0);
  QObject::connect(&m_appendTurns, &QTimer::timeout, [this] { appendBatch(); });
}

bool Playlist::isStorableName(const QByteArray& name) {
  return !name.contains('\n') && !name.contains('\r') && !name.contains('\0');
}

void Playlist::reportRefusedNames() {
  m_refusedReport.stop();
  const int n = std::exchange(m_refusedNames, 0);
  if (n == 0 || !showError) return;
  showError(n == 1 ? QStringLiteral("1 file was left out of the playlist: its name holds a line "
                                    "break or a NUL byte, which the playlist file cannot keep.")
                   : QStringLiteral("%1 files were left out of the playlist: their names hold "
                                    "a line break or a NUL byte, which the playlist file cannot "
                                    "keep.")
                         .arg(n));
}

int Playlist::hoverTerm(float Y) {
  return int(std::floor(roundEven(double(Y) - 225.0) / double(kRow)));
}
int Playlist::pressTerm(float Y) {
  return int(std::floor(roundEven(double(Y) - 190.0) / double(kRow)));
}

int Playlist::firstVisibleNumber() const {
  // An entry's number is its position.
  return std::max(m_p.LSTMP3->FirstVisible() + 1, 1);
}

void Playlist::setCurrent(int position) {
  m_model.setCurrent(position);
  showCurrent();
}

void Playlist::showCurrent() {
  m_p.IdxLST->setCaption(QString::number(m_model.current()));
}

void Playlist::trackOpening(int) {
  m_p.PICSEL[2]->setVisible(false);
}

int Playlist::refuse() {
  ++m_refusedNames;
  m_refusedReport.start();
  return 0;
}

PlaylistEntry Playlist::entryFor(const QByteArray& path) const {
  // The artist and title come from the file's name as the user reads it.
  QString shown = platform::displayPath(path);
  PlaylistEntry e{path, library::SeparaNom(shown, 0), {}};
  shown = platform::displayPath(path);
  e.title = library::SeparaNom(shown, 1);
  return e;
}

bool Playlist::SendTOlst(QByteArray& name, int idxpos) {
  if (!isStorableName(name)) return refuse();
  PlaylistEntry e = entryFor(name);
  qsizetype from = name.size();
  while (from > 0 && !platform::isSeparatorByte(name[from - 1])) --from;
  name = name.mid(from);
  m_model.insert(idxpos != 0 && idxpos != kAppend ? idxpos : count() + 1, std::move(e));
  return true;
}

void Playlist::appendInTurns(const QList<QByteArray>& paths, std::function<void(int)> firstIn) {
  m_openings.push_back({paths, 0, std::move(firstIn)});
  // Room for them all at once: growing a list of a million entries takes longer than a turn.
  qsizetype waiting = 0;
  for (const Opening& o : m_openings) waiting += o.paths.size() - o.next;
  m_model.reserve(std::size_t(count() + waiting));
  // Files opened behind others wait their turn, so the list keeps the order they came in.
  if (m_openings.size() == 1 && appendBatch()) m_appendTurns.start();
}

void Playlist::appendNow(const QList<QByteArray>& paths) {
  std::vector<PlaylistEntry> entries;
  entries.reserve(std::size_t(paths.size()));
  for (const QByteArray& path : paths)
    if (isStorableName(path))
      entries.push_back(entryFor(path));
    else
      refuse();
  m_model.append(std::move(entries));
}

bool Playlist::appendBatch() {
  QElapsedTimer clock;
  clock.start();
  int budget = kBatchEntries;
  const platform::FileTypes types = m_fileTypes.value();
  while (!m_openings.empty() && budget > 0) {
    Opening& o = m_openings.front();
    std::vector<PlaylistEntry> entries;
    for (; o.next < o.paths.size() && budget > 0; --budget) {
      // Read through the shared list: a write access would copy a million names.
      const QByteArray& path = std::as_const(o.paths)[o.next++];
      // Whoever handed the files checked them; they may have gone since, or come from a
      // caller that did not check.
      if (!isStorableName(path))
        refuse();
      else if (platform::isPlayableAudio(platform::bytesOf(path), types) &&
               platform::isRegularFile(path))
        entries.push_back(entryFor(path));
      // A slow disk answers the checks slowly: the batch ends in time all the same.
      if (budget % 64 == 0 && clock.elapsed() >= kBatchMs) budget = 1;
    }
    const int first = count() + 1;
    const bool added = !entries.empty();
    m_model.append(std::move(entries));
    std::function<void(int)> firstIn = added ? std::exchange(o.firstIn, {}) : nullptr;
    if (o.next == o.paths.size()) m_openings.pop_front();
    if (firstIn) firstIn(first);
  }
  if (m_openings.empty()) m_appendTurns.stop();
  return !m_openings.empty();
}

QList<QByteArray> Playlist::waitingPaths() const {
  QList<QByteArray> out;
  for (const Opening& o : m_openings)
    for (qsizetype i = o.next; i < o.paths.size(); ++i)
      if (isStorableName(o.paths[i]) &&
          platform::isPlayableAudio(platform::bytesOf(o.paths[i]), m_fileTypes.value()))
        out.push_back(o.paths[i]);
  return out;
}

void Playlist::Veridx(int emp) {
  // Numbers are positions: the view shows them as they are after every change.
  (void)emp;
}

int Playlist::GetIndexFrom(const ui::ListView& list, float Y) const {
  int r = hoverTerm(Y) + 2;
  if (r <= 0) r = 1;
  const int f3 = std::max(list.FirstVisible() + 1, 1);
  int i = r + f3 - 1;
  if (i > list.Count()) i = list.Count();
  if (i <= 0) i = 1;
  return i;
}

void Playlist::LSTMP3_MouseDown(int Button, int, float, float Y) {
  if (Button != ui::LeftButton) return;
  const int p = pressTerm(Y);
  if (count() == 0 || p + 1 > count()) return;
  if (!PlaylistDragActive) {
    DragSourceIndex = p + 1 + firstVisibleNumber();
    PlaylistDragActive = true;
  }
  m_p.SelDir->setVisible(false);
  m_p.PICSEL[0]->setTop(float(p + 2) * kRow + m_p.LSTMP3->Top());
  m_p.PICSEL[0]->setVisible(true);
  m_p.PICSEL[0]->ZOrder(0);
}

void Playlist::showHover(int h) {
  m_p.PICSEL[1]->setTop(float(h + 2) * kRow + m_p.LSTMP3->Top());
  m_p.PICSEL[1]->ZOrder(0);
  m_p.PICSEL[1]->setVisible(true);
  m_p.SelDir->setTop(float(h + 1) * kRow + m_p.LSTMP3->Top());
  m_p.SelDir->setVisible(true);
  m_hoverRow = h + 1;
}

void Playlist::placeCurrentMarkers(int position) {
  const float top = m_p.LSTMP3->ItemTop(position - 1);
  m_p.PLAYNX->setVisible(true);
  m_p.PLAYNX->setTop(top);
  m_p.PICSEL[2]->setVisible(true);
  m_p.PICSEL[2]->ZOrder(0);
  m_p.PICSEL[2]->setTop(m_p.LSTMP3->Top() + top + kRow);
}

void Playlist::LSTMP3_MouseMove(int, int, float, float Y) {
  const int h = hoverTerm(Y);
  if (float(h + 2) * kRow <= m_p.LSTMP3->Height() && count() > 0 && h + 1 < count()) {
    showHover(h);
  } else {
    m_p.PICSEL[1]->setVisible(false);
    m_p.SelDir->setVisible(false);
  }
  const int c = current();
  if (c > 0 && c <= count()) {
    placeCurrentMarkers(c);
    m_p.PLAYNX->ZOrder(0);
  } else {
    m_p.PLAYNX->setVisible(false);
  }
}

void Playlist::LSTMP3_FilesDragOver(float, float Y) {
  const int h = hoverTerm(Y);
  if (float(h + 2) * kRow <= m_p.LSTMP3->Height() && count() > 0 && h + 1 < count()) showHover(h);
}

void Playlist::LSTMP3_MouseUp(int Button, int, float X, float Y) {
  if (count() == 0) return;
  if (Button == ui::RightButton) {
    const int h = hoverTerm(Y);
    if (h + 1 >= count()) return;
    showHover(h);
    m_p.Label1->setCaption(m_model.text(h + 1, PlaylistModel::Artist));
    const float mx = m_p.LSTMP3->Left() + X + m_p.PICTURELST->Left();
    const float my = m_p.LSTMP3->Top() + Y + m_p.PICTURELST->Top();
    QWidget* window = m_p.LSTMP3->widget()->window();
    m_menu.popup(window->mapToGlobal(QPoint(ui::toPixels(mx), ui::toPixels(my))));
  } else if (Button == ui::LeftButton && PlaylistDragActive) {
    moveEntry(Y);
  }
}

void Playlist::moveEntry(float Y) {
  int t = hoverTerm(Y) + 2;
  if (t <= 0) t = 1;
  m_dropRow = t;
  PlaylistDragActive = false;
  const int src = DragSourceIndex;
  int dest = t + firstVisibleNumber() - 1;
  if (dest > count()) dest = count();
  if (src != dest && src >= 1 && src <= count()) {
    m_model.move(src, dest);
    showCurrent();
  }
  m_p.Label7->setVisible(false);
  m_p.SelDir->setVisible(true);
  m_p.PICSEL[0]->setVisible(false);
}

void Playlist::LSTMP3_FilesDropped(const QList<QByteArray>& paths, float, float Y) {
  for (QByteArray path : paths) {
    if (!isStorableName(path)) {
      refuse();
      continue;
    }
    // A folder or a file that vanished on the way is skipped.
    if (!platform::isRegularFile(path)) continue;
    const int pos = GetIndexFrom(*m_p.LSTMP3, Y);
    if (foreignFormatOf(path) != ForeignFormat::Unknown) {
      insertForeignList(path, pos);
      continue;
    }
    if (!platform::isDroppedAudio(platform::bytesOf(path), m_fileTypes.value())) continue;
    SendTOlst(path, pos);
    Veridx(pos);
  }
}

int Playlist::insertForeignList(const QByteArray& path, int position) {
  QString error;
  qsizetype listed = 0, missing = 0;
  const QList<ForeignEntry> entries = readForeignPlaylist(path, &error, [&](const QByteArray& p) {
    ++listed;
    const bool found = localFileExists(p);
    missing += found ? 0 : 1;
    return found;
  });
  if (!error.isEmpty()) {
    if (showError) showError(error);
    return 0;
  }
  const int first = std::clamp(position, 1, count() + 1);
  int at = first;
  for (const ForeignEntry& e : entries) {
    // Entries the decks would not take (other players list formats this one does not
    // play) stay out, as they do from a folder drop.
    if (!platform::isPlayableAudio(platform::bytesOf(e.path), m_fileTypes.value())) continue;
    QByteArray name = e.path;
    if (SendTOlst(name, at)) m_model.setLengthSeconds(at++, e.lengthSeconds);
  }
  // A list that gives nothing says why, unless its names were refused (said already).
  if (at == first && showError &&
      std::all_of(entries.begin(), entries.end(),
                  [](const ForeignEntry& e) { return isStorableName(e.path); }))
    showError(
        QStringLiteral("%1 adds nothing to the playlist: %2.")
            .arg(QFile::decodeName(path), nothingTaken(listed, missing, m_fileTypes.value())));
  return at - first;
}

void Playlist::LSTMP3_RowsDropped(const QList<QByteArray>& paths, float Y) {
  int t = hoverTerm(Y) + 2;
  if (t <= 0) t = 1;
  m_dropRow = t;
  const int f2 = std::max(m_p.LSTMP3->FirstVisible() + 1, 1);
  int pos = t + f2;
  if (pos > count()) pos = count() + 1;
  // Each row after the one before it, so the rows keep the order they had in the library.
  for (QByteArray path : paths)
    if (SendTOlst(path, pos)) ++pos;
}

void Playlist::cmdquitarlst_Click() {
  const int selected = m_p.LSTMP3->SelectedIndex();
  if (selected < 0) return;
  m_model.remove(selected + 1);
  showCurrent();
}

void Playlist::cmdCls_Click() {
  m_model.clear();
}

}  // namespace playlist
