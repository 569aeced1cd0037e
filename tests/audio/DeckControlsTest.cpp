#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "audio/CuePanel.h"
#include "support/PlayerFixture.h"

namespace {

class DeckControls : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    main = &start();
    fixtures::writeWav(dir.file("tone.wav"), {{440, 4.0}});
    tone = QByteArray::fromStdString(dir.file("tone.wav"));
  }
  void play(int d) {
    ASSERT_EQ(main->decks().engine().OpenDeckTrack(tone, d, true),
              audio::DeckActions::Open::Opened);
  }
  float channelVolume(int d) {
    float v = -1;
    program->engine().System.channelVolume(deck(d).Channel, v);
    return v;
  }
  float channelFrequency(int d) {
    float v = -1;
    program->engine().System.channelFrequency(deck(d).Channel, v);
    return v;
  }
  std::uint32_t channelPosition(int d) {
    std::uint32_t ms = 0;
    program->engine().System.channelPositionMs(deck(d).Channel, ms);
    return ms;
  }
  audio::DeckPanel& c(int d) { return main->deck(d); }
  QByteArray tone;
};

TEST_F(DeckControls, StartUpLeavesBothDecksCentredAtFullVolume) {
  for (int d : {0, 1}) {
    EXPECT_EQ(c(d).ETQPICTH->Caption(), "PITCH 0.0 VOL 1.0");
    EXPECT_EQ(c(d).XVolBT->Top(), 0.0f);
    EXPECT_EQ(c(d).XPitch->Height() - c(d).XPicthBt->Height(), 1005.0f);
    EXPECT_EQ(c(d).XPicthBt->Top(), 502.5f);
    EXPECT_EQ(c(d).PosBT->Left(), 0.0f);
    EXPECT_EQ(c(d).SLPosLeft->Left(), 1.0f);
  }
}

TEST_F(DeckControls, ReleasingThePositionKnobSeeksToItsPlace) {
  play(0);
  render(0.3);
  audio::Transport& t = main->decks().transport();
  const float travel = c(0).SLPos->Width() - c(0).PosBT->Width();
  t.PosBT_MouseDown(0, 1, 0, 30, 0);
  t.PosBT_MouseMove(0, 1, 0, 30 + travel / 2, 0);
  t.MTimer_Timer();  // a held knob stays where the hand put it
  EXPECT_EQ(c(0).PosBT->Left(), travel / 2);
  t.PosBT_MouseUp(0, 1, 0, 0, 0);
  EXPECT_EQ(deck(0).PositionMs, std::lround(deck(0).LengthMs * 0.5));
  EXPECT_EQ(channelPosition(0), std::uint32_t(deck(0).PositionMs));

  // Past the right end: the knob stops at the end and the seek goes to the full length.
  t.PosBT_MouseDown(0, 1, 0, 0, 0);
  t.PosBT_MouseMove(0, 1, 0, 99999, 0);
  EXPECT_EQ(c(0).PosBT->Left(), travel);
  t.PosBT_MouseMove(0, 2, 0, -99999, 0);  // not the left button: nothing
  EXPECT_EQ(c(0).PosBT->Left(), travel);
  t.PosBT_MouseUp(0, 1, 0, 0, 0);
  EXPECT_EQ(deck(0).PositionMs, deck(0).LengthMs);
  t.PosBT_MouseDown(0, 1, 0, 0, 0);
  t.PosBT_MouseMove(0, 1, 0, -99999, 0);
  EXPECT_EQ(c(0).PosBT->Left(), 0.0f);
  t.PosBT_MouseUp(0, 1, 0, 0, 0);
  EXPECT_EQ(deck(0).PositionMs, 0);
}

