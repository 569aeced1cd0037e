#include "CommandLine.h"

#include <span>
#include <string_view>

#include "Version.h"

namespace app {

namespace {

// Options Qt reads itself from the same command line; they pass through untouched.
constexpr std::string_view kWithValue[] = {"platform",
                                           "platformpluginpath",
                                           "platformtheme",
                                           "plugin",
                                           "qwindowgeometry",
                                           "geometry",
                                           "qwindowtitle",
                                           "title",
                                           "qwindowicon",
                                           "icon",
                                           "session",
                                           "display",
                                           "name",
                                           "visual",
                                           "style",
                                           "stylesheet"};
constexpr std::string_view kFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "testability"};
constexpr std::string_view kWithJoinedValue[] = {"style=", "stylesheet=", "qmljsdebugger="};

bool isToolkitOption(std::span<const std::string_view> names, std::string_view name,
                     bool prefix = false) {
  for (std::string_view n : names)
    if (prefix ? name.starts_with(n) : name == n) return true;
  return false;
}

}  // namespace

CommandLine CommandLine::parse(int argc, const char* const* argv) {
  CommandLine cl;
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (onlyFiles || arg.size() < 2 || arg[0] != '-') {
      cl.files.append(QByteArray(argv[i]));  // "-" alone is a file name too
      continue;
    }
    if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "-h" || arg == "--help") {
      cl.action = Action::Help;
      return cl;
    } else if (arg == "--version") {
      cl.action = Action::Version;
      return cl;
    } else {
      const std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
      if (isToolkitOption(kWithValue, name)) {
        if (i + 1 >= argc) {
          cl.action = Action::Error;
          cl.error = "option '" + QByteArray(argv[i]) + "' needs a value";
          return cl;
        }
        ++i;
      } else if (!isToolkitOption(kFlags, name) && !isToolkitOption(kWithJoinedValue, name, true)) {
        cl.action = Action::Error;
        cl.error = "unknown option '" + QByteArray(argv[i]) + "' (try 'tornavel --help')";
        return cl;
      }
    }
  }
  return cl;
}

QByteArray CommandLine::usage() {
  return "Usage: tornavel [OPTION]... [FILE]...\n"
         "Torna Vel, a two-deck music player for mixing by hand or automatically.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n"
         "  --             take every later argument as a file\n"
         "\n"
         "The toolkit's own options (-platform, -display, -style, ...) are accepted too.\n"
         "SDL_AUDIODRIVER picks the sound driver (pipewire, pulseaudio, alsa, ...).\n"
         "Skins and the language file are looked up beside the program first, then in\n"
         "its installed data folder (<prefix>/share/tornavel).\n";
}

QByteArray CommandLine::versionLine() {
  return QByteArray("tornavel ") + kVersion + "\n";
}

}  // namespace app
