// Pre-listening: the samples folder's audio files, played on the preview player at the level
// of its own slider beside both decks, and the sample search.
#include <QStandardPaths>
#include <QTest>
#include <cerrno>

#include "library/BrowserFixture.h"

namespace {

using library::MessageIcon;

class PreListening : public fixtures::BrowserFixture {
 protected:
  library::PreListening& samples() { return panel->samples(); }
  // Shows `path` in the samples list, as "Set" does with a typed folder.
  void set(const QByteArray& path) {
    s->txtsampleruta->setText(QString::fromLocal8Bit(path));
    s->cmdsetfolders->click();
    drain();
  }
  QStringList listed() const {
    QStringList out;
    for (int i = 0; i < s->FilesAMPLE->ListCount(); ++i) out << s->FilesAMPLE->List(i);
    return out;
  }
  void preview(int row) {
    s->FilesAMPLE->setListIndex(row);
    s->FilesAMPLE->onDblClick();
    render(0.05);  // past the fade-in of a new channel
  }
  double level(double hz) { return fixtures::magnitudeAt(render(0.5), 44100, hz); }
  audio::DeckState& slot() { return deck(audio::PreviewSlot); }
};

TEST_F(PreListening, TheListShowsTheSamplesFolderWithWavFilesToo) {
  // Until "Set" is used the list shows the folder the program runs in; the box offers the
  // user's music folder.
  EXPECT_EQ(s->FilesAMPLE->Path(), QFile::encodeName(QDir::currentPath()));
  EXPECT_EQ(s->txtsampleruta->Text(),
            QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
  EXPECT_EQ(s->FilesAMPLE->Pattern(), "*.mp3;*.wav;*.wma");

  const QByteArray kit = folder("Kit");
  for (const char* name : {"Snare.WAV", "kick.Mp3", "Hat.wma", "Pad.ogg", "notes.txt"})
    touch(kit + "/" + name);
  set(kit);
  EXPECT_EQ(s->FilesAMPLE->Path(), kit);
  EXPECT_EQ(listed(), QStringList({"Hat.wma", "kick.Mp3", "Snare.WAV"}));

  // A folder that cannot be opened is reported and the list keeps its folder.
  set(kit + "/gone");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].second, MessageIcon::Critical);
  EXPECT_TRUE(messages[0].first.endsWith(qt_error_string(ENOENT)));
  EXPECT_EQ(s->FilesAMPLE->Path(), kit);
  EXPECT_EQ(listed().size(), 3);
}

