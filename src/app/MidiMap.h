#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <vector>

#include "KeyMap.h"
#include "platform/midi/MidiInput.h"

namespace app {

// What a controller's message can work: the named actions of the keys (by the action's name,
// "DeckA.PlayPause", or the name of the button it stands for, "BTPlay(0)"), and the knobs
// by their control's name. A target is a number: an action's index, or kActionCount plus
// the knob's.
inline constexpr std::array<const char*, 5> kMidiKnobs{"XVolBT(0)", "XVolBT(1)", "XPicthBt(0)",
                                                       "XPicthBt(1)", "MASTSL"};
inline constexpr int kMidiTargetCount = kActionCount + int(kMidiKnobs.size());
// The target `name` names, -1 for none.
int midiTarget(QStringView name);
inline bool isKnob(int target) {
  return target >= kActionCount && target < kMidiTargetCount;
}

enum class MidiKind { Note, Cc, Bend };
// How a control change moves a knob: 0..127 across its travel; a step count in two's
// complement (1..63 up, 127..65 down) or about 64 (65.. up, 63.. down); or 14 bits, the
// high part on control n and the low part on n + 32.
enum class MidiEncoding { Absolute, Relative, Centred, Fine };

struct MidiBinding {
  QString target;  // as the file writes it
  int targetIndex = -1;
  MidiKind kind = MidiKind::Note;
  int channel = 1;  // 1..16
  int number = 0;   // the note or control; none for the pitch bend
  MidiEncoding encoding = MidiEncoding::Absolute;
};

// What a batch of messages asks of one target, once coalesced: a knob's last absolute value
// (0..1 of its travel, 1 at the top or right, 0.5 at a centred value) then the steps that
// came after it; a button's presses.
struct MidiCommand {
  int target = -1;
  bool set = false;
  double value = 0;
  int steps = 0;
  int presses = 0;
};

// The bindings of a mapping file, and the decoding of messages through them. The mapping
// file has one binding a line, "#" starting a comment:
//   XVolBT(0) = cc 1 7 absolute      (channel 1, control 7; or relative, centred, 14bit)
//   BTPlay(0) = note 1 36            (a note on with a velocity above 0 presses)
//   XPicthBt(0) = bend 1             (the pitch bend of channel 1)
// A control change bound to a button presses it when its value rises above 0.
class MidiMap {
 public:
  // A batch presses a button this many times at most.
  static constexpr int kMaxPresses = 4;

  // The bindings of `text`; a line that cannot be used is skipped with a message in
  // `problems` ("line 4: ..."), the others apply.
  static MidiMap parse(const QString& text, QStringList* problems = nullptr);
  QString text() const;
  const std::vector<MidiBinding>& bindings() const { return m_bindings; }

  // Binds `target` to what the first message of `batch` that suits it sends (a 14-bit pair
  // when the batch holds both its halves), replacing any binding of those messages; false,
  // with `problem` set, when no message of the batch suits the target.
  bool learn(int target, const std::vector<platform::MidiMessage>& batch,
             QString* problem = nullptr);

  // The commands a batch of messages makes, one per target at most, in the order the
  // targets were first moved.
  std::vector<MidiCommand> decode(const std::vector<platform::MidiMessage>& batch);

 private:
  // The binding a message is for and the part of a 14-bit pair it is (0 high, 1 low); -1.
  int find(const platform::MidiMessage& m, int* half) const;
  void add(MidiBinding b);

  std::vector<MidiBinding> m_bindings;
  std::vector<int> m_high;    // a 14-bit binding's last high part, -1 before one came
  std::vector<int> m_lookup;  // a message's binding * 2 + its half, by lookupKey(); -1
};

// 0..1 for a value of 0..max, with the middle value (max + 1) / 2 at exactly 0.5, so that a
// centred fader or bend puts a knob at its centre.
double centredFraction(int value, int max);

}  // namespace app
