#include <gtest/gtest.h>

#include "library/FolderCover.h"

namespace {

std::vector<QByteArray> cover(std::initializer_list<const char*> entries) {
  library::FolderCover c;
  for (const char* e : entries) c.add(e);
  return c.folders();
}

TEST(FolderCover, ListsEachFolderOnceAndNeverOneInsideAnother) {
  EXPECT_EQ(cover({"/M/a", "/M/a/x", "/N"}), (std::vector<QByteArray>{"/M/a", "/N"}));
  // A subfolder met before its parent gives the parent its place.
  EXPECT_EQ(cover({"/M/a/x", "/N", "/M/a"}), (std::vector<QByteArray>{"/M/a", "/N"}));
  // A folder enclosing several listed ones replaces all of them, in the first one's place.
  EXPECT_EQ(cover({"/M/a", "/N", "/M/b", "/M"}), (std::vector<QByteArray>{"/M", "/N"}));
  // Whole folder names only; letters' case does not matter for a folder inside a listed one.
  EXPECT_EQ(cover({"/music", "/music2", "/MUSIC/x"}),
            (std::vector<QByteArray>{"/music", "/music2"}));
  // The root covers everything, and a library of files directly in it keeps it.
  EXPECT_EQ(cover({"/", "/home/a"}), (std::vector<QByteArray>{"/"}));
  EXPECT_EQ(cover({"/home/a", "/"}), (std::vector<QByteArray>{"/"}));
  EXPECT_EQ(cover({""}), (std::vector<QByteArray>{}));
}

TEST(FolderCover, ManyAlbumsAreListedAtOnce) {
  library::FolderCover c;
  for (int i = 0; i < 200000; ++i)
    c.add("/music/artist" + QByteArray::number(i % 50000) + "/album");
  EXPECT_EQ(c.folders().size(), 50000u);
}

}  // namespace
