#include "Library.h"

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
constexpr qint64 kReadChunk = 1 << 20;

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
  QByteArray carry;
  qint64 consumed = 0;
  bool atEnd = false;
  while (!atEnd) {
    QByteArray chunk = file.read(kReadChunk);
    atEnd = chunk.isEmpty();
    if (!carry.isEmpty()) chunk.prepend(carry);
    carry.clear();
    const char* data = chunk.constData();
    const qsizetype n = chunk.size();
    qsizetype start = 0;
    while (start < n) {
      const char* nl =
          static_cast<const char*>(std::memchr(data + start, '\n', std::size_t(n - start)));
      if (!nl && !atEnd) {
        carry = chunk.mid(start);
        break;
      }
      const qsizetype end = nl ? nl - data : n;
      qsizetype len = end - start;
      if (len > 0 && data[start + len - 1] == '\r') --len;
      const qsizetype lineStart = start;
      start = end + 1;
      if (len == 0) continue;
      if (store.size() % 1000 == 0) {
        if (m_c.InitLoading)
          m_c.InitLoading->setValue(int(std::min<qint64>(consumed + start, INT32_MAX)));
        if (published.elapsed() >= kPublishMs) {
          m_library.publish();
          published.restart();
        }
        pumpEvents();
        if (generation != m_loadGeneration) return false;
      }
      store.append(data + lineStart, std::size_t(len));
    }
    consumed += n - carry.size();
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
  const std::string_view key(needle.constData(), std::size_t(needle.size()));
  const std::size_t total = std::size_t(m_library.count());
  QElapsedTimer published;
  published.start();
  for (std::size_t i = 0; i < total; ++i) {
    if ((i + 1) % 100 == 0) {
      if (published.elapsed() >= kPublishMs) {
        m_results.publish();
        published.restart();
      }
      pumpEvents();
      if (generation != m_searchGeneration) return hits;
    }
    const bool match = ascii ? store->lowerBytes(i).find(key) != std::string_view::npos
                             : store->path(i).toLower().contains(Clave);
    if (match) {
      m_results.pick(i);
      ++hits;
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
