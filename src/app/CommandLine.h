#pragma once

#include <QByteArray>
#include <QList>

namespace app {

// The player's command line. It is read before the window toolkit starts, so that
// --help, --version and a mistyped option are answered without a display.
struct CommandLine {
  enum class Action { Run, Help, Version, Error };

  Action action = Action::Run;
  // The files named on the command line, in order, as the bytes the system passed:
  // their names need not be valid text.
  QList<QByteArray> files;
  // For Action::Error: one line saying what was wrong.
  QByteArray error;

  // Options of the player and the toolkit's own (-platform, -display, -style, ...) are
  // recognised; everything after "--" is a file.
  static CommandLine parse(int argc, const char* const* argv);
  static QByteArray usage();
  static QByteArray versionLine();
};

}  // namespace app
