#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "CommandLine.h"
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
  // command.files holds the files named on the command line, as bytes, for the window
  // to open once it takes them.

  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tornavel"));
  QApplication::setOrganizationName(QStringLiteral("tornavel"));
  // Lets the desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.tornavel.TornaVel"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tornavel.TornaVel")));
  QApplication::setQuitOnLastWindowClosed(false);
  ui::applyDarkTheme(qapp);

  app::Program program({sound::Output::Device, [] { QCoreApplication::exit(0); }});
  platform::SignalBridge onSignal([&program] {
    if (app::MainX* main = program.mainX())
      main->Form_Unload();
    else
      program.End();
  });
  program.Main();
  return QApplication::exec();
}
