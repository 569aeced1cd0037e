#include "library/SeparaNom.h"

#include <gtest/gtest.h>

namespace {

using library::SeparaNom;

struct Split {
  QString path, artist, title;
};

TEST(SeparaNom, SplitsArtistAndTitleFromTheFileName) {
  const Split cases[] = {
      {"/Music/Artist - Title.mp3", "Artist", "Title.mp3"},
      {"/Music/Song.mp3", "Song", ""},
      {"/x.mp3", "x", ""},
      {"a.b", "", ""},
      {"/m/ - Title.mp3", " - Title", ""},  // a dash first: the whole name less its extension
      {"/m/A - B - C.wma", "A", "B - C.wma"},
      {"", "", ""},
  };
  for (const Split& c : cases) {
    QString a = c.path, t = c.path;
    EXPECT_EQ(SeparaNom(a, 0), c.artist) << c.path.toStdString();
    EXPECT_EQ(SeparaNom(t, 1), c.title) << c.path.toStdString();
    EXPECT_FALSE(a.contains(QLatin1Char('/')));  // the caller keeps the bare name
  }
}

TEST(SeparaNom, FileNameModeKeepsThePathAndTheExtension) {
  QString p = "/Music/Artist - Title.mp3";
  EXPECT_EQ(SeparaNom(p, 2), "Artist - Title.mp3");
  EXPECT_EQ(p, "/Music/Artist - Title.mp3");
  QString bare = "Song.mp3", folder = "/Music/Folder/", empty;
  EXPECT_EQ(SeparaNom(bare, 2), "Song.mp3");
  EXPECT_EQ(SeparaNom(folder, 2), "Folder/");  // the last character is never tested
  EXPECT_EQ(SeparaNom(empty, 2), "");
}

}  // namespace

#include <random>

#include "library/ByteSearch.h"

namespace {

TEST(ByteSearch, FindsWhatAPlainCaselessSearchFinds) {
  std::mt19937 rng(7);
  // Letters either side of the upper-case range ('@', '[') and bytes above ASCII must not fold.
  // Digits and blanks make needles whose rarest bytes lie inside them, or repeat.
  const char alphabet[] = {'a', 'A', 'z', 'Z', '@', '[', '`', '{', '\xc3', '\x81', '9', ' '};
  for (int round = 0; round < 20000; ++round) {
    std::string hay(rng() % 90, 'a');
    for (char& c : hay) c = alphabet[rng() % sizeof alphabet];
    std::string needle(rng() % 7, 'a');
    for (char& c : needle) c = library::lowerAscii(alphabet[rng() % sizeof alphabet]);
    const char* got = library::findCaseless(hay.data(), hay.size(), needle.data(), needle.size());
    std::string lowered = hay;
    for (char& c : lowered) c = library::lowerAscii(c);
    const std::size_t want = std::string_view(lowered).find(needle);
    ASSERT_EQ(got ? std::size_t(got - hay.data()) : std::string_view::npos, want)
        << hay << " / " << needle;
  }
}

}  // namespace
