// What a user types for a folder, and which file names the browser lists take as audio.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/os/AudioFiles.h"
#include "platform/os/NativePath.h"

namespace {

TEST(TypedFolder, NamesTheFolderAUserMeans) {
  using platform::absoluteFolder;
  EXPECT_EQ(absoluteFolder("/music/rock/"), "/music/rock");
  EXPECT_EQ(absoluteFolder("//music///rock"), "/music/rock");
  EXPECT_EQ(absoluteFolder("/music/./old/../rock"), "/music/rock");
  EXPECT_EQ(absoluteFolder("/.."), "/");
  EXPECT_EQ(absoluteFolder("/"), "/");
  EXPECT_EQ(absoluteFolder("~"), platform::homeFolder());
  EXPECT_EQ(absoluteFolder("~/Music"), platform::childPath(platform::homeFolder(), "Music"));
  EXPECT_EQ(absoluteFolder("~x"), platform::childPath(platform::currentFolder(), "~x"));
  EXPECT_EQ(absoluteFolder("sub/.."), platform::currentFolder());
  EXPECT_EQ(absoluteFolder("/a/Caf\xe9"), "/a/Caf\xe9");  // bytes stay as they are
  EXPECT_EQ(absoluteFolder(""), "");
  EXPECT_TRUE(platform::isRootFolder("/"));
  EXPECT_FALSE(platform::isRootFolder("/a"));
  EXPECT_EQ(platform::parentFolder("/a"), "/");
}

TEST(AudioPatterns, MatchWhateverTheCase) {
  using platform::matchesAny;
  const auto kBrowserPatterns = platform::browserPatterns(platform::FileTypes::MpegAndWma);
  const auto kSamplePatterns = platform::samplePatterns(platform::FileTypes::MpegAndWma);
  for (const char* name : {"a.mp3", "B.MP3", "c.Wma", ".mp3", "x.mp3.mp3"})
    EXPECT_TRUE(matchesAny(name, kBrowserPatterns)) << name;
  for (const char* name : {"a.wav", "a.mp3.txt", "mp3", "a.mp", "a.mp33", "a_mp3"})
    EXPECT_FALSE(matchesAny(name, kBrowserPatterns)) << name;
  EXPECT_TRUE(matchesAny("Loop.WAV", kSamplePatterns));
  EXPECT_FALSE(matchesAny("Loop.ogg", kSamplePatterns));
  EXPECT_TRUE(platform::matchesPattern("a1.mp3", "a?.MP3"));
  EXPECT_FALSE(platform::matchesPattern("a12.mp3", "a?.mp3"));
  EXPECT_TRUE(platform::matchesPattern("anything", "*"));
}

// Which names each choice of file types takes at each way in: a scan, a desktop drop, a
// hand-over (command line, another launch, a deck), the browser, the samples list.
TEST(AudioFileTypes, EachChoiceTakesItsOwnNames) {
  using namespace std::literals;
  using platform::FileTypes;
  struct Row {
    FileTypes types;
    bool library, drop, playable, browser, samples;
    std::vector<std::string_view> names;
  };
  constexpr FileTypes first = FileTypes::MpegAndWma, all = FileTypes::AllAudio;
  const std::vector<std::string_view> everyType = {"B.MP3", "c.wav",  "d.FLAC", "e.ogg",
                                                   "e.Oga", "g.opus", "f.m4a",  "h.aac",
                                                   "i.aif", "i.AIFF", "i.aifc", "j.wma"};
  const std::vector<std::string_view> lookalikes = {"xmp3",  "k.flac.txt", "l.mp4",
                                                    "m.fla", "flac",       "n.flac\0.flac"sv};
  const Row rows[] = {
      // The first set keeps its old rules: WAV only where handed over or pre-listened, and
      // the drop only in lower case and only by the name's end.
      {first, true, true, true, true, true, {"a.mp3", "j.wma"}},
      {first, true, false, true, true, true, {"B.MP3"}},
      {first, false, false, true, false, true, {"c.wav"}},
      {first, false, false, false, false, false, {"d.flac", "e.ogg", "f.m4a"}},
      {first, false, true, false, false, false, {"xmp3"}},
      // All audio files: every type, in any case, everywhere; never a name that only looks
      // like audio, or one with a hidden NUL.
      {all, true, true, true, true, true, everyType},
      {all, false, false, false, false, false, lookalikes},
  };
  for (const Row& r : rows)
    for (std::string_view name : r.names) {
      SCOPED_TRACE(std::string(name) + (r.types == all ? " (all)" : " (first)"));
      EXPECT_EQ(platform::isLibraryAudio(name, r.types), r.library);
      EXPECT_EQ(platform::isDroppedAudio(name, r.types), r.drop);
      EXPECT_EQ(platform::isPlayableAudio(name, r.types), r.playable);
      EXPECT_EQ(platform::matchesAny(name, platform::browserPatterns(r.types)), r.browser);
      EXPECT_EQ(platform::matchesAny(name, platform::samplePatterns(r.types)), r.samples);
    }
}

// The desktop offers the player every file it can open: the menu entry lists the media
// types of all audio files, and the bus offers those of the choice.
TEST(AudioFileTypes, TheMenuEntryListsEveryTypeThePlayerOpens) {
  std::ifstream entry(TV_DATA_DIR "/desktop/org.tornavel.TornaVel.desktop");
  ASSERT_TRUE(entry.good());
  std::string line, listed;
  while (std::getline(entry, line))
    if (line.rfind("MimeType=", 0) == 0) listed = ";" + line.substr(9);
  for (platform::FileTypes t : {platform::FileTypes::MpegAndWma, platform::FileTypes::AllAudio})
    for (const char* type : platform::mimeTypes(t))
      EXPECT_NE(listed.find(";" + std::string(type) + ";"), std::string::npos) << type;
  EXPECT_LT(platform::mimeTypes(platform::FileTypes::MpegAndWma).size(),
            platform::mimeTypes(platform::FileTypes::AllAudio).size());
}

}  // namespace
