#include <gtest/gtest.h>

#include <vector>

#include "app/CommandLine.h"

namespace {

using app::CommandLine;

CommandLine parse(std::vector<const char*> args) {
  args.insert(args.begin(), "tornavel");
  return CommandLine::parse(int(args.size()), args.data());
}

TEST(CommandLine, FilesArriveAsTheirBytesAndToolkitOptionsPassBy) {
  const CommandLine cl =
      parse({"-platform", "offscreen", "caf\xE9 \xFF.mp3", "--style", "Fusion", "-style=Fusion",
             "-reverse", "-", "/m/b.wma", "--", "--help", "-x.mp3"});
  EXPECT_EQ(cl.action, CommandLine::Action::Run);
  EXPECT_EQ(cl.files, QList<QByteArray>({"caf\xE9 \xFF.mp3", "-", "/m/b.wma", "--help", "-x.mp3"}));
  EXPECT_TRUE(parse({}).files.isEmpty());
}

TEST(CommandLine, HelpAndVersionWinOverFiles) {
  EXPECT_EQ(parse({"a.mp3", "--help"}).action, CommandLine::Action::Help);
  EXPECT_EQ(parse({"-h"}).action, CommandLine::Action::Help);
  EXPECT_EQ(parse({"--version", "a.mp3"}).action, CommandLine::Action::Version);
  EXPECT_TRUE(CommandLine::usage().startsWith("Usage: tornavel "));
  EXPECT_TRUE(CommandLine::versionLine().startsWith("tornavel "));
  EXPECT_TRUE(CommandLine::versionLine().endsWith("\n"));
}

TEST(CommandLine, MistakesAreOneLineNamingTheOption) {
  for (const char* bad : {"--bogus", "-v", "--platform=xcb", "-helpme"}) {
    SCOPED_TRACE(bad);
    const CommandLine cl = parse({"a.mp3", bad});
    EXPECT_EQ(cl.action, CommandLine::Action::Error);
    EXPECT_TRUE(cl.error.contains(bad));
    EXPECT_FALSE(cl.error.contains('\n'));
  }
  const CommandLine missing = parse({"-platform"});
  EXPECT_EQ(missing.action, CommandLine::Action::Error);
  EXPECT_TRUE(missing.error.contains("needs a value"));
}

}  // namespace
