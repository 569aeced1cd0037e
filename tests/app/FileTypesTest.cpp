// The options' choice of file types: a fresh install takes all audio files, the choice is
// saved at once and comes back, and every list follows it without being asked again.
#include <QFileInfo>
#include <filesystem>
#include <fstream>

#include "library/LibraryFixture.h"  // paths print as text in failure messages

namespace {

using platform::FileTypes;

class FileTypesTest : public fixtures::PlayerFixture {
 protected:
  // The names a list of files shows, once its folder has been read.
  QStringList shown(const ui::FileListBox& files) {
    EXPECT_TRUE(main->browser().lister().drain(60000));
    QStringList out;
    for (int i = 0; i < files.ListCount(); ++i) out << files.List(i);
    return out;
  }
  // What a scan of the music folder and a drop of `paths` take, by file name.
  QStringList scanned() {
    main->library().scanner().BrowseFolder = [this](const QString&, const QString&) {
      return QString::fromStdString(dir.file("music"));
    };
    main->library().view().cmdbuq[0]->click();
    EXPECT_TRUE(main->library().worker().drain(60000));
    QFile db(QString::fromStdString(dir.file("Database.txt")));
    QStringList out;
    if (db.open(QIODevice::ReadOnly))
      for (const QByteArray& line : db.readAll().trimmed().split('\n'))
        out << QFileInfo(QString::fromLocal8Bit(line.trimmed())).fileName();
    db.remove();
    return out;
  }
  QStringList dropped(const QByteArrayList& paths) {
    playlist::Playlist& list = main->playlist().list();
    list.cmdCls_Click();
    list.LSTMP3_FilesDropped(paths, 100, 120);
    QStringList out;
    for (int i = 1; i <= list.count(); ++i)
      out << QFileInfo(QString::fromLocal8Bit(list.path(i))).fileName();
    out.sort(Qt::CaseInsensitive);  // the order of a drop is the playlist's own test
    return out;
  }
};

TEST_F(FileTypesTest, AFreshInstallTakesAllAudioFilesAndEveryListFollowsTheChoice) {
  main = &start();
  app::OptionsPanel& o = main->options();
  EXPECT_EQ(program->fileTypes().value(), FileTypes::AllAudio);
  EXPECT_TRUE(o.optTypes[1]->Value());
  EXPECT_EQ(o.optTypes[0]->widget()->accessibleName(), "optTypes(0)");
  const QStringList audio = {"a.mp3",  "b.FLAC", "c.ogg", "d.opus", "e.m4a",
                             "f.aiff", "g.wav",  "h.aac", "i.WMA"};
  std::filesystem::create_directories(dir.file("music"));
  QByteArrayList paths;
  for (const QString& name : audio + QStringList{"notes.txt"}) {
    paths << QByteArray::fromStdString(dir.file("music/" + name.toStdString()));
    std::ofstream(paths.back().toStdString()).put('x');
  }
  const QString music = QString::fromStdString(dir.file("music"));
  library::BrowserView& b = main->browser().view();
  library::SamplesView& s = main->browser().samplesView();
  o.txtBase[0]->setText(QString::fromStdString(dir.file("Database.txt")));
  b.txtruta->setText(music);
  b.cmdgodo->click();
  s.txtsampleruta->setText(music);
  s.cmdsetfolders->click();
  EXPECT_EQ(shown(*b.File1), audio);
  EXPECT_EQ(shown(*s.FilesAMPLE), audio);
  EXPECT_EQ(scanned(), audio);
  EXPECT_EQ(dropped(paths), audio);
  EXPECT_TRUE(main->mpris().supportedMimeTypes().contains("audio/flac"));
  EXPECT_TRUE(audio::DecksPanel::dialogFilter(FileTypes::AllAudio).contains("*.FLAC"));

  // The first set is one click away; it is saved at once, and the lists that show a folder
  // read it again.
  o.optTypes[0]->radio()->click();
  EXPECT_EQ(program->settings().GetSetting("TORNAVEL", "LIBRARY", "FILETYPES", ""), "0");
  EXPECT_EQ(shown(*b.File1), QStringList({"a.mp3", "i.WMA"}));
  EXPECT_EQ(shown(*s.FilesAMPLE), QStringList({"a.mp3", "g.wav", "i.WMA"}));
  EXPECT_EQ(scanned(), QStringList({"a.mp3", "i.WMA"}));
  EXPECT_EQ(dropped(paths), QStringList({"a.mp3"}));  // the drop's lower-case rule
  EXPECT_FALSE(main->mpris().supportedMimeTypes().contains("audio/flac"));
  EXPECT_EQ(main->decks().engine().OpenDeckTrack(paths[1], 0, false),
            audio::DeckActions::Open::Refused);
  EXPECT_EQ(audio::DecksPanel::dialogFilter(FileTypes::MpegAndWma),
            "Audio files (*.mp3 *.MP3 *.Mp3 *.wma *.WMA *.Wma *.wav *.WAV *.Wav)");

  // The next run starts with the choice; one the program does not know means all files.
  main = &restart();
  EXPECT_TRUE(main->options().optTypes[0]->Value());
  EXPECT_EQ(program->fileTypes().value(), FileTypes::MpegAndWma);
  program->settings().SaveSetting("TORNAVEL", "LIBRARY", "FILETYPES", "7");
  main = &restart();
  EXPECT_TRUE(main->options().optTypes[1]->Value());
}

}  // namespace
