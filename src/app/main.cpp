#include <QApplication>
#include <cstdio>

#include "MainX.h"
#include "Program.h"
#include "platform/os/SignalBridge.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tornavel"));
  QApplication::setOrganizationName(QStringLiteral("tornavel"));
  QApplication::setQuitOnLastWindowClosed(false);

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
