#include <QApplication>
#include <cstdio>

#include "MainX.h"
#include "Program.h"
#include "platform/os/SignalBridge.h"
#include "platform/ui/Theme.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tornavel"));
  QApplication::setOrganizationName(QStringLiteral("tornavel"));
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
