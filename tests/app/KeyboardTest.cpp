// The key map: its file, default and edited, and keys pressed in the window.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QTest>
#include <fstream>

#include "app/KeyMap.h"
#include "library/LibraryFixture.h"

namespace {

using app::KeyMap;

int key(const char* name) {
  return KeyMap::keyNamed(QString::fromLatin1(name));
}
int keyOf(const KeyMap& m, const char* action) {
  return m.keyOf(app::actionIndex(QString::fromLatin1(action)));
}

TEST(KeyMap, TheDefaultFileGivesTheDefaultsAndAnEditedOneSkipsOnlyItsBadLines) {
  QStringList problems;
  const KeyMap d = KeyMap::parse(KeyMap::defaultText(), &problems);
  EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
  for (int i = 0; i < app::kActionCount; ++i) {
    const app::ControlAction& a = app::kControlActions[std::size_t(i)];
    EXPECT_EQ(d.keyOf(i), key(a.defaultKey)) << a.name;
    EXPECT_EQ(d.actionFor(d.keyOf(i)), i) << a.name << ": its key is another's";
  }
  EXPECT_EQ(keyOf(d, "DeckA.PlayPause"), Qt::Key_D);
  EXPECT_EQ(keyOf(d, "DeckB.Load"), (Qt::SHIFT | Qt::Key_Right).toCombined());

  problems.clear();
  const KeyMap m = KeyMap::parse(QStringLiteral("# mine\r\n"
                                                "DeckA.PlayPause = Space\r\n"
                                                "  DeckA.Stop =\n"
                                                "DeckB.PlayPause=d\n"
                                                "Deck.Nope = X\n"
                                                "DeckA.Cue = Ctrl+Nokey\n"
                                                "DeckB.Stop = space\n"
                                                "play everything\n"
                                                "DeckA.PlayPause = Q\n"
                                                "DeckA.VolumeUp = shift+f12\n"
                                                "DeckB.Cue = F1\n"),
                                 &problems);
  EXPECT_EQ(keyOf(m, "DeckA.PlayPause"), Qt::Key_Space);
  EXPECT_EQ(keyOf(m, "DeckA.Stop"), 0);  // unbound: S runs nothing
  EXPECT_EQ(m.actionFor(Qt::Key_S), -1);
  EXPECT_EQ(keyOf(m, "DeckB.PlayPause"), Qt::Key_D);
  EXPECT_EQ(m.actionFor(Qt::Key_L), -1);
  // Skipped lines leave their actions on their default keys; so do the actions not named.
  EXPECT_EQ(keyOf(m, "DeckA.Cue"), Qt::Key_F);
  EXPECT_EQ(keyOf(m, "DeckB.Stop"), Qt::Key_K);
  EXPECT_EQ(m.actionFor(Qt::Key_Q), -1);
  EXPECT_EQ(keyOf(m, "DeckA.VolumeUp"), (Qt::SHIFT | Qt::Key_F12).toCombined());
  EXPECT_EQ(keyOf(m, "AutoPlay"), Qt::Key_F12);
  EXPECT_EQ(keyOf(m, "DeckB.PitchUp"), Qt::Key_F6);
  // An action not named loses its default key to the action the file gave it to.
  EXPECT_EQ(keyOf(m, "DeckA.PitchDown"), 0);
  EXPECT_EQ(m.actionFor(Qt::Key_F1), app::actionIndex(u"DeckB.Cue"));
  ASSERT_EQ(problems.size(), 5) << problems.join('\n').toStdString();
  EXPECT_TRUE(problems[0].startsWith("line 5: ") && problems[0].contains("Deck.Nope"));
  EXPECT_TRUE(problems[1].startsWith("line 6: ") && problems[1].contains("Ctrl+Nokey"));
  EXPECT_TRUE(problems[2].startsWith("line 7: ") &&
              problems[2].contains("DeckA.PlayPause already (line 2)"));
  EXPECT_TRUE(problems[3].startsWith("line 8: "));
  EXPECT_TRUE(problems[4].startsWith("line 9: ") && problems[4].contains("line 2"));

  // A key is a key whatever was held to type it, and keypad digits are digits.
  EXPECT_EQ(KeyMap::combined(Qt::Key_Exclam, Qt::ShiftModifier), key("!"));
  EXPECT_EQ(KeyMap::combined(Qt::Key_5, Qt::KeypadModifier), key("5"));
  EXPECT_EQ(key("D, E"), 0);  // one key a binding
  EXPECT_EQ(key("Alt"), 0);   // a modifier alone is none
  EXPECT_NE(KeyMap::combined(Qt::Key_Space, Qt::ShiftModifier), key("Space"));
  // Typed text goes to a field that takes it, not to a list of choices.
  QComboBox choices;
  EXPECT_FALSE(app::takesText(&choices));
  choices.setEditable(true);
  EXPECT_TRUE(app::takesText(&choices));
}

class Keyboard : public fixtures::LibraryFixture {
 protected:
  audio::DeckPanel& c(int d) { return main->deck(d); }
  bool paused(int d) {
    bool p = false;
    program->engine().System.channelPaused(deck(d).Channel, p);
    return p;
  }
};

TEST_F(Keyboard, AKeyActsOnceWhateverHasTheFocusAndNotWhileTextIsTyped) {
  const QString file = app::Keyboard::mapFile(
      platform::AppPaths::under(QString::fromStdString(dir.path())).settingsFile);
  QFile written(file);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << "the default map is written at start";
  EXPECT_EQ(QString::fromUtf8(written.readAll()), KeyMap::defaultText());

  QWidget* window = main->form().widget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  fixtures::writeWav(dir.file("a.wav"), {{440, 4.0}});
  fixtures::writeWav(dir.file("b.wav"), {{550, 4.0}});
  writeDb(QByteArray::fromStdString(dir.file("a.wav") + "\r\n" + dir.file("b.wav") + "\r\n"));
  load();
  ui::ListView& rows = *main->library().view().lstdata;
  main->shell().PanelPIC_Click(1);
  rows.setSelectedIndex(1);
  rows.widget()->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(deck(1).Path, main->library().libraryModel().pathBytes(1));
  EXPECT_FALSE(deck(1).Playing);  // loaded, as the load button does
  EXPECT_EQ(rows.SelectedIndex(), 1);

  // Space on a focused stop button would stop the deck: bound to play, it only plays.
  std::ofstream(file.toStdString()) << "DeckB.PlayPause = Space\nDeckB.Stop = L\nnonsense\n";
  main->keyboard().load(file);
  QWidget* stop = c(1).BTStop->widget();
  stop->setFocus();
  QTest::keyClick(stop, Qt::Key_Space);
  EXPECT_TRUE(deck(1).Playing);
  EXPECT_FALSE(paused(1));
  QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
  QCoreApplication::sendEvent(stop, &held);  // a held key repeats: the toggle runs once
  QTest::keyClick(stop, Qt::Key_Space);
  EXPECT_TRUE(paused(1));
  EXPECT_TRUE(deck(1).Playing);
  // Deck A's pitch up, as its button; sent as the window system sends it, to the window.
  QTest::keyClick(window->windowHandle(), Qt::Key_F2);
  EXPECT_EQ(c(0).XPicthBt->Top(), 502.5f - 5.0f);

  // The search key takes the focus to the search box, where keys are typed.
  QTest::keyClick(stop, Qt::Key_F, Qt::ControlModifier);
  QLineEdit* box = main->library().view().txtbusq->edit();
  ASSERT_EQ(QApplication::focusWidget(), box);
  QTest::keyClick(box, Qt::Key_L);
  QTest::keyClick(box, Qt::Key_Space);
  EXPECT_EQ(box->text(), "l ");
  EXPECT_TRUE(deck(1).Playing);
  EXPECT_TRUE(paused(1));
  QTest::keyClick(box, Qt::Key_Escape);  // out of the box: the keys work the decks again
  EXPECT_NE(QApplication::focusWidget(), box);
  QTest::keyClick(window->windowHandle(), Qt::Key_L);
  EXPECT_FALSE(deck(1).Playing);
  drain();

  // Twenty skipped lines are said one by one; past that, the rest are counted.
  for (int bad : {20, 22}) {
    std::string lines;
    for (int i = 0; i < bad; ++i) lines += "nonsense\n";
    std::ofstream(file.toStdString()) << lines;
    testing::internal::CaptureStderr();
    main->keyboard().load(file);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), bad == 20 ? 20 : 21) << said;
    EXPECT_EQ(said.find("2 more lines skipped") != std::string::npos, bad == 22) << said;
  }
}

