// What a user types for a folder, and which file names the browser lists take as audio.
#include <gtest/gtest.h>

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
  using platform::kBrowserPatterns;
  using platform::kSamplePatterns;
  using platform::matchesAny;
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

}  // namespace
