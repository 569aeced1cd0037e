#pragma once

#include <filesystem>
#include <fstream>
#include <utility>

#include "library/LibraryFixture.h"  // paths print as text in failure messages

namespace fixtures {

// A started player whose browser and samples list read folders made by the test; messages
// are collected instead of shown, and drain() lets the folder reader finish and hands its
// answers to the window, as the event loop would.
class BrowserFixture : public PlayerFixture {
 protected:
  void SetUp() override {
    chooseFileTypes(platform::FileTypes::MpegAndWma);
    PlayerFixture::SetUp();
    main = &start();
    panel = &main->browser();
    v = &panel->view();
    s = &panel->samplesView();
    panel->setMessages([this](const QString& text, library::MessageIcon icon) {
      messages.emplace_back(text, icon);
    });
    drain();
  }
  void drain() { ASSERT_TRUE(panel->lister().drain(60000)); }
  // A folder under the test's own, as the file system names it.
  QByteArray folder(const std::string& rel) {
    const QByteArray p = QByteArray::fromStdString(dir.file(rel));
    std::filesystem::create_directories(p.toStdString());
    return p;
  }
  static void touch(const QByteArray& path) {
    std::ofstream f(path.toStdString());
    ASSERT_TRUE(f.good());
  }
  // A tone file (WAV data whatever the name says; the decoder goes by the content).
  static QByteArray tone(const QByteArray& path, double hz, double amplitude = 0.25,
                         double seconds = 4.0) {
    writeWav(path.toStdString(), {{hz, seconds}}, 44100, 2, amplitude);
    return path;
  }
  // Opens `path` as if typed into the folder box and sent with the open button.
  void go(const QByteArray& path) {
    v->txtruta->setText(QString::fromLocal8Bit(path));
    v->cmdgodo->click();
    drain();
  }
  QStringList files() const {
    QStringList out;
    for (int i = 0; i < v->File1->ListCount(); ++i) out << v->File1->List(i);
    return out;
  }
  int rowOf(const ui::DirListBox& list, const QString& name) const {
    for (int i = 0; i < list.ListCount(); ++i)
      if (list.List(i) == name) return i;
    return -1;
  }

  library::BrowserPanel* panel = nullptr;
  library::BrowserView* v = nullptr;
  library::SamplesView* s = nullptr;
  std::vector<std::pair<QString, library::MessageIcon>> messages;
};

}  // namespace fixtures
