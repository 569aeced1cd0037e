#include <QDir>
#include <filesystem>

#include "support/PlayerFixture.h"

namespace {

class DeckEngineTest : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
    engine = &main->decks().engine();
  }
  QByteArray wav(const std::string& name, double hz, double seconds = 3.0) {
    fixtures::writeWav(dir.file(name), {{hz, seconds}});
    return QByteArray::fromStdString(dir.file(name));
  }
  float channelVolume(int d) {
    float v = -1;
    program->engine().System.channelVolume(deck(d).Channel, v);
    return v;
  }
  audio::DeckEngine* engine = nullptr;
};

TEST_F(DeckEngineTest, OpeningATrackShowsItsTitleAndSelectsTheDeck) {
  std::filesystem::create_directory(dir.file("sub"));
  const QByteArray song = wav("sub/Song.mp3", 440);
  ASSERT_EQ(engine->OpenDeckTrack(song, 1, false), audio::DeckActions::Open::Opened);
  EXPECT_EQ(main->deck(1).ETQ_TITULO->Caption(), "Song ");
  EXPECT_EQ(main->deck(1).ETQ_TIME->Caption(), "00:00");
  EXPECT_TRUE(main->deck(1).chksel->Value());
  EXPECT_FALSE(main->deck(0).chksel->Value());
  EXPECT_EQ(main->form().Caption(), "Torna Vel - Song ");
  EXPECT_EQ(deck(1).Path, song);
  EXPECT_NEAR(deck(1).LengthMs, 3000, 30);
  EXPECT_EQ(deck(1).BaseFrequency, 44100.0f);
  EXPECT_FALSE(deck(1).Playing);
  EXPECT_FALSE(main->playlist().view().PICSEL[2]->Visible());

  ASSERT_EQ(engine->OpenDeckTrack(wav("Song.Mp3.mp3", 440), 0, false),
            audio::DeckActions::Open::Opened);
  EXPECT_EQ(main->deck(0).ETQ_TITULO->Caption(), "Song.Mp3 ");
  ASSERT_EQ(engine->OpenDeckTrack(wav("a.mp3b.mp3", 440), 0, false),
            audio::DeckActions::Open::Opened);
  EXPECT_EQ(main->deck(0).ETQ_TITULO->Caption(), "a b ");
  ASSERT_EQ(engine->OpenDeckTrack(wav("LOUD.MP3", 440), 0, false),
            audio::DeckActions::Open::Opened);
  EXPECT_EQ(main->deck(0).ETQ_TITULO->Caption(), "LOUD.MP3");
}

TEST_F(DeckEngineTest, AMissingFileChangesNothing) {
  ASSERT_EQ(engine->OpenDeckTrack(wav("Playing.wav", 440), 0, true),
            audio::DeckActions::Open::Opened);
  render(0.2);
  const QString title = main->deck(0).ETQ_TITULO->Caption();
  EXPECT_EQ(engine->OpenDeckTrack(QByteArray::fromStdString(dir.file("gone.mp3")), 1, true),
            audio::DeckActions::Open::Refused);
  EXPECT_EQ(engine->OpenDeckTrack(QByteArray::fromStdString(dir.path()), 1, true),
            audio::DeckActions::Open::Refused);
  EXPECT_EQ(main->deck(0).ETQ_TITULO->Caption(), title);
  EXPECT_EQ(main->deck(1).ETQ_TITULO->Caption(), "");
  EXPECT_TRUE(main->deck(0).chksel->Value());
  EXPECT_EQ(main->form().Caption(), "Torna Vel - Playing.wav");
  EXPECT_TRUE(deck(0).Playing);
  EXPECT_GT(fixtures::rms(render(0.2)), 0.3);
}