TEST_F(DeckControls, TheTickFollowsThePlayingDeck) {
  audio::Transport& t = main->decks().transport();
  t.now = [] { return QTime(9, 5, 7); };
  t.MTimer_Timer();
  EXPECT_EQ(main->decks().lblTime->Caption(), "9:05:7");
  EXPECT_EQ(c(0).ETQ_TIME->Caption(), "00:00");  // nothing loaded: everything stays at 0
  EXPECT_EQ(c(0).PosBT->Left(), 0.0f);

  play(1);
  render(1.5);
  t.MTimer_Timer();
  EXPECT_NEAR(deck(1).PositionMs, 1500, 30);
  EXPECT_EQ(c(1).ETQ_TIME->Caption(), "00:01");
  EXPECT_EQ(c(1).ETQ_DUR->Caption(), "00:04");
  const float travel = c(1).SLPos->Width() - c(1).PosBT->Width();
  EXPECT_NEAR(c(1).PosBT->Left(), travel * deck(1).PositionMs / deck(1).LengthMs, 0.01);
  EXPECT_EQ(c(1).SLPosLeft->Width(), c(1).PosBT->Left());

  EXPECT_EQ(audio::Transport::FormatTime(61000), "01:01");
  EXPECT_EQ(audio::Transport::FormatTime(6000000), "100:00");
  EXPECT_EQ(audio::Transport::FormatTime(32768000), "546:08");
  EXPECT_EQ(audio::Transport::FormatTime(std::int64_t(30) * 24 * 3600 * 1000), "43200:00");
}

TEST_F(DeckControls, TitlesScrollBackAndForthWithAOneTickPause) {
  audio::Transport& t = main->decks().transport();
  ui::Label& title = *c(0).ETQ_TITULO;
  ui::PictureBox& panel = *c(0).BACKPICPAN;
  title.setWidth(panel.Width());  // exactly as wide as its panel: centred, never moving
  for (int i = 0; i < 5; ++i) t.MovTitles();
  EXPECT_EQ(title.Left(), 0.0f);

  title.setWidth(panel.Width() + 25);
  title.setLeft(0);
  t.MovTitles();
  EXPECT_EQ(title.Left(), -10.0f);
  t.MovTitles();
  t.MovTitles();
  EXPECT_EQ(title.Left(), -30.0f);  // the right end shows now
  t.MovTitles();
  EXPECT_EQ(title.Left(), -30.0f);  // the turn takes one tick
  t.MovTitles();
  EXPECT_EQ(title.Left(), -20.0f);
  t.MovTitles();
  t.MovTitles();
  EXPECT_EQ(title.Left(), 0.0f);
  t.MovTitles();
  EXPECT_EQ(title.Left(), 0.0f);
  t.MovTitles();
  EXPECT_EQ(title.Left(), -10.0f);
}

TEST_F(DeckControls, VolumeKnobDragsAreClampedAndReachTheChannel) {
  play(0);
  audio::VolumeControl& v = main->decks().volume();
  ui::PictureBox& knob = *c(0).XVolBT;
  const float travel = c(0).XVolSL->Height() - knob.Height();
  v.XVolBT_MouseDown(0, 1, 0, 0, 100);
  v.XVolBT_MouseMove(0, 1, 0, 0, 100 + travel / 4);
  EXPECT_EQ(knob.Top(), travel / 4);
  EXPECT_FLOAT_EQ(channelVolume(0), 0.75f);
  EXPECT_EQ(c(0).ETQPICTH->Caption(), "PITCH 0.0 VOL 0.8");
  v.XVolBT_MouseMove(0, 1, 0, 0, 100 + travel);  // exactly to the end of the track
  EXPECT_EQ(knob.Top(), travel);
  EXPECT_EQ(channelVolume(0), 0.0f);
  EXPECT_EQ(c(0).ETQPICTH->Caption(), "PITCH 0.0 VOL 0.0");
  v.XVolBT_MouseMove(0, 1, 0, 0, 99999);
  EXPECT_EQ(knob.Top(), travel);
  EXPECT_EQ(channelVolume(0), 0.0f);
  v.XVolBT_MouseMove(0, 1, 0, 0, -99999);
  EXPECT_EQ(knob.Top(), 0.0f);
  EXPECT_EQ(channelVolume(0), 1.0f);
  v.XVolBT_MouseMove(0, 2, 0, 0, 500);  // the right button does nothing
  EXPECT_EQ(knob.Top(), 0.0f);

  // Code moves a knob the way auto-mix will: the level and the label follow.
  main->decks().engine().SetVolumeKnob(0, travel / 2);
  EXPECT_EQ(knob.Top(), travel / 2);
  EXPECT_FLOAT_EQ(channelVolume(0), 0.5f);
  main->decks().engine().SetVolumeKnob(0, travel + 1000);
  EXPECT_EQ(knob.Top(), travel);
  render(0.1);
  EXPECT_EQ(fixtures::rms(render(0.2)), 0.0);
}

