#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QMenu>

#include "support/PlayerFixture.h"

namespace {

// Playlists of other players dropped on the list, and the list exported for them.
class ForeignDropTest : public fixtures::PlayerFixture {
 protected:
  void SetUp() override {
    chooseFileTypes(platform::FileTypes::MpegAndWma);
    PlayerFixture::SetUp();
    main = &start();
    list = &main->playlist().list();
    list->showError = [this](const QString& text) { errors << text; };
    main->playlist().exporter().showError = [this](const QString& text) { errors << text; };
    root = QByteArray::fromStdString(dir.path());
    QDir().mkpath(QString::fromUtf8(root + "/music/sub"));
    for (const char* n : {"music/a.mp3", "music/b.wma", "music/c d.wav", "music/sub/\xc3\xb1.mp3",
                          "music/cover.jpg"})
      touch(n);
    for (int i = 1; i <= 3; ++i) {
      QByteArray p = "/old/Old " + QByteArray::number(i) + ".mp3";
      list->SendTOlst(p, playlist::Playlist::kAppend);
    }
  }
  void touch(const char* name) {
    QFile f(QString::fromUtf8(root + "/" + name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QByteArray write(const char* name, const QByteArray& content) {
    const QByteArray path = root + "/" + name;
    QFile f(QString::fromUtf8(path));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    return path;
  }
  QByteArrayList paths() {
    QByteArrayList out;
    for (int i = 1; i <= list->count(); ++i) out << list->path(i);
    return out;
  }
  const playlist::PlaylistEntry& entry(int position) {
    return main->playlist().model().entry(position);
  }
  playlist::Playlist* list = nullptr;
  QByteArray root;
  QStringList errors;
};

// How each kind of list reads is the parser's; here where its entries land, in its order.
TEST_F(ForeignDropTest, AListInsertsItsExistingAudioEntriesAtTheDropPoint) {
  const QByteArray music = root + "/music";
  QDir().mkpath(QString::fromUtf8(root + "/lists"));
  // Relative, absolute, URL, missing and non-audio entries.
  const QByteArray path = write(
      "lists/mix.m3u", "#EXTM3U\r\n#EXTINF:123,A - a\r\n../music/a.mp3\r\n" + music +
                           "/b.wma\r\n../music/gone.mp3\r\nfile://" + music.toPercentEncoding("/") +
                           "/c%20d.wav\r\n../music/cover.jpg\r\n");
  list->LSTMP3_FilesDropped({path}, 100, rowY(1));
  EXPECT_EQ(paths(), (QByteArrayList{"/old/Old 1.mp3", music + "/a.mp3", music + "/b.wma",
                                     music + "/c d.wav", "/old/Old 2.mp3", "/old/Old 3.mp3"}));
  EXPECT_EQ(entry(2).artist, "a");
  EXPECT_EQ(entry(2).lengthSeconds, 123);
  EXPECT_EQ(entry(3).lengthSeconds, -1);
  for (int i = 1; i <= 6; ++i)
    EXPECT_EQ(main->playlist().model().text(i - 1, 0), QString::number(i));
  EXPECT_TRUE(errors.isEmpty());

  // Dropped on an empty list, with a plain audio file beside it.
  list->cmdCls_Click();
  const QByteArray m3u = write("lists/one.m3u8", "sub/\xc3\xb1.mp3\n");
  QDir().rename(QString::fromUtf8(music + "/sub"), QString::fromUtf8(root + "/lists/sub"));
  list->LSTMP3_FilesDropped({m3u, music + "/a.mp3"}, 100, rowY(5));
  EXPECT_EQ(paths(), (QByteArrayList{music + "/a.mp3", root + "/lists/sub/\xc3\xb1.mp3"}));
}

TEST_F(ForeignDropTest, ExportWritesAnExtendedM3u8ThatComesBackTheSame) {
  list->LSTMP3_FilesDropped(
      {write("in.m3u", "#EXTINF:61,x\nmusic/c d.wav\nmusic/sub/\xc3\xb1.mp3\n")}, 100, rowY(0));
  // A deck that holds an entry gives its length.
  const QByteArray tone = root + "/Tone Maker - Beep.wav";
  fixtures::writeWav(tone.toStdString(), {{440, 2.6}});  // rounds to 3 s
  QByteArray t = tone;
  list->SendTOlst(t, playlist::Playlist::kAppend);
  ASSERT_EQ(main->decks().engine().OpenDeckTrack(tone, 1, false), audio::DeckActions::Open::Opened);

  // Through the list's pop-up menu: the entry follows "Clean List !".
  const QList<QAction*> actions = list->menu()->actions();
  const qsizetype at = actions.indexOf(main->playlist().menu().cmd_lstclean);
  ASSERT_LT(at + 1, actions.size());
  EXPECT_EQ(actions[at + 1]->text(), QString::fromUtf8("Export M3U…"));
  QString asked;
  main->playlist().exporter().chooseFile = [&] { return asked = QString::fromUtf8(root + "/out"); };
  actions[at + 1]->trigger();
  EXPECT_TRUE(errors.isEmpty());
  QFile out(QString::fromUtf8(root + "/out.m3u8"));  // the extension added
  ASSERT_TRUE(out.open(QIODevice::ReadOnly));
  const QByteArray written = out.readAll();
  EXPECT_EQ(written,
            "#EXTM3U\n"
            "#EXTINF:61,c d\n" +
                root +
                "/music/c d.wav\n"
                "#EXTINF:-1,\xc3\xb1\n" +
                root +
                "/music/sub/\xc3\xb1.mp3\n"
                "#EXTINF:-1,Old 1\n/old/Old 1.mp3\n"
                "#EXTINF:-1,Old 2\n/old/Old 2.mp3\n"
                "#EXTINF:-1,Old 3\n/old/Old 3.mp3\n"
                "#EXTINF:3,Tone Maker - Beep\n" +
                tone + "\n");

  // Read back into an empty list: the same entries in the same order, missing ones left out.
  const QByteArrayList before = paths();
  list->cmdCls_Click();
  list->LSTMP3_FilesDropped({root + "/out.m3u8"}, 100, rowY(0));
  QByteArrayList expected = before;
  expected.removeIf([](const QByteArray& p) { return p.startsWith("/old/"); });
  EXPECT_EQ(paths(), expected);
  EXPECT_EQ(entry(1).lengthSeconds, 61);

  // A typed extension stays, whatever its case; a private file replaced stays private.
  const QByteArray typed = root + "/Mix.M3U";
  ASSERT_TRUE(QFile(QString::fromUtf8(typed)).open(QIODevice::WriteOnly));
  ASSERT_EQ(::chmod(typed.constData(), 0600), 0);
  main->playlist().exporter().chooseFile = [&] { return QString::fromUtf8(typed); };
  main->playlist().menu().menu_export_Click();
  struct stat st {};
  ASSERT_EQ(::stat(typed.constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_GT(st.st_size, 100);
  EXPECT_FALSE(QFile::exists(QString::fromUtf8(typed + ".m3u8")));

  // A cancelled dialog writes nothing; a place that cannot be written says so and leaves
  // no file behind.
  main->playlist().exporter().chooseFile = [] { return QString(); };
  main->playlist().menu().menu_export_Click();
  EXPECT_TRUE(errors.isEmpty());
  main->playlist().exporter().chooseFile = [&] {
    return QString::fromUtf8(root + "/no such folder/list.m3u");
  };
  main->playlist().menu().menu_export_Click();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith("Cannot save")) << errors[0].toStdString();
  EXPECT_FALSE(QFile::exists(QString::fromUtf8(root + "/no such folder/list.m3u")));
}

TEST_F(ForeignDropTest, AListThatCannotBeReadIsReportedAndChangesNothing) {
  // Larger than any real playlist: refused rather than read.
  const QByteArray big = root + "/huge.pls";
  QFile f(QString::fromUtf8(big));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_TRUE(f.resize(65 * 1024 * 1024));
  f.close();
  list->LSTMP3_FilesDropped({big}, 100, rowY(0));
  EXPECT_EQ(list->count(), 3);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("too large"));
}

// A list that gives nothing says why: a music server's list whose entries are relative to
// its own music folder, one of only other kinds of files, and an empty one.
TEST_F(ForeignDropTest, AListThatGivesNothingSaysWhy) {
  const std::pair<QByteArray, QString> cases[] = {
      {write("server.m3u", "#EXTM3U\nArtist/one.mp3\nArtist/two.flac\nthree.wma\n"),
       "3 of its 3 entries were not found"},
      {write("music/other.m3u8", "cover.jpg\n"),
       "none of its 1 entries is an MP3, WMA or WAV file"},
      {write("empty.pls", "[playlist]\nNumberOfEntries=0\n"), "it holds no entries"}};
  for (const auto& [path, why] : cases) {
    errors.clear();
    list->LSTMP3_FilesDropped({path}, 100, rowY(0));
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(errors,
              QStringList(QString::fromUtf8(path) + " adds nothing to the playlist: " + why + "."));
  }
}

}  // namespace
