#pragma once

#include <QDir>
#include <QFile>

#include "support/PlayerFixture.h"

// Paths in failure messages as text, not as lists of bytes.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
  *os << '"' << bytes.toStdString() << '"';
}

inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace fixtures {

// A started player whose library file lives in the test's folder; message boxes are
// collected instead of shown, and drain() lets the library worker finish and hands its
// results to the window, as the event loop would.
class LibraryFixture : public PlayerFixture {
 protected:
  void SetUp() override {
    chooseFileTypes(platform::FileTypes::MpegAndWma);
    PlayerFixture::SetUp();
    main = &start();
    db = QString::fromStdString(dir.file("Database.txt"));
    main->options().txtBase[0]->setText(db);
    main->library().scanner().MsgBox = [this](const QString& text, library::FolderScanner::Icon) {
      messages << text;
    };
  }
  void drain() { ASSERT_TRUE(main->library().worker().drain(60000)); }
  void writeDb(const QByteArray& bytes) {
    QFile f(db);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QList<QByteArray> dbLines() {
    QFile f(db);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QList<QByteArray> out;
    for (QByteArray l : f.readAll().split('\n')) {
      if (l.endsWith('\r')) l.chop(1);
      if (!l.isEmpty()) out << l;
    }
    return out;
  }
  QString mkdir(const QString& rel) {
    const QString p = QString::fromStdString(dir.path()) + "/" + rel;
    QDir().mkpath(p);
    return p;
  }
  static void touch(const QString& path) { QFile(path).open(QIODevice::WriteOnly); }
  QList<QByteArray> listed() {
    QList<QByteArray> out;
    for (int i = 0; i < main->library().libraryModel().count(); ++i)
      out << main->library().libraryModel().pathBytes(i);
    return out;
  }
  QStringList listedText() {
    QStringList out;
    for (int i = 0; i < main->library().libraryModel().count(); ++i)
      out << main->library().libraryModel().path(i);
    return out;
  }
  void addFolder(const QString& folder) {
    main->library().scanner().BrowseFolder = [folder](const QString&, const QString&) {
      return folder;
    };
    main->library().view().cmdbuq[0]->click();
  }
  void load() {
    main->LoadBaseDa();
    drain();
  }
  int search(const QString& text) {
    QString t = text;
    main->library().lists().BuscarinBase2(t);
    drain();
    return main->library().lists().lastHits();
  }
  QString db;
  QStringList messages;
};

}  // namespace fixtures