TEST_F(DeckControls, HeldStepButtonsWalkTheKnobToTheEnd) {
  play(1);
  audio::VolumeControl& v = main->decks().volume();
  ui::PictureBox& knob = *c(1).XVolBT;
  const float travel = c(1).XVolSL->Height() - knob.Height();
  v.BTVOLD_MouseDown(1, 1, 0, 0, 0);
  EXPECT_TRUE(main->decks().ChangeVol->Enabled());
  EXPECT_EQ(main->decks().ChangeVol->Interval(), 99);
  EXPECT_EQ(knob.Top(), 0.0f);  // no step on the press itself
  main->decks().ChangeVol->tick();
  EXPECT_EQ(knob.Top(), 49.0f);
  main->decks().ChangeVol->tick();
  EXPECT_EQ(knob.Top(), 98.0f);
  for (int i = 0; i < 100; ++i) main->decks().ChangeVol->tick();
  EXPECT_EQ(knob.Top(), travel);
  EXPECT_EQ(channelVolume(1), 0.0f);
  v.BTVOL_MouseUp(1, 1, 0, 0, 0);
  EXPECT_FALSE(main->decks().ChangeVol->Enabled());

  v.BTVOLUP_MouseDown(1, 1, 0, 0, 0);
  main->decks().ChangeVol->tick();
  EXPECT_EQ(knob.Top(), travel - 51);
  for (int i = 0; i < 100; ++i) main->decks().ChangeVol->tick();
  EXPECT_EQ(knob.Top(), 0.0f);
  EXPECT_EQ(channelVolume(1), 1.0f);
  c(1).BTVOLUP->mouseUp(1, 0, 0, 0);  // the wired release stops it too
  EXPECT_FALSE(main->decks().ChangeVol->Enabled());
}

TEST_F(DeckControls, MasterKnobScalesBothDecksInTenths) {
  play(0);
  play(1);
  audio::VolumeControl& v = main->decks().volume();
  const float span = main->decks().MasterVOL->ScaleWidth() - main->decks().MASTSL->Width();
  EXPECT_EQ(main->decks().MASTSL->Left(), span);  // laid out at the right end
  v.MASTSL_MouseDown(1, 0, 0, 0);
  v.MASTSL_MouseMove(1, 0, -span * 0.04f, 0);
  EXPECT_FLOAT_EQ(program->engine().MasterLevel, 0.9f);
  EXPECT_FLOAT_EQ(channelVolume(0), 0.9f);
  EXPECT_FLOAT_EQ(channelVolume(1), 0.9f);
  EXPECT_EQ(c(1).ETQPICTH->Caption(), "PITCH 0.0 VOL 0.9");

  // A plain move over the master re-applies both decks with the current level.
  main->decks().engine().SetVolumeKnob(0, 0);
  program->engine().System.setChannelVolume(deck(0).Channel, 0.2f);
  program->engine().System.setChannelVolume(deck(1).Channel, 0.2f);
  v.MASTSL_MouseMove(0, 0, 500, 0);
  EXPECT_FLOAT_EQ(channelVolume(0), 0.9f);
  EXPECT_FLOAT_EQ(channelVolume(1), 0.9f);

  v.MASTSL_MouseMove(1, 0, -99999, 0);
  EXPECT_EQ(main->decks().MASTSL->Left(), 0.0f);
  EXPECT_EQ(program->engine().MasterLevel, 0.0f);
  v.MASTSL_MouseMove(1, 0, 99999, 0);
  EXPECT_EQ(main->decks().MASTSL->Left(), span);
  EXPECT_EQ(program->engine().MasterLevel, 1.0f);
}

