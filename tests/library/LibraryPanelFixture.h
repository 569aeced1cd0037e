#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QWidget>
#include <memory>

#include "audio/DeckActions.h"
#include "library/LibraryPanel.h"
#include "library/PlaylistSink.h"
#include "media/AudioFixtures.h"

// Paths in failure messages as text, not as lists of bytes.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
  *os << '"' << bytes.toStdString() << '"';
}

namespace fixtures {

// The library's panel alone, without the window: its lists, its file in the test's folder
// and the worker thread its jobs run on. Message boxes are collected instead of shown, the
// load's progress is recorded, and drain() lets the worker finish and hands its results to
// the panel, as the event loop would.
class LibraryPanelFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    db = QString::fromStdString(dir.file("Database.txt"));
    open();
  }
  void TearDown() override {
    m_panel.reset();
    m_page.reset();
    m_order.clear();
  }

  // Ends the panel's worker as the end of the program does and makes a new panel on the
  // same files, as a user's next run.
  void restart() {
    TearDown();
    open();
  }
  library::LibraryPanel& library() { return *m_panel; }
  void setLibraryFile(const QString& file) { m_file.path = file; }
  bool LoadBaseDa() { return m_panel->lists().LoadBaseDa(); }

  void drain() { ASSERT_TRUE(m_panel->worker().drain(60000)); }
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
    for (int i = 0; i < m_panel->libraryModel().count(); ++i)
      out << m_panel->libraryModel().pathBytes(i);
    return out;
  }
  QStringList listedText() {
    QStringList out;
    for (int i = 0; i < m_panel->libraryModel().count(); ++i)
      out << m_panel->libraryModel().path(i);
    return out;
  }
  void addFolder(const QString& folder) {
    m_panel->scanner().BrowseFolder = [folder](const QString&, const QString&) { return folder; };
    m_panel->view().cmdbuq[0]->click();
  }
  void load() {
    LoadBaseDa();
    drain();
  }
  int search(const QString& text) {
    QString t = text;
    m_panel->lists().BuscarinBase2(t);
    drain();
    return m_panel->lists().lastHits();
  }

  // What the load showed of its progress.
  struct Progress : library::LoadProgress {
    qint64 maximum = -1, value = -1;
    bool finished = false;
    void loadStarted(qint64 m) override { maximum = m, value = -1, finished = false; }
    void loadAdvanced(qint64 v) override { value = v; }
    void loadFinished() override { finished = true; }
  };

  TempDir dir;
  TempDir data;  // the user's data folder, where the scan keeps its recovery file
  platform::FileTypeChoice fileTypes{platform::FileTypes::MpegAndWma};
  QString db;
  QStringList messages;
  Progress progress;

 private:
  struct NoPictures : ui::PictureSource {
    QPixmap picture(const QString&) override { return {}; }
  };
  // Rows sent to the decks or the playlist go nowhere: these tests look at the lists.
  struct NoDecks : audio::DeckActions {
    Open OpenDeckTrack(const QByteArray&, int, bool) override { return Open::Refused; }
    void PlayDeck(int) override {}
    void StopDeck(int) override {}
    int SelectedDeck() const override { return 0; }
    void SelectDeck(int) override {}
    bool HasTrack(int) const override { return false; }
    float VolumeKnobTop(int) const override { return 0; }
    float VolumeTravel(int) const override { return 0; }
    void SetVolumeKnob(int, float) override {}
    void PlaceVolumeKnob(int, float) override {}
    PositionBar positionBar(int) const override { return {}; }
    Track TrackOf(int) const override { return {}; }
    void SetDeckPaused(int, bool) override {}
    bool SeekDeck(int, std::int64_t) override { return false; }
    double SetPitchSpeed(int, double) override { return 1; }
    void BendDeck(int, double) override {}
    float MasterLevel() const override { return 1; }
    void SetMasterLevel(float) override {}
  };
  struct NoPlaylist : library::PlaylistSink {
    bool SendTOlst(QByteArray&, int) override { return false; }
  };

  void open() {
    m_file.path = db;
    m_page = std::make_unique<QWidget>();
    m_panel = std::make_unique<library::LibraryPanel>(
        m_page.get(), m_file, m_build, m_pictures,
        QString::fromStdString(data.file("DBFolder.tmp")), m_decks, m_playlist, m_tab, fileTypes);
    m_panel->lists().progress = &progress;
    m_panel->scanner().MsgBox = [this](const QString& text, library::FolderScanner::Icon) {
      messages << text;
    };
  }

  library::LibraryFile m_file;
  ui::ControlOrder m_order;
  ui::Builder m_build{m_order};
  NoPictures m_pictures;
  NoDecks m_decks;
  NoPlaylist m_playlist;
  ui::PanelMarker m_tab;
  std::unique_ptr<QWidget> m_page;
  std::unique_ptr<library::LibraryPanel> m_panel;
};

}  // namespace fixtures
