#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "playlist/ForeignPlaylist.h"
#include "playlist/M3u8Writer.h"
#include "playlist/PlaylistPaths.h"

using playlist::ForeignEntry;
using playlist::ForeignFormat;

namespace playlist {
// Failures print the entries readably.
void PrintTo(const ForeignEntry& e, std::ostream* os) {
  *os << "{" << e.path.toPercentEncoding("/ ").constData() << ", \"" << e.title.toUtf8().constData()
      << "\", " << e.lengthSeconds << "}";
}
}  // namespace playlist

namespace {

QList<ForeignEntry> parse(const QByteArray& content, ForeignFormat format) {
  return playlist::parseForeignPlaylist(content, format, "/home/u/Lists");
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QByteArray& path, const QByteArray& content) {
  QFile f(QFile::decodeName(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
}

TEST(ForeignPlaylistParse, M3uResolvesRelativePathsDecodesFileUrlsAndSkipsTheRest) {
  const QByteArray m3u =
      "\xEF\xBB\xBF#EXTM3U\r\n"
      "#EXTINF:215,Artist - Song\r\n"
      "sub/a.mp3\r\n"
      "\r\n"
      "# a comment line\r\n"
      "../Music/./b.wma\r\n"
      "#EXTINF:30,Radio stream\r\n"
      "http://radio.example/stream\r\n"  // its title must not stick to the next entry
      "/abs/c.wav\r\n"
      "file:///music/My%20Song%2C%20live.mp3\r\n"
      "FILE://localhost/music/x.mp3\r\n"
      "file://otherhost/music/y.mp3\r\n"
      "  spaced.mp3  \r\n";
  const QList<ForeignEntry> expected = {
      {"/home/u/Lists/sub/a.mp3", "Artist - Song", 215},
      {"/home/u/Music/b.wma", "", -1},
      {"/abs/c.wav", "", -1},
      {"/music/My Song, live.mp3", "", -1},
      {"/music/x.mp3", "", -1},
      {"/home/u/Lists/spaced.mp3", "", -1},
  };
  EXPECT_EQ(parse(m3u, ForeignFormat::M3u), expected);
}

TEST(ForeignPlaylistParse, M3u8KeepsPathBytesAndReadsUtf8TitlesWithAnyLineEnd) {
  const QByteArray m3u8 =
      "#EXTM3U\r"
      "#EXTINF:12.6 tvg-name=\"a,b\" logo=\"x\",Caf\xC3\xA9 \xE2\x80\x93 Night\r"
      "caf\xE9/\xFF.mp3\r"
      "#EXTINF:-1,\n"
      "/x/one.mp3\n"
      "#EXTINF:junk,Two\r\n"
      "/x/two.mp3";  // no line end after the last entry
  const QList<ForeignEntry> expected = {
      {"/home/u/Lists/caf\xE9/\xFF.mp3", QString::fromUtf8("Caf\xC3\xA9 \xE2\x80\x93 Night"), 13},
      {"/x/one.mp3", "", -1},
      {"/x/two.mp3", "Two", -1},
  };
  EXPECT_EQ(parse(m3u8, ForeignFormat::M3u8), expected);
}

TEST(ForeignPlaylistParse, PlsKeysInAnyOrderAndCase) {
  const QByteArray pls =
      "\xEF\xBB\xBF[playlist]\r\n"
      "NumberOfEntries=5\r\n"
      "Title3=Third\r\n"
      "file3=/abs/three.mp3\r\n"
      "Length1=181\r\n"
      "File1=one.mp3\r\n"
      "Title1=First\r\n"
      "File2=http://radio.example/stream\r\n"
      "Title2=A radio\r\n"
      "LENGTH3=-1\r\n"
      "Title4=An entry without a file\r\n"
      "File10=file:///music/ten%23.mp3\r\n"
      "Filename=not an entry\r\n"
      "; a comment\r\n"
      "Version=2\r\n";
  const QList<ForeignEntry> expected = {
      {"/home/u/Lists/one.mp3", "First", 181},
      {"/abs/three.mp3", "Third", -1},
      {"/music/ten#.mp3", "", -1},
  };
  EXPECT_EQ(parse(pls, ForeignFormat::Pls), expected);
}

TEST(ForeignPlaylistParse, GarbageGivesNoEntryThatNamesNoFile) {
  EXPECT_TRUE(parse("", ForeignFormat::M3u).isEmpty());
  EXPECT_TRUE(parse("[playlist]\nFile1=\nFile=x\n", ForeignFormat::Pls).isEmpty());
  EXPECT_TRUE(parse("/a.mp3\n", ForeignFormat::Unknown).isEmpty());
  QByteArray binary(4096, '\0');
  for (int i = 0; i < binary.size(); ++i) binary[i] = char((i * 37) & 0xFF);
  for (const ForeignEntry& e : parse(binary, ForeignFormat::M3u))
    EXPECT_FALSE(e.path.contains('\0'));  // a path with NUL would name another file
}

TEST(ForeignPlaylistPaths, CleaningAndUrls) {
  EXPECT_EQ(playlist::cleanPath("/a//b/./c/../d/"), "/a/b/d");
  EXPECT_EQ(playlist::cleanPath("/../../x"), "/x");
  EXPECT_EQ(playlist::cleanPath("a/../../x"), "../x");
  EXPECT_EQ(playlist::resolvePath("/", "x.mp3"), "/x.mp3");
  EXPECT_EQ(playlist::folderOf("/list.m3u"), "/");
  EXPECT_EQ(playlist::folderOf("list.m3u"), ".");
  QByteArray every;
  for (int b = 1; b < 256; ++b) every += char(b);
  const QByteArray path = "/m/" + every;
  EXPECT_EQ(playlist::fileUrlToPath(playlist::pathToFileUrl(path)), path);
}

class ForeignPlaylistFiles : public ::testing::Test {
 protected:
  QByteArray at(const char* name) const { return QFile::encodeName(dir.path()) + "/" + name; }
  QTemporaryDir dir;
};

TEST_F(ForeignPlaylistFiles, ReadingKeepsOnlyFilesThatExist) {
  QDir(dir.path()).mkpath("songs/folder.mp3");
  QDir(dir.path()).mkpath("lists");
  writeFile(at("songs/here.mp3"), "x");
  writeFile(at("elsewhere.wav"), "x");
  writeFile(at("lists/mix.m3u"),
            "songs/missing.mp3\n../songs/here.mp3\n../songs/folder.mp3\n" + at("elsewhere.wav"));
  QString error = "stale";
  const QList<ForeignEntry> got = playlist::readForeignPlaylist(at("lists/mix.m3u"), &error);
  EXPECT_TRUE(error.isEmpty());
  const QList<ForeignEntry> expected = {{at("songs/here.mp3"), "", -1},
                                        {at("elsewhere.wav"), "", -1}};
  EXPECT_EQ(got, expected);

  // The existence check can be swapped, so the parser is testable without files.
  const QSet<QByteArray> present = {"/m/b.mp3"};
  const QList<ForeignEntry> kept =
      playlist::keepExisting({{"/m/a.mp3", "", -1}, {"/m/b.mp3", "B", 3}},
                             [&](const QByteArray& p) { return present.contains(p); });
  EXPECT_EQ(kept, QList<ForeignEntry>({{"/m/b.mp3", "B", 3}}));
}

TEST_F(ForeignPlaylistFiles, UnreadableOrUnknownListsSayWhy) {
  QString error;
  EXPECT_TRUE(playlist::readForeignPlaylist(at("none.m3u"), &error).isEmpty());
  EXPECT_TRUE(error.contains("none.m3u")) << error.toStdString();
  writeFile(at("Upper.M3U"), "");
  playlist::readForeignPlaylist(at("Upper.M3U"), &error);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();  // the extension in any case
  writeFile(at("list.txt"), "/a.mp3\n");
  EXPECT_TRUE(playlist::readForeignPlaylist(at("list.txt"), &error).isEmpty());
  EXPECT_TRUE(error.contains("not an M3U")) << error.toStdString();
  QDir(dir.path()).mkpath("folder.pls");
  EXPECT_TRUE(playlist::readForeignPlaylist(at("folder.pls"), &error).isEmpty());
  EXPECT_FALSE(error.isEmpty());
}

TEST_F(ForeignPlaylistFiles, ExportThenImportGivesTheSameEntries) {
  const QList<ForeignEntry> entries = {
      {"/music/Artist - Song.mp3", "Artist - Song", 215},
      {"/music/caf\xE9 \xFF\xFE.wma", QString::fromUtf8("Caf\xC3\xA9 - \xC3\x9C"), -1},
      {"/music/line\nbreak.wav", "Two\nlines", 3},
      {"/music/#hash.mp3", "", 0},
      {"/music/ trailing space .mp3", "Spaces", 1},
  };
  const QByteArray list = at("out.m3u8");
  ASSERT_EQ(playlist::writeM3u8(list, entries), QString());

  // What another player sees: the header, then an info line and a path per entry.
  const QByteArray text = readAll(QFile::decodeName(list));
  EXPECT_TRUE(text.startsWith("#EXTM3U\n#EXTINF:215,Artist - Song\n/music/Artist - Song.mp3\n"))
      << text.constData();
  EXPECT_EQ(text.count('\n'), 1 + 2 * entries.size());

  QString error;
  const QList<ForeignEntry> back =
      playlist::readForeignPlaylist(list, &error, [](const QByteArray&) { return true; });
  EXPECT_TRUE(error.isEmpty());
  QList<ForeignEntry> expected = entries;
  expected[2].title = "Two lines";
  EXPECT_EQ(back, expected);
}

TEST_F(ForeignPlaylistFiles, SavingReplacesWholeOrNotAtAll) {
  const QByteArray list = at("keep.m3u8");
  writeFile(list, "old\n");
  ASSERT_EQ(playlist::writeM3u8(list, {{"/a.mp3", "A", 1}}), QString());
  EXPECT_EQ(readAll(QFile::decodeName(list)), "#EXTM3U\n#EXTINF:1,A\n/a.mp3\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"keep.m3u8"}));

  // Saving through a link rewrites the file it points to and keeps the link.
  ASSERT_EQ(::symlink(list.constData(), at("link.m3u8").constData()), 0);
  ASSERT_EQ(playlist::writeM3u8(at("link.m3u8"), {{"/b.mp3", "B", 2}}), QString());
  EXPECT_TRUE(QFileInfo(QFile::decodeName(at("link.m3u8"))).isSymLink());
  EXPECT_EQ(readAll(QFile::decodeName(list)), "#EXTM3U\n#EXTINF:2,B\n/b.mp3\n");

  // A folder in the way or a missing folder: a message naming the file, nothing left over.
  QDir(dir.path()).mkpath("taken.m3u8");
  EXPECT_TRUE(playlist::writeM3u8(at("taken.m3u8"), {}).contains("taken.m3u8"));
  EXPECT_TRUE(playlist::writeM3u8(at("no/such/folder.m3u8"), {}).contains("folder.m3u8"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

  // A pipe behind a link is not replaced by a file.
  ASSERT_EQ(::mkfifo(at("pipe").constData(), 0600), 0);
  ASSERT_EQ(::symlink(at("pipe").constData(), at("to-pipe.m3u8").constData()), 0);
  EXPECT_TRUE(
      playlist::writeM3u8(at("to-pipe.m3u8"), {{"/c.mp3", "C", 3}}).contains("to-pipe.m3u8"));
  struct stat st {};
  ASSERT_EQ(::lstat(at("pipe").constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
