// What a user types for a folder, and which file names the browser lists take as audio.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

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

// Which names each choice of file types takes, at each way in. Columns: collected by a scan,
// taken from a desktop drop, handed over (command line, another launch, a deck), listed by
// the browser, listed with the samples.
TEST(AudioFileTypes, EachChoiceTakesItsOwnNames) {
  using platform::FileTypes;
  struct Row {
    const char* name;
    FileTypes types;
    bool library, drop, playable, browser, samples;
  };
  constexpr FileTypes first = FileTypes::MpegAndWma, all = FileTypes::AllAudio;
  const Row rows[] = {
      // The first set keeps its old rules: WAV only where handed over or pre-listened, and
      // the drop only in lower case.
      {"a.mp3", first, true, true, true, true, true},
      {"B.MP3", first, true, false, true, true, true},
      {"c.wav", first, false, false, true, false, true},
      {"d.flac", first, false, false, false, false, false},
      {"e.ogg", first, false, false, false, false, false},
      {"f.m4a", first, false, false, false, false, false},
      {"xmp3", first, false, true, false, false, false},  // the drop looks at the end only
      // All audio files: every type, in any case, everywhere.
      {"B.MP3", all, true, true, true, true, true},
      {"c.wav", all, true, true, true, true, true},
      {"d.FLAC", all, true, true, true, true, true},
      {"e.ogg", all, true, true, true, true, true},
      {"e.Oga", all, true, true, true, true, true},
      {"g.opus", all, true, true, true, true, true},
      {"f.m4a", all, true, true, true, true, true},
      {"h.aac", all, true, true, true, true, true},
      {"i.aif", all, true, true, true, true, true},
      {"i.AIFF", all, true, true, true, true, true},
      {"i.aifc", all, true, true, true, true, true},
      {"j.wma", all, true, true, true, true, true},
      // Neither takes other files, names that only look like audio, or a hidden NUL.
      {"xmp3", all, false, false, false, false, false},
      {"k.flac.txt", all, false, false, false, false, false},
      {"l.mp4", all, false, false, false, false, false},
      {"m.fla", all, false, false, false, false, false},
      {"flac", all, false, false, false, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.name) + (r.types == all ? " (all)" : " (first)"));
    EXPECT_EQ(platform::isLibraryAudio(r.name, r.types), r.library);
    EXPECT_EQ(platform::isDroppedAudio(r.name, r.types), r.drop);
    EXPECT_EQ(platform::isPlayableAudio(r.name, r.types), r.playable);
    EXPECT_EQ(platform::matchesAny(r.name, platform::browserPatterns(r.types)), r.browser);
    EXPECT_EQ(platform::matchesAny(r.name, platform::samplePatterns(r.types)), r.samples);
  }
  const std::string nul("n.flac\0.flac", 12);
  for (FileTypes t : {first, all}) {
    EXPECT_FALSE(platform::isLibraryAudio(nul, t));
    EXPECT_FALSE(platform::isDroppedAudio(nul, t));
    EXPECT_FALSE(platform::isPlayableAudio(nul, t));
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