TEST_F(DeckEngineTest, BothDecksPlayAtOnceAndANewTrackCutsTheOldOne) {
  ASSERT_EQ(engine->OpenDeckTrack(wav("a.wav", 440), 0, true), audio::DeckActions::Open::Opened);
  ASSERT_EQ(engine->OpenDeckTrack(wav("b.wav", 880), 1, true), audio::DeckActions::Open::Opened);
  render(0.1);
  // The centred pitch knob plays a hair above the track's own speed.
  const double f = main->decks().engine().PitchFactor(0);
  EXPECT_NEAR(f, 1.0, 0.002);
  auto both = render(0.5);
  EXPECT_NEAR(fixtures::magnitudeAt(both, 44100, 440 * f), 0.5, 0.02);
  EXPECT_NEAR(fixtures::magnitudeAt(both, 44100, 880 * f), 0.5, 0.02);

  // A new file into a playing deck stops the old one at once; without autoplay it is silent.
  ASSERT_EQ(engine->OpenDeckTrack(wav("c.wav", 660), 1, false), audio::DeckActions::Open::Opened);
  EXPECT_FALSE(deck(1).Playing);
  auto after = render(0.5);
  EXPECT_LT(fixtures::magnitudeAt(after, 44100, 880), 0.001);
  EXPECT_LT(fixtures::magnitudeAt(after, 44100, 660), 0.001);
  engine->PlayDeck(1);
  render(0.05);
  EXPECT_NEAR(fixtures::magnitudeAt(render(0.5), 44100, 660 * f), 0.5, 0.02);

  engine->StopDeck(0);
  engine->StopDeck(1);
  EXPECT_EQ(fixtures::rms(render(0.1)), 0.0);
  EXPECT_NE(deck(0).Channel, 0u);  // stopping keeps the old channel handle
}

TEST_F(DeckEngineTest, PauseTogglesOnlyAStartedDeck) {
  engine->TogglePause(0);  // never played: nothing happens
  EXPECT_EQ(deck(0).Channel, 0u);
  ASSERT_EQ(engine->OpenDeckTrack(wav("a.wav", 440), 0, true), audio::DeckActions::Open::Opened);
  render(0.5);
  engine->TogglePause(0);
  std::uint32_t at = 0, later = 0;
  program->engine().System.channelPositionMs(deck(0).Channel, at);
  EXPECT_EQ(fixtures::rms(render(0.5)), 0.0);
  program->engine().System.channelPositionMs(deck(0).Channel, later);
  EXPECT_EQ(at, later);
  EXPECT_TRUE(deck(0).Playing);
  engine->TogglePause(0);
  EXPECT_GT(fixtures::rms(render(0.3)), 0.3);
}

TEST_F(DeckEngineTest, VolumeIsTheKnobLevelTimesTheMaster) {
  ASSERT_EQ(engine->OpenDeckTrack(wav("a.wav", 440), 0, true), audio::DeckActions::Open::Opened);
  EXPECT_EQ(channelVolume(0), 1.0f);
  program->engine().MasterLevel = 0.5f;
  engine->ApplyDeckVolume(0);
  EXPECT_EQ(channelVolume(0), 0.5f);
  engine->SetVolumeKnob(0, main->deck(0).volumeTravel());
  EXPECT_EQ(channelVolume(0), 0.0f);
  EXPECT_EQ(deck(0).Volume, 0.0f);
  render(0.1);
  EXPECT_EQ(fixtures::rms(render(0.2)), 0.0);
}

TEST_F(DeckEngineTest, ADamagedFileNeverLeavesTheOldTrackBehind) {
  ASSERT_EQ(engine->OpenDeckTrack(wav("good.wav", 440), 0, false),
            audio::DeckActions::Open::Opened);
  fixtures::writeRandom(dir.file("bad.wma"), 5000);
  // The deck takes the file and says that its stream did not open.
  ASSERT_EQ(engine->OpenDeckTrack(QByteArray::fromStdString(dir.file("bad.wma")), 0, false),
            audio::DeckActions::Open::Failed);
  EXPECT_EQ(main->deck(0).ETQ_TITULO->Caption(), "bad.wma");
  EXPECT_EQ(deck(0).LengthMs, 0);
  engine->PlayDeck(0);
  EXPECT_EQ(fixtures::rms(render(0.3)), 0.0);
}

TEST_F(DeckEngineTest, LoadButtonOpensTheChosenFileWithoutStartingIt) {
  const QByteArray path = wav("pick.wav", 440);
  main->decks().chooseAudioFile = [&] { return QString::fromUtf8(path); };
  main->deck(1).BTLoad->click();
  EXPECT_EQ(deck(1).Path, path);
  EXPECT_FALSE(deck(1).Playing);
  main->decks().chooseAudioFile = [] { return QString(); };  // cancelled
  main->deck(0).BTLoad->click();
  EXPECT_TRUE(deck(0).Path.isEmpty());
  main->deck(1).BTPlay->click();
  EXPECT_TRUE(deck(1).Playing);
  render(0.1);
  EXPECT_GT(fixtures::rms(render(0.2)), 0.3);
  main->deck(1).BTStop->click();
  EXPECT_FALSE(deck(1).Playing);
}

}  // namespace
