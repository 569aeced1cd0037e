#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <cstdio>
#include <thread>

#include <fontconfig/fontconfig.h>

#include "CommandLine.h"
#include "DesktopBus.h"
#include "LaunchFiles.h"
#include "MainX.h"
#include "Program.h"
#include "platform/os/SignalBridge.h"
#include "platform/ui/Theme.h"

int main(int argc, char** argv) {
  // Answered before the toolkit starts, which would need a display.
  const app::CommandLine command = app::CommandLine::parse(argc, argv);
  switch (command.action) {
    case app::CommandLine::Action::Help:
      std::fputs(app::CommandLine::usage().constData(), stdout);
      return 0;
    case app::CommandLine::Action::Version:
      std::fputs(app::CommandLine::versionLine().constData(), stdout);
      return 0;
    case app::CommandLine::Action::Error:
      std::fprintf(stderr, "tornavel: %s\n", command.error.constData());
      return 2;
    case app::CommandLine::Action::Run:
      break;
  }
  // Fontconfig reads its configuration and font lists on first use, which the splash's first
  // text would wait for: a worker does that while the toolkit connects to the display. Every
  // way out of main joins it (a launch that hands its files to a running player returns
  // early).
  std::jthread fonts([] { FcInit(); });
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tornavel"));
  QApplication::setOrganizationName(QStringLiteral("tornavel"));
  // Lets the desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.tornavel.TornaVel"));
  QApplication::setQuitOnLastWindowClosed(false);
  ui::applyDarkTheme(qapp);

  app::DesktopBus bus;
  // Made before the bus is claimed, to read the settings: the file types chosen decide which
  // named files a launch takes, whichever player plays them.
  app::Program program({sound::Output::Device, [] { QCoreApplication::exit(0); },
                        platform::AppPaths::standard(),
                        [&bus](app::MainX& main) { bus.publish(main.mpris()); }, true});
  const app::LaunchFiles launch = app::LaunchFiles::collect(
      command.files, QFile::encodeName(QDir::currentPath()), program.fileTypes().value());
  for (const QByteArray& problem : launch.problems)
    std::fprintf(stderr, "tornavel: %s, skipped\n", problem.constData());

  switch (bus.claim(program.sharedFileTypes())) {
    case app::DesktopBus::Claim::Taken: {
      // A player runs already: it takes the files, and this launch is done.
      if (!command.files.isEmpty() && launch.paths.isEmpty()) return 1;
      const app::DesktopBus::HandOver done = bus.handOver(launch.paths);
      if (!done.error.isEmpty()) {
        std::fprintf(stderr, "tornavel: the running player did not take the files: %s\n",
                     done.error.toLocal8Bit().constData());
        return 1;
      }
      // What the player left out, said here since its own messages are in its window.
      if (done.taken < uint(launch.paths.size()))
        std::fprintf(stderr, "tornavel: the running player took %u of the %lld files\n", done.taken,
                     static_cast<long long>(launch.paths.size()));
      return done.taken > 0 || launch.paths.isEmpty() ? 0 : 1;
    }
    case app::DesktopBus::Claim::NoBus:
      std::fprintf(stderr,
                   "tornavel: no session bus (%s): media keys and desktop controls are off\n",
                   bus.error().toLocal8Bit().constData());
      break;
    case app::DesktopBus::Claim::Owned:
      break;
  }

  using Start = playlist::PlaylistActions::Start;
  // A file opened beside a running mix joins the playlist without cutting the mix.
  bus.onFilesHandedOver([&program](const QByteArrayList& files) {
    program.openFiles(files, Start::UnlessPlaying, true);
  });
  if (!launch.paths.isEmpty()) program.openFiles(launch.paths, Start::Always, false);
  platform::SignalBridge onSignal([&program] {
    if (app::MainX* main = program.mainX())
      main->Form_Unload();
    else
      program.End();
  });
  fonts.join();
  program.Main();
  // Looking the icon up in the desktop's icon theme takes a while: it waits until the splash
  // is up, which takes it then like every window.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tornavel.TornaVel")));
  return QApplication::exec();
}
