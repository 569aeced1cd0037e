#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

#include "app/LaunchFiles.h"

namespace {

// The files named on the command line, made ready for a player running in another folder.
TEST(LaunchFiles, NamesBecomeAbsolutePathsAndWhatCannotPlayIsSkippedWithOneLineEach) {
  const QByteArray root = QFile::encodeName(QDir::tempPath()) + "/tv-launch-" +
                          QByteArray::number(QCoreApplication::applicationPid());
  QDir().mkpath(QString::fromUtf8(root + "/here/list"));
  for (const char* n : {"here/A - One.MP3", "here/two.wav", "here/caf\xe9.wma", "here/notes.txt",
                        "here/list/in list.mp3"})
    std::fclose(
        std::fopen((root + "/" + n).constData(), "w"));  // names that are not text need the bytes
  QFile m3u(QFile::decodeName(root + "/here/list/set.m3u"));
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write("#EXTM3U\r\nin list.mp3\r\nmissing.mp3\r\n../two.wav\r\n");
  m3u.close();

  const QByteArray here = root + "/here";
  const app::LaunchFiles got = app::LaunchFiles::collect(
      {"A - One.MP3", "gone.mp3", "./list/../caf\xe9.wma", "notes.txt", "list", "list/set.m3u",
       here + "/two.wav", "file://" + here.toPercentEncoding("/") + "/A%20-%20One.MP3", ""},
      here);
  EXPECT_EQ(got.paths, (QByteArrayList{here + "/A - One.MP3", here + "/caf\xe9.wma",
                                       here + "/list/in list.mp3", here + "/two.wav",
                                       here + "/two.wav", here + "/A - One.MP3"}));
  EXPECT_EQ(got.problems,
            (QByteArrayList{"'gone.mp3': no such file", "'notes.txt': not an MP3, WMA or WAV file",
                            "'list': is a folder", "'': no such file"}));
  QDir(QFile::decodeName(root)).removeRecursively();
}

}  // namespace
