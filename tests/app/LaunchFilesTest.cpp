#include <gtest/gtest.h>

#include <sys/stat.h>
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
  m3u.write("#EXTM3U\r\nin list.mp3\r\nmissing.mp3\r\n../notes.txt\r\n../two.wav\r\n");
  m3u.close();
  QFile server(QFile::decodeName(root + "/here/list/server.m3u"));
  ASSERT_TRUE(server.open(QIODevice::WriteOnly));
  server.write("Artist/one.mp3\nnotes.txt\nArtist/two.wma\n");
  server.close();

  const QByteArray here = root + "/here";
  const app::LaunchFiles got =
      app::LaunchFiles::collect({"A - One.MP3", "gone.mp3", "./list/../caf\xe9.wma", "notes.txt",
                                 "list", "list/set.m3u", "list/server.m3u", here + "/two.wav",
                                 "file://" + here.toPercentEncoding("/") + "/A%20-%20One.MP3", ""},
                                here, platform::FileTypes::MpegAndWma);
  // A list's entries are looked for only as the playlist takes them in, behind the window.
  EXPECT_EQ(got.paths,
            (QByteArrayList{here + "/A - One.MP3", here + "/caf\xe9.wma",
                            here + "/list/in list.mp3", here + "/list/missing.mp3",
                            here + "/two.wav", here + "/two.wav", here + "/A - One.MP3"}));
  EXPECT_EQ(got.problems,
            (QByteArrayList{"'gone.mp3': no such file", "'notes.txt': not an MP3, WMA or WAV file",
                            "'list': is a folder",
                            "'list/server.m3u': adds nothing to the playlist, 2 of its 3 entries "
                            "were not found",
                            "'': no such file"}));
  QDir(QFile::decodeName(root)).removeRecursively();
}

// Names that must not reach the player, each said for what it is: a NUL (the system would
// open another file than the one whose extension was checked), a line break, special files
// and a file of another computer.
TEST(LaunchFiles, HostileNamesAreRefusedWithWhatTheyAre) {
  const QByteArray root = QFile::encodeName(QDir::tempPath()) + "/tv-hostile-" +
                          QByteArray::number(QCoreApplication::applicationPid());
  QDir().mkpath(QString::fromUtf8(root));
  for (const char* n : {"/secret.txt", "/a\nb.mp3", "/ok.mp3"})
    std::fclose(std::fopen((root + n).constData(), "w"));
  ASSERT_EQ(::mkfifo((root + "/fifo.mp3").constData(), 0600), 0);
  QFile m3u(QFile::decodeName(root + "/set.m3u"));
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write("file://" + root + "/secret.txt%00.mp3\nfile://" + root + "/a%0Ab.mp3\nok.mp3\n");
  m3u.close();
  const app::LaunchFiles got = app::LaunchFiles::collect(
      {"file://" + root + "/secret.txt%00.mp3", "file://" + root + "/a%0Ab.mp3", root + "/a\nb.mp3",
       root + "/fifo.mp3", "/dev/null", "file://otherhost" + root + "/ok.mp3", "set.m3u"},
      root, platform::FileTypes::MpegAndWma);
  EXPECT_EQ(got.paths, (QByteArrayList{root + "/ok.mp3"}));  // from the list
  EXPECT_EQ(got.problems,
            (QByteArrayList{
                "'file://" + root + "/secret.txt%00.mp3': the name holds a NUL byte",
                "'file://" + root +
                    "/a%0Ab.mp3': the name holds a line break, which the playlist file cannot keep",
                "'" + root +
                    "/a\\nb.mp3': the name holds a line break, which the playlist file cannot keep",
                "'" + root + "/fifo.mp3': is a pipe", "'/dev/null': is a device",
                "'file://otherhost" + root + "/ok.mp3': not a file of this computer",
                "'set.m3u': 1 entries left out, their names hold a line break"}));
  QDir(QFile::decodeName(root)).removeRecursively();
}

// What each choice of file types takes from the command line, and what it says of the rest.
TEST(LaunchFiles, TheChosenFileTypesDecideWhatIsTaken) {
  using platform::FileTypes;
  const QByteArray root = QFile::encodeName(QDir::tempPath()) + "/tv-types-" +
                          QByteArray::number(QCoreApplication::applicationPid());
  QDir().mkpath(QString::fromUtf8(root));
  for (const char* n : {"/Song.FLAC", "/loop.ogg", "/notes.txt"})
    std::fclose(std::fopen((root + n).constData(), "w"));
  QFile m3u(QFile::decodeName(root + "/set.m3u"));
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write("Song.FLAC\nnotes.txt\n");
  m3u.close();
  const QByteArrayList named = {"Song.FLAC", "loop.ogg", "notes.txt", "set.m3u"};
  const app::LaunchFiles all = app::LaunchFiles::collect(named, root, FileTypes::AllAudio);
  EXPECT_EQ(all.paths, (QByteArrayList{root + "/Song.FLAC", root + "/loop.ogg",
                                       root + "/Song.FLAC"}));  // the list's other is no audio
  EXPECT_EQ(all.problems, QByteArrayList{"'notes.txt': not an MP3, WMA, WAV, FLAC, Ogg, Opus, "
                                         "AAC, M4A or AIFF file"});
  const app::LaunchFiles first = app::LaunchFiles::collect(named, root, FileTypes::MpegAndWma);
  EXPECT_EQ(first.paths, QByteArrayList());
  const QByteArray hint = " (\"All audio files\" in the options' file types takes it)";
  EXPECT_EQ(first.problems,
            (QByteArrayList{"'Song.FLAC': not an MP3, WMA or WAV file" + hint,
                            "'loop.ogg': not an MP3, WMA or WAV file" + hint,
                            "'notes.txt': not an MP3, WMA or WAV file",
                            "'set.m3u': adds nothing to the playlist, none of its 2 entries is an "
                            "MP3, WMA or WAV file"}));
  QDir(QFile::decodeName(root)).removeRecursively();
}

}  // namespace