TEST_F(DeckControls, PitchKnobSetsSpeedAndPitchTogether) {
  play(0);
  audio::PitchControl& p = main->decks().pitch();
  ui::PictureBox& knob = *c(0).XPicthBt;
  p.XPicthBt_MouseDown(0, 1, 0, 0, 0);
  p.XPicthBt_MouseMove(0, 1, 0, 0, -99999);
  EXPECT_EQ(knob.Top(), 0.0f);
  EXPECT_EQ(channelFrequency(0), 88200.0f);
  render(0.1);
  EXPECT_NEAR(fixtures::zeroCrossingHz(render(0.5), 44100), 880.0, 4.0);
  EXPECT_EQ(c(0).ETQPICTH->Caption(), "PITCH 5.0 VOL 1.0");
  p.BTPICTHUP_Click(0);  // already at the top: nothing changes
  EXPECT_EQ(knob.Top(), 0.0f);

  p.XPicthBt_DblClick(0);
  EXPECT_EQ(knob.Top(), 502.5f);
  EXPECT_NEAR(main->decks().engine().PitchFactor(0), 1.0, 1.0 / 1006.0);
  for (int i = 0; i < 10; ++i) p.BTPICTHUP_Click(0);
  EXPECT_EQ(knob.Top(), 452.5f);
  EXPECT_EQ(c(0).ETQPICTH->Caption(), "PITCH 0.5 VOL 1.0");
  p.cmdPicthRe_Click(0);
  p.BTPICTHDW_Click(0);
  EXPECT_EQ(knob.Top(), 507.5f);
  EXPECT_EQ(c(0).ETQPICTH->Caption(), "PITCH -0.1 VOL 1.0");

  p.XPicthBt_MouseMove(0, 1, 0, 0, 99999);
  EXPECT_EQ(knob.Top(), 1005.0f);
  EXPECT_NEAR(channelFrequency(0), 44100.0 * 2.0 / 1006.0, 0.01);
  p.XPicthBt_MouseMove(0, 0, 0, 0, -500);  // nothing held: nothing happens
  EXPECT_EQ(knob.Top(), 1005.0f);
}

TEST_F(DeckControls, RapidClicksOnAStepButtonAllCount) {
  main->form().Show();
  ui::PictureBox& knob = *c(0).XPicthBt;
  // What a window system sends for a quick pair of clicks.
  auto doubleClick = [](QWidget* w) {
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                           QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
      const bool down = t != QEvent::MouseButtonRelease;
      QMouseEvent e(t, QPointF(4, 4), w->mapToGlobal(QPointF(4, 4)), Qt::LeftButton,
                    down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QCoreApplication::sendEvent(w, &e);
    }
  };
  for (int i = 0; i < 3; ++i) doubleClick(c(0).BTPICTHUP->widget());
  // Each double-click is two presses: six steps of five units.
  EXPECT_EQ(knob.Top(), 502.5f - 30.0f);
  doubleClick(knob.widget());  // the knob's own double-click centres it
  EXPECT_EQ(knob.Top(), 502.5f);
}

TEST_F(DeckControls, APausedDeckTakesItsNewPitchAtOnce) {
  play(1);
  main->decks().transport().BTPause_Click(1);
  main->decks().pitch().BTPICTHUP_Click(1);
  EXPECT_FLOAT_EQ(channelFrequency(1), float(main->decks().engine().PitchFactor(1) * 44100.0));
  bool paused = false;
  program->engine().System.channelPaused(deck(1).Channel, paused);
  EXPECT_TRUE(paused);
}

TEST_F(DeckControls, RealMouseDragsMoveTheKnobsAndTheChannelFollows) {
  main->form().Show();
  play(0);
  render(0.2);
  QWidget* volKnob = c(0).XVolBT->widget();
  const int travelPx = ui::toPixels(c(0).XVolSL->Height() - c(0).XVolBT->Height());
  QTest::mousePress(volKnob, Qt::LeftButton, {}, QPoint(5, 5));
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5 + travelPx / 2), QPointF(), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(volKnob, &move);
  QTest::mouseRelease(volKnob, Qt::LeftButton, {}, QPoint(5, 5 + travelPx / 2));
  EXPECT_FALSE(main->windowDrag().active);  // the knob keeps the press: the window stays put
  EXPECT_EQ(c(0).XVolBT->Top(), float(travelPx / 2) * 15.0f);
  EXPECT_NEAR(channelVolume(0), 1.0f - float(travelPx / 2) / float(travelPx), 1e-5);

  QWidget* posKnob = c(0).PosBT->widget();
  const int posTravel = ui::toPixels(c(0).SLPos->Width() - c(0).PosBT->Width());
  QTest::mousePress(posKnob, Qt::LeftButton, {}, QPoint(3, 3));
  QMouseEvent drag(QEvent::MouseMove, QPointF(3 + posTravel / 2, 3), QPointF(), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(posKnob, &drag);
  QTest::mouseRelease(posKnob, Qt::LeftButton, {}, QPoint(3 + posTravel / 2, 3));
  const double expected = double(deck(0).LengthMs) * (posTravel / 2) / posTravel;
  EXPECT_NEAR(channelPosition(0), expected, 1.0);
  EXPECT_FALSE(deck(0).PositionHeld);
}

}  // namespace

