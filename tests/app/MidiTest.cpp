// The MIDI mapping: its file, each encoding, a flood, Learn, and a device that goes away.
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <chrono>

#include "app/MidiMap.h"
#include "library/LibraryFixture.h"

namespace {

using app::MidiCommand;
using app::MidiMap;
using platform::MidiMessage;

int target(const char* name) {
  return app::midiTarget(QString::fromLatin1(name));
}
MidiMessage cc(int channel, int number, int value) {
  return {std::uint8_t(0xB0 | (channel - 1)), std::uint8_t(number), std::uint8_t(value)};
}
MidiMessage note(int channel, int number, int velocity) {
  return {std::uint8_t(0x90 | (channel - 1)), std::uint8_t(number), std::uint8_t(velocity)};
}
MidiMessage bend(int channel, int value) {
  return {std::uint8_t(0xE0 | (channel - 1)), std::uint8_t(value & 0x7F), std::uint8_t(value >> 7)};
}
// The one command of a decoded batch for `name`; a command of no target when there is none.
MidiCommand commandFor(const std::vector<MidiCommand>& cs, const char* name) {
  for (const MidiCommand& c : cs)
    if (c.target == target(name)) return c;
  return {};
}

const char* const kFile =
    "# mine\r\n"
    "XVolBT(0) = cc 1 7 absolute\r\n"
    "XVolBT(1) = CC 2 7 relative\n"
    "MASTSL = cc 1 8 centred\n"
    "XPicthBt(0) = cc 1 1 14bit\n"
    "XPicthBt(1) = bend 2\n"
    "BTPlay(0) = note 1 36\n"
    "DeckB.Cue = cc 3 64 absolute\n"
    "XVolBT(9) = cc 1 9 absolute\n"    // 9: no such control
    "BTStop(0) = note 17 1\n"          // 10: no channel 17
    "XVolBT(1) = note 1 37\n"          // 11: a knob takes no note
    "BTStop(0) = bend 4\n"             // 12: a button takes no bend
    "BTStop(0) = note 1 36\n"          // 13: the note is line 7's
    "DeckA.Stop = cc 1 33 absolute\n"  // 14: the low half of line 5's pair
    "MASTSL = cc 4 2 sideways\n"       // 15
    "just words\n";                    // 16

TEST(MidiMap, TheFileKeepsItsGoodLinesAndSaysWhichItSkipped) {
  QStringList problems;
  const MidiMap m = MidiMap::parse(QString::fromLatin1(kFile), &problems);
  ASSERT_EQ(m.bindings().size(), 7u);
  ASSERT_EQ(problems.size(), 8) << problems.join('\n').toStdString();
  const int lines[] = {9, 10, 11, 12, 13, 14, 15, 16};
  for (int i = 0; i < 8; ++i)
    EXPECT_TRUE(problems[i].startsWith(QStringLiteral("line %1: ").arg(lines[i])))
        << problems[i].toStdString();
  EXPECT_TRUE(problems[4].contains("line 7"));
  EXPECT_TRUE(problems[5].contains("line 5"));
  // What it writes reads back the same, and says nothing more.
  problems.clear();
  const MidiMap again = MidiMap::parse(m.text(), &problems);
  EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
  EXPECT_EQ(again.text(), m.text());
  EXPECT_TRUE(m.text().contains("XVolBT(1) = cc 2 7 relative\n"));
  EXPECT_TRUE(m.text().contains("XPicthBt(1) = bend 2\n"));
  // A pair's high part is on a control below 32.
  EXPECT_EQ(MidiMap::parse("MASTSL = cc 1 32 14bit\nXVolBT(0) = cc 1 31 14bit\n").bindings().size(),
            1u);
}

TEST(MidiMap, EachEncodingMovesItsKnobAndNotesPressButtons) {
  MidiMap m = MidiMap::parse(QString::fromLatin1(kFile));
  const auto one = [&m](std::vector<MidiMessage> batch, const char* name) {
    return commandFor(m.decode(batch), name);
  };
  // Absolute: the ends of the travel, and 64 exactly at its centre.
  EXPECT_EQ(one({cc(1, 7, 0)}, "XVolBT(0)").value, 0.0);
  EXPECT_EQ(one({cc(1, 7, 64)}, "XVolBT(0)").value, 0.5);
  EXPECT_EQ(one({cc(1, 7, 127)}, "XVolBT(0)").value, 1.0);
  EXPECT_TRUE(one({cc(1, 7, 127)}, "XVolBT(0)").set);
  // Two's complement: 1..63 up, 127..65 down; about 64: above up, below down.
  EXPECT_EQ(one({cc(2, 7, 1), cc(2, 7, 3), cc(2, 7, 127)}, "XVolBT(1)").steps, 1 + 3 - 1);
  EXPECT_EQ(one({cc(2, 7, 65)}, "XVolBT(1)").steps, -63);
  EXPECT_EQ(one({cc(2, 7, 64)}, "XVolBT(1)").steps, -64);
  const MidiCommand centred = one({cc(1, 8, 65), cc(1, 8, 66), cc(1, 8, 63)}, "MASTSL");
  EXPECT_EQ(centred.steps, 1 + 2 - 1);
  EXPECT_FALSE(centred.set);
  // 14 bits: a pair's value comes with its low half; the centre is exactly the centre.
  EXPECT_EQ(one({cc(1, 1, 64)}, "XPicthBt(0)").target, -1);
  EXPECT_EQ(one({cc(1, 33, 0)}, "XPicthBt(0)").value, 0.5);
  EXPECT_NEAR(one({cc(1, 1, 127), cc(1, 33, 127)}, "XPicthBt(0)").value, 1.0, 1e-12);
  EXPECT_NEAR(one({cc(1, 1, 0), cc(1, 33, 1)}, "XPicthBt(0)").value, 0.5 / 8192, 1e-12);
  EXPECT_EQ(one({bend(2, 8192)}, "XPicthBt(1)").value, 0.5);
  EXPECT_EQ(one({bend(2, 0)}, "XPicthBt(1)").value, 0.0);
  EXPECT_EQ(one({bend(2, 16383)}, "XPicthBt(1)").value, 1.0);
  EXPECT_EQ(one({bend(1, 16383)}, "XPicthBt(1)").target, -1);  // another channel
  // A note on presses; its note off (or a note on at velocity 0) does not. A control
  // change on a button presses above 0.
  EXPECT_EQ(one({note(1, 36, 100), note(1, 36, 0), {0x80, 36, 64}}, "DeckA.PlayPause").presses, 1);
  EXPECT_EQ(one({cc(3, 64, 127), cc(3, 64, 0)}, "DeckB.Cue").presses, 1);
  // Steps before an absolute value are overtaken by it; those after it count.
  MidiMap both = MidiMap::parse("MASTSL = cc 1 8 centred\nMASTSL = cc 1 9 absolute\n");
  const MidiCommand after =
      commandFor(both.decode({cc(1, 8, 66), cc(1, 9, 127), cc(1, 8, 65)}), "MASTSL");
  EXPECT_TRUE(after.set && after.value == 1.0 && after.steps == 1);
}

// 10,000 messages, a second of a flood: one command per target, the last absolute value, the
// sum of the steps, a bounded number of presses; drained in far less than a frame.
TEST(MidiMap, AFloodCoalescesToOneCommandPerTarget) {
  MidiMap m = MidiMap::parse(QString::fromLatin1(kFile));
  platform::MidiInput input;
  std::vector<MidiMessage> batch;
  for (int i = 0; i < 10000; ++i) {
    const MidiMessage msg = i % 4 == 0   ? cc(1, 7, i % 128)
                            : i % 4 == 1 ? cc(2, 7, i % 8 == 1 ? 1 : 127)
                            : i % 4 == 2 ? bend(2, (i * 7) % 16384)
                                         : note(1, 36, 1 + i % 100);
    const unsigned char bytes[3] = {msg.status, msg.data1, msg.data2};
    input.push(bytes, 3);
    if (i == 9999 || (i + 1) % 5000 == 0) {  // two wake-ups' worth
      QElapsedTimer t;
      t.start();
      batch.clear();
      input.drain(batch);
      const std::vector<MidiCommand> cs = m.decode(batch);
      EXPECT_LT(t.nsecsElapsed(), 4'000'000) << "one drain of 5,000 messages";
      EXPECT_EQ(cs.size(), 3u) << "steps that cancel out are no command";
    }
  }
  EXPECT_EQ(input.dropped(), 0u);
  const std::vector<MidiCommand> cs = m.decode(batch);
  EXPECT_EQ(commandFor(cs, "XVolBT(0)").value, app::centredFraction(9996 % 128, 127));
  EXPECT_EQ(commandFor(cs, "XVolBT(1)").target, -1);  // +1 and -1 in turn
  EXPECT_EQ(commandFor(cs, "XPicthBt(1)").value, app::centredFraction(9998 * 7 % 16384, 16383));
  EXPECT_EQ(commandFor(cs, "DeckA.PlayPause").presses, MidiMap::kMaxPresses);
  // System messages (SysEx, the clock) and a stray data byte are no message.
  for (unsigned char first : {0xF0, 0xF8, 0x40}) {
    const unsigned char bytes[3] = {first, 1, 2};
    input.push(bytes, 3);
  }
  batch.clear();
  EXPECT_EQ(input.drain(batch), 0u);
  // The queue is bounded: what a stalled window has not taken is dropped and counted.
  for (std::size_t i = 0; i < platform::MidiInput::kCapacity + 10; ++i) {
    const unsigned char bytes[3] = {0xB0, 7, 1};
    input.push(bytes, 3);
  }
  EXPECT_EQ(input.dropped(), 10u);
}

TEST(MidiMap, LearnBindsWhatTheControllerSentAndReplacesItsOldUse) {
  MidiMap m;
  QString problem;
  EXPECT_FALSE(m.learn(target("XPicthBt(0)"), {note(1, 40, 90)}, &problem));
  EXPECT_FALSE(problem.isEmpty());
  ASSERT_TRUE(m.learn(target("XPicthBt(0)"), {cc(1, 33, 5), cc(1, 1, 64), cc(1, 33, 0)}));
  ASSERT_TRUE(m.learn(target("BTPlay(1)"), {{0x80, 36, 0}, note(1, 36, 90)}));
  ASSERT_TRUE(m.learn(target("XVolBT(0)"), {cc(1, 7, 90)}));
  EXPECT_EQ(m.text().section('\n', -4),
            "XPicthBt(0) = cc 1 1 14bit\nDeckB.PlayPause = note 1 36\nXVolBT(0) = cc 1 7 "
            "absolute\n");
  // The note now works deck A's stop; the volume knob is bound afresh to another control.
  ASSERT_TRUE(m.learn(target("DeckA.Stop"), {note(1, 36, 90)}));
  ASSERT_TRUE(m.learn(target("XVolBT(0)"), {cc(1, 9, 90)}));
  EXPECT_EQ(m.text().section('\n', -4),
            "XPicthBt(0) = cc 1 1 14bit\nDeckA.Stop = note 1 36\nXVolBT(0) = cc 1 9 absolute\n");
  EXPECT_EQ(commandFor(m.decode({cc(1, 7, 0)}), "XVolBT(0)").target, -1);
}

class Midi : public fixtures::LibraryFixture {
 protected:
  app::MidiPanel& midi() { return main->midi(); }
  void send(std::vector<MidiMessage> batch) {
    for (const MidiMessage& m : batch) {
      const unsigned char bytes[3] = {m.status, m.data1, m.data2};
      midi().input().push(bytes, 3);
    }
    midi().midi_Messages();
  }
};

// Learn: the control pressed on screen, then the controller's message; the pair is in the
// mapping file, and the message works the control through its knob object.
TEST_F(Midi, LearnStoresThePairAndTheMessageWorksTheControl) {
  audio::DeckPanel& b = main->deck(1);
  const float top = b.XVolBT->Top();
  midi().cmdLearn->click();
  send({cc(1, 7, 127)});  // no target yet: an unbound message does nothing
  EXPECT_TRUE(midi().learning());
  QTest::mousePress(b.XVolBT->widget(), Qt::LeftButton);
  QTest::mouseRelease(b.XVolBT->widget(), Qt::LeftButton);
  send({note(2, 1, 0)});  // a note off suits no knob: Learn waits on
  EXPECT_TRUE(midi().learning());
  send({cc(2, 7, 0)});
  EXPECT_FALSE(midi().learning());
  EXPECT_TRUE(midi().lblMidiState->Caption().contains("XVolBT(1) = cc 2 7 absolute"));
  QFile file(app::MidiPanel::mapFile(
      platform::AppPaths::under(QString::fromStdString(dir.path())).settingsFile));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().endsWith("XVolBT(1) = cc 2 7 absolute\n"));
  EXPECT_EQ(b.XVolBT->Top(), top) << "the learning message moves nothing";
  send({cc(2, 7, 127)});
  EXPECT_EQ(b.XVolBT->Top(), 0.0f);
  EXPECT_EQ(deck(1).VolumeTop, 0.0f);
  send({cc(2, 7, 64)});
  EXPECT_EQ(deck(1).VolumeTop, main->decks().engine().volumeKnob(1).travel() / 2);
  // A second of a flood, 10,000 messages in ten wake-ups: each takes far less than a frame.
  qint64 slowest = 0;
  for (int wake = 0; wake < 10; ++wake) {
    for (int i = 0; i < 1000; ++i) {
      const unsigned char bytes[3] = {0xB1, 7, std::uint8_t((wake * 1000 + i) % 128)};
      midi().input().push(bytes, 3);
    }
    QElapsedTimer t;
    t.start();
    midi().midi_Messages();
    slowest = std::max(slowest, t.nsecsElapsed());
  }
  EXPECT_LT(slowest, 8'000'000);
  std::printf("MIDI flood: the slowest of ten wake-ups of 1,000 messages took %.3f ms\n",
              double(slowest) / 1e6);
  EXPECT_EQ(deck(1).VolumeTop, main->decks().engine().volumeKnob(1).travel() *
                                   float(1.0 - app::centredFraction(9999 % 128, 127)));