TEST_F(PreListening, ThePreviewPlaysAtItsSlidersLevelBesideBothDecks) {
  const QByteArray kit = folder("Kit");
  tone(kit + "/a 660.wav", 660);
  tone(kit + "/b 770.wav", 770);
  tone(kit + "/c \xe9 880.wav", 880);  // a name that is not valid text
  set(kit);
  ASSERT_EQ(s->FilesAMPLE->ListCount(), 3);

  audio::DeckEngine& decks = main->decks().engine();
  ASSERT_EQ(decks.OpenDeckTrack(tone(QByteArray::fromStdString(dir.file("A.wav")), 440), 0, true),
            audio::DeckActions::Open::Opened);
  ASSERT_EQ(decks.OpenDeckTrack(tone(QByteArray::fromStdString(dir.file("B.wav")), 550), 1, true),
            audio::DeckActions::Open::Opened);

  // The decks' centred pitch knobs play a hair above the files' own speed; the preview plays
  // at its file's own speed.
  const double pitch = decks.PitchFactor(0);
  // Slider at 0: full level; all three play at once.
  preview(0);
  EXPECT_TRUE(slot().Playing);
  EXPECT_FLOAT_EQ(slot().Volume, 1.0f);
  const std::vector<float> all = render(0.5);
  EXPECT_NEAR(fixtures::magnitudeAt(all, 44100, 440 * pitch), 0.25, 0.015);
  EXPECT_NEAR(fixtures::magnitudeAt(all, 44100, 550 * pitch), 0.25, 0.015);
  EXPECT_NEAR(fixtures::magnitudeAt(all, 44100, 660), 0.25, 0.015);

  // Moving the slider sets the playing preview's level: 25 plays at 0.75, 100 is silent.
  s->slsample->setValue(25);
  render(0.05);
  EXPECT_FLOAT_EQ(slot().Volume, 0.75f);
  EXPECT_NEAR(level(660), 0.75 * 0.25, 0.015);
  s->slsample->setValue(100);
  render(0.05);
  EXPECT_LT(level(660), 0.002);
  EXPECT_NEAR(level(440 * pitch), 0.25, 0.015);  // the decks play on as they were

  // A second preview releases the first and starts at the slider's level.
  s->slsample->setValue(25);
  const sound::Handle first = slot().Sound;
  preview(1);
  EXPECT_NE(slot().Sound, first);
  float f, vol, pan;
  int prio;
  EXPECT_NE(program->engine().System.soundDefaults(first, f, vol, pan, prio), sound::Result::Ok);
  std::vector<float> out = render(0.5);
  EXPECT_LT(fixtures::magnitudeAt(out, 44100, 660), 0.002);
  EXPECT_NEAR(fixtures::magnitudeAt(out, 44100, 770), 0.75 * 0.25, 0.015);

  // The decks' own level controls leave the preview alone.
  main->decks().engine().SetVolumeKnob(0, main->decks().engine().VolumeTravel(0));
  render(0.05);
  EXPECT_NEAR(level(770), 0.75 * 0.25, 0.015);

  // Stop: silent at once; the sound stays loaded until the next preview.
  s->cmdsample->click();
  EXPECT_FALSE(slot().Playing);
  EXPECT_NE(slot().Sound, 0u);
  EXPECT_LT(level(770), 0.002);

  // A file whose name is not valid text plays from the list, by its bytes.
  s->slsample->setValue(0);
  preview(2);
  EXPECT_EQ(slot().Path, kit + "/c \xe9 880.wav");
  EXPECT_NEAR(level(880), 0.25, 0.015);
}

TEST_F(PreListening, EveryKeySearchesWithTheTextAsItWasBeforeTheKey) {
  const QByteArray kit = folder("Kit");
  for (const char* name : {"Intro.wav", "Drum loop.wav", "Drum fill.wav"}) touch(kit + "/" + name);
  set(kit);
  ASSERT_EQ(listed(), QStringList({"Drum fill.wav", "Drum loop.wav", "Intro.wav"}));
  QLineEdit* box = s->txtbus->edit();

  // From Intro.wav on, nothing after it holds "d": the search walks forward only.
  s->FilesAMPLE->setListIndex(2);
  QTest::keyClicks(box, "dru");
  EXPECT_EQ(s->txtbus->Text(), "dru");
  EXPECT_EQ(s->FilesAMPLE->ListIndex(), 2);
  s->cmdbsqs->click();
  EXPECT_EQ(s->FilesAMPLE->ListIndex(), 2);

  // With nothing chosen the first key (an empty text) takes the first file; "d" and "dr"
  // keep it, and so does the button with "dru".
  box->clear();
  s->FilesAMPLE->setListIndex(-1);
  QTest::keyClicks(box, "dru");
  EXPECT_EQ(s->FilesAMPLE->ListIndex(), 0);
  s->cmdbsqs->click();
  EXPECT_EQ(s->FilesAMPLE->ListIndex(), 0);

  // From Drum fill.wav, "l" still matches it ("fill"); only the button sees "lo".
  box->clear();
  QTest::keyClicks(box, "lo");
  EXPECT_EQ(s->FilesAMPLE->ListIndex(), 0);
  s->cmdbsqs->click();
  EXPECT_EQ(s->FilesAMPLE->ListIndex(), 1);
  EXPECT_EQ(s->FilesAMPLE->List(1), "Drum loop.wav");
}

}  // namespace
