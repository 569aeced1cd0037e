#include "Library.h"

#include "ByteSearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace library {

namespace {
// The view is told about new rows at most this often, so it fills visibly without
// laying itself out again for every batch.
constexpr qint64 kPublishMs = 40;
constexpr qint64 kReadChunk = 8 << 20;

void setLibraryColumns(ui::ListView& list) {
  list.ClearColumnHeaders();
  list.AddColumnHeader(QStringLiteral("Pista"), 4000);
  list.AddColumnHeader(QStringLiteral("Ruta"), 5000);
}

QString trimBlanks(const QString& s) {
  qsizetype a = 0, b = s.size();
  while (a < b && s[a] == QLatin1Char(' ')) ++a;
  while (b > a && s[b - 1] == QLatin1Char(' ')) --b;
  return s.mid(a, b - a);
}
}  // namespace

Library::Library(LibraryControls& controls, PathListModel& library, PathListModel& results)
    : m_c(controls), m_library(library), m_results(results) {
  pumpEvents = [] { QCoreApplication::processEvents(); };
}

bool Library::LoadBaseDa() {
  // A reload started while one runs (from the events it lets through) takes over.
  const unsigned generation = ++m_loadGeneration;
  setLibraryColumns(*m_c.lstdata);
  m_library.clear();
  const QString path = m_c.txtBase0->Text();
  const QFileInfo info(path);
  if (!info.isFile() || info.size() < 1) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  if (m_c.InitLoading) m_c.InitLoading->setMax(int(std::min<qint64>(info.size() + 1, INT32_MAX)));
  if (m_c.lblStat) {
    m_c.lblStat->setVisible(true);
    m_c.lblStat->setCaption(QStringLiteral("Loading Database.txt..."));
  }
  PathStore& store = m_library.store();
  store.reserve(std::size_t(info.size() / 48), std::size_t(info.size()));
  QElapsedTimer published;
  published.start();
  std::size_t lineStart = 0;  // in the store's bytes
  for (;;) {
    char* into = store.reserveBytes(std::size_t(kReadChunk));
    const qint64 got = file.read(into, kReadChunk);
    const std::size_t arrived = got > 0 ? std::size_t(got) : 0;
    const bool atEnd = arrived == 0;
    const std::size_t scanFrom = store.commitBytes(std::size_t(kReadChunk), arrived);
    const std::size_t total = scanFrom + arrived;
    const char* data = store.data();
    std::size_t pos = std::max(scanFrom, lineStart);
    while (pos < total || (atEnd && lineStart < total)) {
      const void* nl = pos < total ? std::memchr(data + pos, '\n', total - pos) : nullptr;
      if (!nl && !atEnd) break;  // the rest of this line comes with the next block
      const std::size_t end = nl ? std::size_t(static_cast<const char*>(nl) - data) : total;
      std::size_t len = end - lineStart;
      if (len > 0 && data[lineStart + len - 1] == '\r') --len;
      const std::size_t start = lineStart;
      lineStart = pos = end + 1;
      if (len == 0) continue;
      if (store.size() % 1000 == 0) {
        if (m_c.InitLoading)
          m_c.InitLoading->setValue(int(std::min<std::size_t>(lineStart, INT32_MAX)));
        if (published.elapsed() >= kPublishMs) {
          m_library.publish();
          published.restart();
        }
        pumpEvents();
        if (generation != m_loadGeneration) return false;
      }
      store.addEntry(start, len);
    }
    if (atEnd) break;
  }
  m_library.publish();
  m_c.lblCntLST->setCaption(QString::number(m_library.count()));
  if (m_c.lblStat) m_c.lblStat->setCaption(QStringLiteral("Finish..."));
  return true;
}

int Library::BuscarinBase2(QString& Clave) {
  // A newer search (started from the events this one lets through) takes over, and the
  // results of the two never mix.
  const unsigned generation = ++m_searchGeneration;
  Clave = trimBlanks(Clave).toLower();
  setLibraryColumns(*m_c.lstresul);
  const std::shared_ptr<const PathStore> store = m_library.sharedStore();
  m_results.showPicks(store);
  int hits = 0;
  m_c.LblFolder->setCaption(QStringLiteral("Searching..."));
  const QByteArray needle = Clave.toLocal8Bit();
  const bool ascii =
      std::all_of(needle.begin(), needle.end(), [](char c) { return (c & 0x80) == 0; });
  const std::size_t total = std::size_t(m_library.count());
  QElapsedTimer published, pumped;
  published.start();
  pumped.start();
  const char* lower = store->lower();
  // Every hundred entries: one byte scan over their lower-cased paths, then a chance for
  // events (at most every few milliseconds, so a million entries are not held up by the
  // event loop ten thousand times).
  for (std::size_t first = 0; first < total; first += 100) {
    const std::size_t last = std::min(total, first + 100);
    if (first > 0 && pumped.elapsed() >= searchPumpMs) {
      if (published.elapsed() >= kPublishMs) {
        m_results.publish();
        published.restart();
      }
      pumpEvents();
      pumped.restart();
      if (generation != m_searchGeneration) return hits;
    }
    if (!ascii) {
      for (std::size_t i = first; i < last; ++i)
        if (store->path(i).toLower().contains(Clave)) {
          m_results.pick(i);
          ++hits;
        }
      continue;
    }
    std::size_t i = first;
    std::size_t from = store->begin(first);
    const std::size_t to = store->end(last - 1);
    while (i < last && from <= to) {
      const char* found = needle.isEmpty() ? lower + from
                                           : findBytes(lower + from, to - from, needle.constData(),
                                                       std::size_t(needle.size()));
      if (!found) break;
      const std::size_t at = std::size_t(found - lower);
      while (i < last && store->end(i) < at + std::size_t(needle.size())) ++i;
      if (i >= last) break;
      if (at >= store->begin(i)) {  // inside one entry, not across two
        m_results.pick(i);
        ++hits;
        ++i;
        if (i < last) from = store->begin(i);
      } else {
        from = at + 1;
      }
    }
  }
  m_results.publish();
  m_c.LblFolder->setCaption(QStringLiteral("...Ready"));
  return hits;
}

void Library::showBase(const char* file) {
  const QPixmap pic = skinPicture ? skinPicture(QString::fromLatin1(file)) : QPixmap();
  if (!pic.isNull()) m_c.BaseImg->setPicture(pic);
}

void Library::cmdbusq_Click() {
  if (m_c.txtbusq->Text().isEmpty()) return;
  m_c.lstresul->setVisible(true);
  m_c.lstresul->ZOrder(0);
  showBase("\\Base0.bmp");
  QString text = m_c.txtbusq->Text();
  BuscarinBase2(text);
}

void Library::txtbusq_KeyPress(int KeyAscii) {
  if (KeyAscii == 13) cmdbusq_Click();
}

void Library::txtbusq_KeyUp() {
  if (!m_c.txtbusq->Text().isEmpty()) return;
  m_c.lstresul->setVisible(false);
  showBase("\\Base1.bmp");
}

void Library::txtbusq_MouseMove() {
  m_c.txtbusq->widget()->setFocus();
}

}  // namespace library
