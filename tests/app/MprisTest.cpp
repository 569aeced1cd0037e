#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStringList>

#include "app/MprisPlayer.h"
#include "support/PlayerFixture.h"

namespace {

using Start = playlist::PlaylistActions::Start;

// The desktop's media controls, driven as the bus would call them.
class MprisTest : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
    mpris = &main->mpris();
    mpris->onPropertiesChanged = [this](const QVariantMap& m) { changes.append(m); };
  }
  QByteArray wav(const std::string& name, double hz, double seconds = 3.0) {
    fixtures::writeWav(dir.file(name), {{hz, seconds}});
    return QByteArray::fromStdString(dir.file(name));
  }
  // Three entries of three tones in the playlist.
  void fillList() {
    for (QByteArray p :
         {wav("Alpha - One.wav", 440), wav("Beta - Two.wav", 660), wav("Gamma - Three.wav", 880)})
      main->playlist().list().SendTOlst(p, playlist::Playlist::kAppend);
  }
  QString title() { return mpris->metadata().value("xesam:title").toString(); }
  QString changed(const char* key) {
    for (auto it = changes.crbegin(); it != changes.crend(); ++it)
      if (it->contains(key)) {
        const QVariant v = it->value(key);
        return v.typeId() == QMetaType::QVariantMap ? v.toMap().value("xesam:title").toString()
                                                    : v.toString();
      }
    return "(none)";
  }
  double heard(double seconds, double hz) {
    return fixtures::magnitudeAt(render(seconds), 44100, hz);
  }
  app::Mpris* mpris = nullptr;
  QList<QVariantMap> changes;
};

TEST_F(MprisTest, TransportActsOnTheSelectedDeckAsItsButtonsDo) {
  EXPECT_EQ(mpris->playbackStatus(), "Stopped");
  EXPECT_FALSE(mpris->canPlay());  // an empty deck and an empty list
  EXPECT_FALSE(mpris->canPause());
  EXPECT_EQ(mpris->metadata(),
            QVariantMap({{"mpris:trackid", QVariant::fromValue(QDBusObjectPath(
                                               "/org/mpris/MediaPlayer2/TrackList/NoTrack"))}}));
  mpris->PlayPause();  // nothing to play: nothing happens
  EXPECT_EQ(mpris->playbackStatus(), "Stopped");

  fillList();
  EXPECT_TRUE(mpris->canPlay());
  // Play on the empty selected deck takes the playlist's first entry.
  mpris->Play();
  EXPECT_EQ(mpris->playbackStatus(), "Playing");
  EXPECT_EQ(changed("PlaybackStatus"), "Playing");
  EXPECT_EQ(main->playlist().list().current(), 1);
  EXPECT_GT(heard(0.5, 440), 0.3);

  mpris->PlayPause();
  EXPECT_EQ(mpris->playbackStatus(), "Paused");
  EXPECT_EQ(changed("PlaybackStatus"), "Paused");
  const qint64 pausedAt = mpris->position();
  EXPECT_GT(pausedAt, 400000);
  EXPECT_LT(heard(0.3, 440), 0.01);
  EXPECT_EQ(mpris->position(), pausedAt);

  // Resumes where it paused, not from the start.
  mpris->PlayPause();
  EXPECT_EQ(mpris->playbackStatus(), "Playing");
  EXPECT_GT(heard(0.3, 440), 0.3);
  EXPECT_GT(mpris->position(), pausedAt + 200000);
  mpris->Pause();
  mpris->Pause();
  EXPECT_EQ(mpris->playbackStatus(), "Paused");
  mpris->Play();
  mpris->Play();  // playing already: it goes on
  EXPECT_GT(mpris->position(), pausedAt + 200000);

  mpris->Stop();
  EXPECT_EQ(mpris->playbackStatus(), "Stopped");
  EXPECT_EQ(changed("PlaybackStatus"), "Stopped");
  EXPECT_LT(heard(0.2, 440), 0.01);
  EXPECT_TRUE(mpris->canPause());  // a stopped deck with a track plays on PlayPause
  mpris->PlayPause();
  EXPECT_EQ(mpris->playbackStatus(), "Playing");
  EXPECT_LT(mpris->position(), 100000);  // from the start, as the play button does
  EXPECT_EQ(deck(0).Path, main->playlist().list().path(1));

  // The other deck selected: its state, not the first deck's.
  main->decks().engine().SelectDeck(1);
  EXPECT_EQ(mpris->playbackStatus(), "Stopped");
  mpris->Stop();
  EXPECT_TRUE(deck(0).Playing);
}

