#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <Qt>
#include <array>

namespace app {

// The actions a key (or a controller's button) can run, by the name a map file gives them.
// Each one does what a control of the window does when clicked; `repeats` says whether a
// held key runs it again as the key repeats (the steps of a knob) or once (a toggle).
struct ControlAction {
  const char* name;
  const char* defaultKey;  // in the portable key names: "D", "Shift+Left", "F1"
  bool repeats;
};

// Deck A on the left hand, deck B on the right, at the same places six keys apart, as DJ
// programs lay out their keyboard maps; keys that a focused control takes for itself (Tab,
// Space, Enter, the arrows alone, the page keys) stay free.
inline constexpr std::array<ControlAction, 20> kControlActions{{
    {"DeckA.PlayPause", "D", false},     {"DeckA.Stop", "S", false},
    {"DeckA.Cue", "F", false},           {"DeckA.PitchUp", "F2", true},
    {"DeckA.PitchDown", "F1", true},     {"DeckA.PitchReset", "F3", false},
    {"DeckA.VolumeUp", "R", true},       {"DeckA.VolumeDown", "V", true},
    {"DeckA.Load", "Shift+Left", false}, {"DeckB.PlayPause", "L", false},
    {"DeckB.Stop", "K", false},          {"DeckB.Cue", ";", false},
    {"DeckB.PitchUp", "F6", true},       {"DeckB.PitchDown", "F5", true},
    {"DeckB.PitchReset", "F7", false},   {"DeckB.VolumeUp", "P", true},
    {"DeckB.VolumeDown", "/", true},     {"DeckB.Load", "Shift+Right", false},
    {"AutoPlay", "F12", false},          {"Search", "Ctrl+F", false},
}};
inline constexpr int kActionCount = int(kControlActions.size());
// The actions of each deck, in the same order for both: deck B's are deck A's plus this.
inline constexpr int kDeckActions = 9;

// The index of the action `name` names (case matters), or -1.
int actionIndex(QStringView name);

// Which key runs which action. A key is a Qt key code with its modifiers (as
// QKeyCombination::toCombined gives it), brought to one form by `combined`.
class KeyMap {
 public:
  // Every action on its default key.
  static KeyMap defaults();
  // The map a file's text gives, one binding a line: "DeckA.PlayPause = D"; "#" starts a
  // comment line; an empty key leaves the action without one. A line that cannot be used
  // (no "=", an unknown action or key, an action or a key bound already by an earlier line)
  // is skipped with a message in `problems` ("line 4: ..."); the other lines still apply. An
  // action the file does not name keeps its default key while no other action has it, so a
  // file written before an action existed still gets it.
  static KeyMap parse(const QString& text, QStringList* problems = nullptr);
  // The file written when there is none: the defaults, with how to edit them.
  static QString defaultText();

  // A key as pressed, in the form the map keeps: no keypad flag, and no Shift on a symbol
  // (Shift is how the symbol was typed: "!" is Shift+1 on some layouts and not on others).
  static int combined(int key, Qt::KeyboardModifiers modifiers);
  // A key name in the portable key names ("Ctrl+F"), 0 when it is none or more than one key.
  static int keyNamed(const QString& name);
  static QString nameOf(int key);

  // The action `key` runs, or -1.
  int actionFor(int key) const;
  // The key of an action, 0 for none.
  int keyOf(int action) const { return m_keys[std::size_t(action)]; }

 private:
  std::array<int, kActionCount> m_keys{};
};

}  // namespace app
