// The playlist's and the decks' state on their own, without a window.
#include <gtest/gtest.h>

#include "audio/DeckState.h"
#include "playlist/PlaylistModel.h"
#include "playlist/PlaylistText.h"

namespace {

void fill(playlist::PlaylistModel& m, int n, int current) {
  for (int i = 1; i <= n; ++i) m.insert(i, {"/m/" + QByteArray::number(i) + ".mp3", {}, {}});
  m.setCurrent(current);
}

QByteArray currentPath(const playlist::PlaylistModel& m) {
  return m.path(m.current());
}

TEST(PlaylistModel, TheCurrentEntryFollowsItsTrack) {
  struct Move {
    int src, dest, current, after;
  };
  for (const Move& c : {Move{2, 4, 3, 2}, Move{2, 4, 2, 4}, Move{4, 2, 2, 3}, Move{4, 2, 4, 2},
                        Move{1, 5, 5, 4}, Move{5, 1, 1, 2}, Move{3, 3, 3, 3}}) {
    playlist::PlaylistModel m;
    fill(m, 5, c.current);
    const QByteArray track = currentPath(m);
    m.move(c.src, c.dest);
    EXPECT_EQ(m.current(), c.after) << c.src << "->" << c.dest;
    EXPECT_EQ(currentPath(m), track);
  }
  // Removing an entry before the current one, the current one itself, or one after it.
  for (int removed : {1, 3, 5}) {
    playlist::PlaylistModel m;
    fill(m, 5, 3);
    m.remove(removed);
    EXPECT_EQ(m.current(), removed <= 3 ? 2 : 3) << removed;
  }
  // Clearing keeps the number; positions out of the list are refused.
  playlist::PlaylistModel m;
  fill(m, 3, 2);
  m.remove(9);
  m.move(0, 2);
  EXPECT_EQ(m.count(), 3);
  m.clear();
  EXPECT_EQ(m.current(), 2);
  EXPECT_EQ(m.path(1), QByteArray());
  // Numbers are positions, also after an insertion before them.
  m.insert(1, {"/b.mp3", {}, {}});
  m.insert(1, {"/a.mp3", {}, {}});
  EXPECT_EQ(m.text(1, playlist::PlaylistModel::Number), "2");
  EXPECT_EQ(m.path(2), "/b.mp3");
}

TEST(PlaylistText, AnyLineEndReadsAndAnyBytesComeBack) {
  using namespace playlist::PlaylistText;
  const std::pair<QByteArray, QList<QByteArray>> cases[] = {
      {"", {}},
      {"[X -LIST]\r\n", {}},
      {"fil/skipped.mp3\nFIL/x.mp3\nFIL\r\nFILE/odd\n", {"/x.mp3", "", "E/odd"}},
      {"[X -LIST]\rFIL/a.mp3\rFIL/b.mp3\r\rFIL/c.mp3", {"/a.mp3", "/b.mp3", "/c.mp3"}},
  };
  for (const auto& [text, paths] : cases) EXPECT_EQ(read(text), paths) << text.constData();
  const QList<QByteArray> odd = {"/m\xc3\xbasica/Caf\xc3\xa9.mp3", "/m/l \xe9t\xe9 \xff\xfe.wma",
                                 "/m/\xe2\x80\x94 - x.mp3"};
  EXPECT_EQ(write(odd).left(14), "[X -LIST]\r\nFIL");
  EXPECT_EQ(read(write(odd)), odd);
  // Only a file with more than its header and empty lines may be a list that did not read.
  EXPECT_FALSE(holdsMoreThanAHeader("[X -LIST]\r\n\r\n"));
  EXPECT_FALSE(holdsMoreThanAHeader(""));
  EXPECT_TRUE(holdsMoreThanAHeader("[X -LIST]\r\nfil/a.mp3"));
}

TEST(DeckLevels, KnobsStayInTheirTracksAndGiveLinearLevels) {
  // A 16-twip knob in a 166-twip track: 150 of travel.
  EXPECT_EQ(audio::knobPlace(-5, 16, 166), 0.0f);
  EXPECT_EQ(audio::knobPlace(0, 16, 166), 0.0f);
  EXPECT_EQ(audio::knobPlace(150, 16, 166), 150.0f);  // exactly at the end of its travel
  EXPECT_EQ(audio::knobPlace(151, 16, 166), 150.0f);
  EXPECT_EQ(audio::knobPlace(75.5f, 16, 166), 75.5f);
  EXPECT_EQ(audio::knobLevel(0, 150), 1.0f);
  EXPECT_EQ(audio::knobLevel(150, 150), 0.0f);
  EXPECT_FLOAT_EQ(audio::knobLevel(37.5f, 150), 0.75f);
  EXPECT_EQ(audio::knobLevel(10, 0), 1.0f);  // no travel: no division by zero
}

}  // namespace