TEST_F(MprisTest, MetadataFollowsTheSelectedDecksTrackAndTheSelection) {
  fillList();
  ASSERT_TRUE(main->playlist().play().PlayEntry(1));
  QVariantMap m = mpris->metadata();
  EXPECT_EQ(m.value("xesam:title").toString(), "One");
  EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{"Alpha"});
  EXPECT_NEAR(m.value("mpris:length").toLongLong(), 3000000, 30000);
  EXPECT_EQ(
      m.value("xesam:url").toString(),
      QString::fromUtf8("file://" + QByteArray::fromStdString(dir.path()).toPercentEncoding("/") +
                        "/Alpha%20-%20One.wav"));
  const QString firstId = m.value("mpris:trackid").value<QDBusObjectPath>().path();
  EXPECT_TRUE(firstId.startsWith("/org/tornavel/TornaVel/DeckA/"));
  EXPECT_EQ(changed("Metadata"), "One");

  // Opening a track into the other deck selects it: the title and state follow at once.
  changes.clear();
  ASSERT_EQ(main->decks().engine().OpenDeckTrack(main->playlist().list().path(2), 1, false),
            audio::DeckActions::Open::Opened);
  EXPECT_EQ(changed("Metadata"), "Two");
  EXPECT_EQ(changed("PlaybackStatus"), "Stopped");

  // Choosing the first deck again by its toggle is announced with the next tick.
  changes.clear();
  main->decks().engine().SelectDeck(0);
  main->decks().MTimer_Timer();
  EXPECT_EQ(changed("Metadata"), "One");
  EXPECT_EQ(changed("PlaybackStatus"), "Playing");
  EXPECT_EQ(mpris->metadata().value("mpris:trackid").value<QDBusObjectPath>().path(), firstId);
  changes.clear();
  main->decks().MTimer_Timer();  // nothing changed: nothing announced
  EXPECT_TRUE(changes.isEmpty());
  // Tags, once the track database has them, stand before the file name's split.
  main->trackFacts().set(main->playlist().list().path(1).toStdString(),
                         {"ETR Composers", "options1", "Set", 3000, 0, NAN, NAN, 0, 3000});
  m = mpris->metadata();
  EXPECT_EQ(m.value("xesam:title").toString(), "options1");
  EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{"ETR Composers"});
  EXPECT_EQ(m.value("xesam:album").toString(), "Set");
  main->decks().MTimer_Timer();  // and the desktop is told with the next tick
  EXPECT_EQ(changed("Metadata"), "options1");

  // The same file taken again is a new track to the desktop.
  ASSERT_TRUE(main->playlist().play().PlayEntry(1));
  EXPECT_NE(mpris->metadata().value("mpris:trackid").value<QDBusObjectPath>().path(), firstId);

  // A name without an artist is all title; bytes that are not text, "%" and "#" survive in
  // the URL.
  const QByteArray odd = QByteArray::fromStdString(dir.path()) + "/Tr\xe9s%#.wav";
  fixtures::writeWav(odd.toStdString(), {{440, 1.0}});
  ASSERT_EQ(main->decks().engine().OpenDeckTrack(odd, 0, true), audio::DeckActions::Open::Opened);
  m = mpris->metadata();
  EXPECT_TRUE(m.value("xesam:title").toString().startsWith("Tr"));
  EXPECT_FALSE(m.contains("xesam:artist"));
  EXPECT_TRUE(m.value("xesam:url").toString().endsWith("/Tr%E9s%25%23.wav"));
}