// The keys a user without a mouse has: Tab to every control, Space or Enter to press a
// button, arrows and page keys on the knobs.
TEST_F(DeckControls, TheKeyboardReachesEveryControlAndWorksTheDecks) {
  QWidget* window = main->form().widget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  main->playlist().list().appendNow({tone, tone, tone});  // a list with rows lets Tab go too
  QSet<QString> reached;
  for (int tab = 0; tab < 300; ++tab) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                    Qt::Key_Tab);
    if (QApplication::focusWidget()) reached.insert(QApplication::focusWidget()->accessibleName());
  }
  // Every control that does something and is on view (not behind the page in front); of
  // a set of options, the one that is on (the arrows move among them).
  int onView = 0;
  for (const ui::NamedControl& n : main->controlOrder()) {
    const QString name = n.index < 0 ? n.name : n.name + "(" + QString::number(n.index) + ")";
    QWidget* w = n.control->widget();
    const QWidget* at = window->childAt(w->mapTo(window, w->rect().center()));
    const auto* option = dynamic_cast<ui::OptionButton*>(n.control);
    if (!n.control->takesKeyboard() || !w->isVisible() || !w->isEnabled() || !at ||
        (at != w && !w->isAncestorOf(at)) || (option && !option->Value()))
      continue;
    ++onView;
    EXPECT_TRUE(reached.contains(name)) << name.toStdString();
  }
  EXPECT_GT(onView, 50);
  EXPECT_FALSE(reached.contains("chkvfx")) << "a control behind the page in front";
  for (const char* name : {"BTPlay(0)", "BTStop(1)", "XVolBT(0)", "XPicthBt(1)", "PosBT(0)",
                           "MASTSL", "ChkPicPlato(1)", "chksel(0)", "LSTMP3", "AutoL"})
    EXPECT_TRUE(reached.contains(name)) << name;

  ASSERT_NO_FATAL_FAILURE(play(0));
  c(0).BTStop->widget()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(c(0).BTStop->widget(), Qt::Key_Space);
  EXPECT_FALSE(deck(0).Playing);
  QTest::keyClick(c(0).BTPlay->widget(), Qt::Key_Return);
  EXPECT_TRUE(deck(0).Playing);

  QTest::keyClick(c(0).XVolBT->widget(), Qt::Key_Down);
  QTest::keyClick(c(0).XVolBT->widget(), Qt::Key_Down);
  EXPECT_EQ(c(0).XVolBT->Top(), 100.0f);
  QTest::keyClick(c(0).XVolBT->widget(), Qt::Key_PageUp);  // louder, up to the top
  EXPECT_EQ(c(0).XVolBT->Top(), 0.0f);
  EXPECT_FLOAT_EQ(channelVolume(0), 1.0f);

  QTest::keyClick(c(0).XPicthBt->widget(), Qt::Key_Up);
  EXPECT_EQ(c(0).XPicthBt->Top(), 497.5f);
  EXPECT_GT(channelFrequency(0), 44100.0f);

  QTest::keyClick(main->decks().MASTSL->widget(), Qt::Key_Left);
  QTest::keyClick(main->decks().MASTSL->widget(), Qt::Key_Left);
  EXPECT_FLOAT_EQ(program->engine().MasterLevel, 0.8f);
  EXPECT_NEAR(channelVolume(0), 0.8f, 1e-6);

  QTest::keyClick(c(0).PosBT->widget(), Qt::Key_Right);  // 5 s into a 4 s track: its end
  EXPECT_EQ(deck(0).PositionMs, deck(0).LengthMs);
  QTest::keyClick(c(0).PosBT->widget(), Qt::Key_Left);
  EXPECT_EQ(deck(0).PositionMs, 0);
  EXPECT_EQ(c(0).PosBT->Left(), 0.0f);
}