  // The pitch: the bend's centre reads as the centred knob.
  midi().setMap(MidiMap::parse("XPicthBt(0) = bend 1\nXPicthBt(1) = cc 1 20 relative\n"));
  const float centre = main->deck(0).XPicthBt->Top();
  send({bend(1, 16383)});
  EXPECT_EQ(deck(0).PitchTop, 0.0f);
  send({bend(1, 8192)});
  EXPECT_EQ(deck(0).PitchTop, centre);
  const float before = deck(1).PitchTop;
  // One step up in two's complement, as the pitch-up button's click.
  send({cc(1, 20, 1), cc(1, 20, 1), cc(1, 20, 127)});
  EXPECT_EQ(deck(1).PitchTop, before - 5.0f);
}

// A device that fails mid-set closes softly with a message; the mapping still works what is
// sent, and the device can be chosen again (here there is none: that is said too).
TEST_F(Midi, AFailedDeviceLeavesTheMappingWorkingAndCanBeChosenAgain) {
  midi().setMap(MidiMap::parse("XVolBT(0) = cc 1 7 absolute\n"));
  midi().input().fail(QStringLiteral("The MIDI device \"pads\" was disconnected"));
  QCoreApplication::sendPostedEvents(&midi().input());
  EXPECT_EQ(midi().lblMidiState->Caption(), "The MIDI device \"pads\" was disconnected");
  EXPECT_FALSE(midi().input().isOpen());
  send({cc(1, 7, 0)});
  EXPECT_EQ(deck(0).VolumeTop, main->decks().engine().volumeKnob(0).travel());
  // The device list holds what this machine offers (here, usually nothing, which is said).
  midi().cboMidi_DropDown();
  const qsizetype here = midi().input().ports().size();
  EXPECT_EQ(midi().cboMidi->ListCount(), 1 + here);
  if (here == 0) {
    EXPECT_FALSE(midi().lblMidiState->Caption().isEmpty());
  }

  // A saved device that is not plugged in is shown, said to be missing, and kept.
  platform::SettingsStore(
      platform::AppPaths::under(QString::fromStdString(dir.path())).settingsFile)
      .SaveSetting("TORNAVEL", "MIDI", "DEVICE", "pads");
  restart();
  EXPECT_EQ(midi().cboMidi->Text(), "pads");
  EXPECT_FALSE(midi().input().isOpen());
  EXPECT_TRUE(midi().lblMidiState->Caption().contains("pads"))
      << midi().lblMidiState->Caption().toStdString();
}

}  // namespace