TEST_F(MprisTest, NextAndPreviousStepThroughThePlaylist) {
  fillList();
  EXPECT_TRUE(mpris->canGoNext());  // nothing played yet: next is the first entry
  EXPECT_FALSE(mpris->canGoPrevious());
  ASSERT_TRUE(main->playlist().play().PlayEntry(1));
  mpris->Next();
  // The next entry plays on the other deck, which becomes the selected one.
  EXPECT_EQ(main->decks().engine().SelectedDeck(), 1);
  EXPECT_EQ(title(), "Two");
  EXPECT_EQ(mpris->playbackStatus(), "Playing");
  EXPECT_GT(heard(0.3, 660), 0.3);
  EXPECT_TRUE(mpris->canGoPrevious());
  mpris->Next();
  EXPECT_EQ(title(), "Three");
  EXPECT_FALSE(mpris->canGoNext());
  EXPECT_EQ(changed("CanGoNext"), "false");
  mpris->Next();  // the last entry: nothing more
  EXPECT_EQ(title(), "Three");
  mpris->Previous();
  EXPECT_EQ(title(), "Two");
  EXPECT_EQ(main->playlist().list().current(), 2);
}

TEST_F(MprisTest, SeekAndSetPositionMoveTheSelectedDeck) {
  fillList();
  ASSERT_TRUE(main->playlist().play().PlayEntry(1));
  QSignalSpy seeked(&mpris->player(), &app::MprisPlayer::Seeked);
  EXPECT_TRUE(mpris->canSeek());
  mpris->Seek(1500000);
  ASSERT_EQ(seeked.count(), 1);
  EXPECT_EQ(seeked.at(0).at(0).toLongLong(), 1500000);
  render(0.1);
  EXPECT_NEAR(mpris->position(), 1600000, 30000);
  // The position knob went with it: half way along its travel.
  EXPECT_NEAR(deck(0).PositionLeft / main->deck(0).positionTravel(), 0.5, 0.01);

  mpris->Seek(-5000000);  // before the start is the start
  EXPECT_LT(mpris->position(), 10000);

  const QDBusObjectPath id = mpris->metadata().value("mpris:trackid").value<QDBusObjectPath>();
  mpris->SetPosition(QDBusObjectPath("/org/tornavel/TornaVel/DeckA/Track999"), 2000000);
  EXPECT_LT(mpris->position(), 10000);  // another track's position: ignored
  mpris->SetPosition(id, 9000000);      // past the end: ignored
  EXPECT_LT(mpris->position(), 10000);
  mpris->SetPosition(id, 2000000);
  EXPECT_NEAR(mpris->position(), 2000000, 1000);

  // Past the end is the next track.
  mpris->Seek(5000000);
  EXPECT_EQ(title(), "Two");

  mpris->Stop();
  EXPECT_FALSE(mpris->canSeek());
  const int before = int(seeked.count());
  mpris->Seek(1000000);
  EXPECT_EQ(seeked.count(), before);
}

TEST_F(MprisTest, VolumeIsTheMasterKnob) {
  fillList();
  ASSERT_TRUE(main->playlist().play().PlayEntry(1));
  const double full = heard(0.3, 440);
  EXPECT_EQ(mpris->volume(), 1.0);

  mpris->setVolume(0.5);
  ui::PictureBox& knob = *main->decks().MASTSL;
  const float span = main->decks().MasterVOL->Width() - knob.Width();
  EXPECT_NEAR(knob.Left() / span, 0.5, 0.001);
  EXPECT_EQ(program->engine().MasterLevel, 0.5f);
  EXPECT_EQ(changed("Volume"), "0.5");
  EXPECT_NEAR(heard(0.3, 440), full / 2, 0.02);

  // Every level the knob can show comes back as it was set.
  for (int tenths = 0; tenths <= 10; ++tenths) {
    mpris->setVolume(tenths / 10.0);
    EXPECT_NEAR(mpris->volume(), tenths / 10.0, 1e-6) << tenths;
  }
  mpris->setVolume(0.57);  // the knob reads in tenths, as a drag there would
  EXPECT_NEAR(mpris->volume(), 0.5, 1e-6);
  mpris->setVolume(3.0);
  EXPECT_EQ(mpris->volume(), 1.0);
  mpris->setVolume(-1.0);
  EXPECT_EQ(mpris->volume(), 0.0);
  mpris->setVolume(std::nan(""));
  EXPECT_EQ(mpris->volume(), 0.0);

  // A drag of the knob by hand is announced with the next tick.
  changes.clear();
  main->decks().volume().MASTSL_MouseDown(ui::LeftButton, 0, 0, 0);
  main->decks().volume().MASTSL_MouseMove(ui::LeftButton, 0, span, 0);
  EXPECT_EQ(knob.Left(), span);
  main->decks().MTimer_Timer();
  EXPECT_EQ(changed("Volume"), "1");
}

}  // namespace
