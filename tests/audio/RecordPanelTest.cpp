#include <QFile>
#include <QRegularExpression>

#include "audio/CueSheet.h"
#include "support/PlayerFixture.h"

namespace {

class RecordPanelTest : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    platform::SettingsStore(
        platform::AppPaths::under(QString::fromStdString(dir.path())).settingsFile)
        .SaveSetting("TORNAVEL", "RECORD", "FOLDER", QString::fromStdString(dir.file("rec")));
    PlayerFixture::SetUp();
    main = &start();
  }
  QByteArray wav(const std::string& name, double hz) {
    fixtures::writeWav(dir.file(name), {{hz, 4.0}});
    return QByteArray::fromStdString(dir.file(name));
  }
  void play(const QByteArray& path, int deck, double seconds) {
    ASSERT_EQ(main->decks().engine().OpenDeckTrack(path, deck, true),
              audio::DeckActions::Open::Opened);
    render(seconds);
    main->record().ticked();
  }
};

// Three tracks started one after another while recording: the one already playing at the
// start, then one on each deck. The cue sheet places each where it began in the recording and
// names it by its tags when the track database has them, or else by its file name.
TEST_F(RecordPanelTest, TheCueSheetListsEachTrackStartedWhileRecording) {
  const QByteArray one = wav("Alpha - One.wav", 440);
  main->trackFacts().set(one.toStdString(), {"Tag Artist", "Tag \"Title\"", {}});
  play(one, 0, 0.5);
  audio::RecordPanel& rec = main->record();
  rec.BTRec_Click();
  ASSERT_TRUE(rec.recording());
  render(1.0);
  rec.ticked();
  play(wav("Beta - Two.wav", 550), 1, 0.5);  // began 1 s in
  for (bool pause : {true, false}) {         // a pause and its resume start nothing
    main->decks().engine().SetDeckPaused(1, pause);
    rec.ticked();
  }
  play(wav("Three.wav", 660), 0, 2.0);  // began 1.5 s in
  EXPECT_EQ(rec.lblRecTime->Caption(), "00:00:03");
  EXPECT_EQ(audio::RecordPanel::shownTime((3723 * 44100) + 44099), "01:02:03");
  rec.BTRec_Click();
  EXPECT_FALSE(rec.recording());
  EXPECT_FALSE(program->engine().System.recordingState().active);

  const QString file = QString::fromStdString(rec.path());
  EXPECT_TRUE(QRegularExpression("/rec/\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.flac$")
                  .match(file)
                  .hasMatch())
      << file.toStdString();
  EXPECT_GT(QFile(file).size(), 10000);
  QFile cue(QString(file).replace(".flac", ".cue"));
  ASSERT_TRUE(cue.open(QIODevice::ReadOnly));
  EXPECT_EQ(cue.readAll().toStdString(), "FILE \"" + file.section('/', -1).toStdString() +
                                             "\" WAVE\n"
                                             "  TRACK 01 AUDIO\n"
                                             "    TITLE \"Tag 'Title'\"\n"
                                             "    PERFORMER \"Tag Artist\"\n"
                                             "    INDEX 01 00:00:00\n"
                                             "  TRACK 02 AUDIO\n"
                                             "    TITLE \"Two\"\n"
                                             "    PERFORMER \"Beta\"\n"
                                             "    INDEX 01 00:01:00\n"
                                             "  TRACK 03 AUDIO\n"
                                             "    TITLE \"Three\"\n"
                                             "    INDEX 01 00:01:37\n");
  // A new recording lists its own tracks: the two that play, and one of them started again
  // from its beginning.
  rec.BTRec_Click();
  render(0.5);
  rec.ticked();
  main->decks().engine().StopDeck(0);
  rec.ticked();
  play(QByteArray::fromStdString(dir.file("Three.wav")), 0, 0.5);
  rec.BTRec_Click();
  QFile again(QString::fromStdString(rec.path()).replace(".flac", ".cue"));
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll().count("INDEX 01"), 3);

  // Past 99 minutes the minutes go on counting.
  EXPECT_EQ(audio::cueSheet("m.wav", {{(6000 * 44100 + 44099), "P", ""}}, 44100),
            "FILE \"m.wav\" WAVE\n  TRACK 01 AUDIO\n    PERFORMER \"P\"\n    INDEX 01 100:00:74\n");
}

}  // namespace