// Split cue: the room's mix in mono on one side, the headphones on the other. A deck turned
// down in the room is heard in the headphones while its CUE is on; the split and its sides
// are kept for the next run. A held Space presses the toggle once, as a held button would.
TEST_F(DeckControls, CueSendsADeckToTheHeadphonesSideAndTheSplitIsKept) {
  fixtures::writeWav(dir.file("b.wav"), {{660, 4.0}});
  audio::DeckEngine& e = main->decks().engine();
  play(0);
  ASSERT_EQ(e.OpenDeckTrack(QByteArray::fromStdString(dir.file("b.wav")), 1, true),
            audio::DeckActions::Open::Opened);
  e.SetVolumeKnob(1, e.VolumeTravel(1));
  audio::CuePanel& cue = main->cue();
  main->form().Show();
  QTest::mouseClick(cue.chkCueSplit->widget(), Qt::LeftButton);
  QWidget* w = c(1).BTCue->widget();
  auto key = [w](QEvent::Type type, bool repeat) {
    QKeyEvent k(type, Qt::Key_Space, Qt::NoModifier, " ", repeat);
    QApplication::sendEvent(w, &k);
  };
  key(QEvent::KeyPress, false);
  for (int i = 0; i < 3; ++i) key(QEvent::KeyRelease, true), key(QEvent::KeyPress, true);
  key(QEvent::KeyRelease, false);
  for (int room : {0, 1}) {
    render(0.1);
    const auto out = render(0.3);
    EXPECT_GT(fixtures::magnitudeAt(out, 44100, 440, room), 0.2) << room;
    EXPECT_LT(fixtures::magnitudeAt(out, 44100, 660, room), 0.01) << room;
    EXPECT_GT(fixtures::magnitudeAt(out, 44100, 660, 1 - room), 0.2) << room;
    EXPECT_LT(fixtures::magnitudeAt(out, 44100, 440, 1 - room), 0.01) << room;
    if (room == 0) QTest::mouseClick(cue.chkCueSwap->widget(), Qt::LeftButton);
  }
  restart();
  EXPECT_TRUE(main->cue().chkCueSplit->Value());
  EXPECT_TRUE(main->cue().chkCueSwap->Value());
}

namespace {

TEST_F(DeckControls, KeyLockLeavesThePitchToTheTrackAndIsKeptPerDeck) {
  play(0);
  main->form().Show();
  ui::PictureBox& toggle = *c(0).chkKeyLock;
  EXPECT_EQ(toggle.widget()->accessibleName(), "chkKeyLock(0)");
  QTest::mouseClick(toggle.widget(), Qt::LeftButton);
  audio::PitchControl& p = main->decks().pitch();
  for (int i = 0; i < 10; ++i) p.BTPICTHUP_Click(0);
  // The knob, its figure and the deck's frequency are what they are without key lock.
  EXPECT_EQ(c(0).ETQPICTH->Caption(), "PITCH 0.5 VOL 1.0");
  const double speed = main->decks().engine().PitchFactor(0);
  EXPECT_NEAR(channelFrequency(0), 44100.0 * speed, 0.5);
  render(0.3);
  const std::uint32_t from = channelPosition(0);
  EXPECT_NEAR(fixtures::zeroCrossingHz(render(1.0), 44100), 440.0, 1.0);
  EXPECT_NEAR(channelPosition(0) - from, 1000.0 * speed, 10.0);

  restart();
  EXPECT_TRUE(deck(0).KeyLock);
  EXPECT_FALSE(deck(1).KeyLock);
  play(0);
  bool locked = false;
  program->engine().System.soundKeyLock(deck(0).Sound, locked);
  EXPECT_TRUE(locked);
  main->keyLock().chkKeyLock_Click(0);
  restart();
  EXPECT_FALSE(deck(0).KeyLock);
}

}  // namespace
