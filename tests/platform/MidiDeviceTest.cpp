// MIDI input from a real port: a virtual output of JACK's dummy server, so RtMidi's own
// thread, the queue and the wake-up of the window thread all run. Skipped without jackd.
#include <RtMidi.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <memory>

#include "platform/midi/MidiInput.h"

namespace {

class JackServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable("jackd").isEmpty() ||
        QStandardPaths::findExecutable("jack_wait").isEmpty())
      GTEST_SKIP() << "no jackd here (Debian jackd2)";
    const QString name = QStringLiteral("tv-midi-%1").arg(QCoreApplication::applicationPid());
    qputenv("JACK_DEFAULT_SERVER", name.toUtf8());
    qputenv("JACK_NO_START_SERVER", "1");
    qputenv("JACK_NO_AUDIO_RESERVATION", "1");
    m_jackd.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_jackd.start("jackd", {"-r", "-n", name, "-d", "dummy", "-r", "48000", "-p", "1024"});
    ASSERT_TRUE(m_jackd.waitForStarted(5000));
    ASSERT_EQ(QProcess::execute("jack_wait", {"-s", name, "-w", "-t", "10"}), 0);
  }
  void TearDown() override {
    m_pads.reset();
    m_jackd.terminate();
    m_jackd.waitForFinished(5000);
  }
  void plugIn() {
    m_pads = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "tv-test-pads");
    m_pads->openVirtualPort("pads");
  }
  void send(std::vector<unsigned char> m) { m_pads->sendMessage(&m); }
  // A port's connection is made on JACK's own cycle, some time after open() returns, and what
  // is sent before it is lost: a probe goes out every 50 ms until one arrives.
  static bool connected(platform::MidiInput& in, JackServer& t) {
    std::vector<platform::MidiMessage> probe;
    in.onMessages = [&] { in.drain(probe); };
    const bool ok = QTest::qWaitFor(
        [&] {
          t.send({0xB0, 1, 0});
          QTest::qWait(50);
          return !probe.empty();
        },
        10000);
    QTest::qWait(200);  // the last probes still on their way
    in.drain(probe);
    in.onMessages = nullptr;
    return ok;
  }

  QProcess m_jackd;
  std::unique_ptr<RtMidiOut> m_pads;
};

TEST_F(JackServer, MessagesArriveInBatchesAndAnUnpluggedDeviceCanBeChosenAgain) {
  plugIn();
  platform::MidiInput in;
  const QString name = QStringLiteral("tv-test-pads:pads");
  ASSERT_TRUE(in.ports().contains(name)) << in.ports().join(", ").toStdString();
  ASSERT_TRUE(in.open(name)) << in.error().toStdString();
  ASSERT_TRUE(connected(in, *this));
  int wakes = 0;
  std::vector<platform::MidiMessage> got;
  in.onMessages = [&] {
    ++wakes;
    in.drain(got);
  };
  QString failed;
  in.onError = [&](const QString& why) { failed = why; };
  send({0xB0, 7, 100});
  send({0x90, 36, 90});
  send({0xF8});  // a clock tick is left out
  send({0xE1, 0x00, 0x40});
  ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() >= 3; }, 5000));
  EXPECT_EQ(got.size(), 3u);
  EXPECT_LE(wakes, 3);
  EXPECT_EQ(got[0].status, 0xB0);
  EXPECT_EQ(got[0].data2, 100);
  EXPECT_EQ(got[2].status, 0xE1);
  EXPECT_EQ(got[2].data2, 0x40);

  // Unplugged: the next look finds it gone and closes it softly.
  EXPECT_TRUE(in.checkPresent());
  m_pads.reset();
  EXPECT_FALSE(in.checkPresent());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !failed.isEmpty(); }, 5000));
  EXPECT_FALSE(in.isOpen());
  EXPECT_TRUE(failed.contains(name)) << failed.toStdString();

  // Plugged in again and chosen again, it works as before.
  plugIn();
  ASSERT_TRUE(in.open(name)) << in.error().toStdString();
  ASSERT_TRUE(connected(in, *this));
  in.onMessages = [&] { in.drain(got); };
  got.clear();
  send({0xB0, 7, 5});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !got.empty(); }, 5000));
  EXPECT_EQ(got[0].data2, 5);
}

}  // namespace