// Each action does to its own deck what the control it stands for does, by its name as a
// controller's mapping names it.
TEST_F(Keyboard, EachNamedActionWorksItsControl) {
  const app::ControlActions& a = main->actions();
  fixtures::writeWav(dir.file("a.wav"), {{440, 4.0}});
  ASSERT_EQ(
      main->decks().engine().OpenDeckTrack(QByteArray::fromStdString(dir.file("a.wav")), 1, false),
      audio::DeckActions::Open::Opened);
  EXPECT_TRUE(a.run(u"DeckB.PlayPause"));
  EXPECT_TRUE(deck(1).Playing);
  a.run(u"DeckB.VolumeDown");
  EXPECT_EQ(c(1).XVolBT->Top(), 50.0f);
  a.run(u"DeckB.VolumeUp");
  a.run(u"DeckB.VolumeUp");  // at the top already
  EXPECT_EQ(c(1).XVolBT->Top(), 0.0f);
  a.run(u"DeckB.PitchDown");
  EXPECT_EQ(c(1).XPicthBt->Top(), 502.5f + 5.0f);
  a.run(u"DeckB.PitchReset");
  EXPECT_EQ(c(1).XPicthBt->Top(), 502.5f);
  a.run(u"DeckB.Cue");
  EXPECT_TRUE(deck(1).ToCue);
  a.run(u"DeckB.Stop");
  EXPECT_FALSE(deck(1).Playing);
  a.run(u"DeckB.PlayPause");  // a stopped deck starts again
  EXPECT_TRUE(deck(1).Playing);
  EXPECT_FALSE(paused(1));
  a.run(u"AutoPlay");
  EXPECT_EQ(main->playlist().view().AutoL->Value(), 1);
  EXPECT_TRUE(main->playlist().view().AutoLST->Enabled());
  a.run(u"AutoPlay");
  EXPECT_FALSE(main->playlist().view().AutoLST->Enabled());
  EXPECT_FALSE(a.run(u"DeckC.PlayPause"));
  EXPECT_TRUE(a.run(u"DeckA.PlayPause"));  // an empty deck: nothing
  EXPECT_FALSE(deck(0).Playing);
  EXPECT_FALSE(deck(0).ToCue);
  EXPECT_EQ(c(0).XPicthBt->Top(), 502.5f);
}

}  // namespace
