#include "MidiMap.h"

#include <algorithm>

#include "NamedLines.h"

namespace app {

using platform::MidiMessage;

namespace {
constexpr int kNoteOn = 0x90, kControlChange = 0xB0, kPitchBend = 0xE0;
constexpr int kLookupSize = 2 * 16 * 128 + 16;

int lookupKey(MidiKind kind, int channel, int number) {
  const int c = channel - 1;
  switch (kind) {
    case MidiKind::Note:
      return c * 128 + number;
    case MidiKind::Cc:
      return 2048 + c * 128 + number;
    case MidiKind::Bend:
      return 4096 + c;
  }
  return -1;
}

const char* const kEncodings[] = {"absolute", "relative", "centred", "14bit"};

int parseNumber(const QString& s, int lo, int hi) {
  bool ok = false;
  const int n = s.toInt(&ok);
  return ok && n >= lo && n <= hi ? n : -1;
}

// The messages a binding takes, by lookupKey(): a 14-bit pair takes two.
std::vector<int> keysOf(const MidiBinding& b) {
  std::vector<int> keys{lookupKey(b.kind, b.channel, b.number)};
  if (b.kind == MidiKind::Cc && b.encoding == MidiEncoding::Fine)
    keys.push_back(lookupKey(b.kind, b.channel, b.number + 32));
  return keys;
}
}  // namespace

int midiTarget(QStringView name) {
  if (const int a = actionIndex(name); a >= 0) return a;
  for (int k = 0; k < int(kMidiKnobs.size()); ++k)
    if (name == QLatin1String(kMidiKnobs[std::size_t(k)])) return kActionCount + k;
  // The buttons the actions stand for, by their control's name.
  static const struct {
    const char* control;
    const char* action;
  } buttons[] = {{"BTPlay", "PlayPause"},  {"BTStop", "Stop"},         {"BTCue", "Cue"},
                 {"BTPICTHUP", "PitchUp"}, {"BTPICTHDW", "PitchDown"}, {"cmdPicthRe", "PitchReset"},
                 {"BTVOLUP", "VolumeUp"},  {"BTVOLD", "VolumeDown"}};
  if (name == QLatin1String("AutoL")) return actionIndex(u"AutoPlay");
  for (const auto& b : buttons)
    for (int deck = 0; deck < 2; ++deck)
      if (name == QStringLiteral("%1(%2)").arg(QLatin1String(b.control)).arg(deck))
        return actionIndex(QStringLiteral("Deck%1.%2")
                               .arg(QLatin1Char(deck ? 'B' : 'A'))
                               .arg(QLatin1String(b.action)));
  return -1;
}

double centredFraction(int value, int max) {
  const int mid = (max + 1) / 2;
  value = std::clamp(value, 0, max);
  return value <= mid ? 0.5 * value / mid : 0.5 + 0.5 * (value - mid) / (max - mid);
}

void MidiMap::add(MidiBinding b) {
  if (m_lookup.empty()) m_lookup.assign(kLookupSize, -1);
  const int index = int(m_bindings.size());
  const std::vector<int> keys = keysOf(b);
  for (std::size_t half = 0; half < keys.size(); ++half)
    m_lookup[std::size_t(keys[half])] = index * 2 + int(half);
  m_bindings.push_back(std::move(b));
  m_high.push_back(-1);
}

MidiMap MidiMap::parse(const QString& text, QStringList* problems) {
  MidiMap m;
  std::vector<int> lineOf;  // the line of each binding
  const auto bind = [&m, &lineOf](int no, const QString& name, const QString& message) {
    MidiBinding b;
    b.target = name;
    b.targetIndex = midiTarget(b.target);
    if (b.targetIndex < 0)
      return QStringLiteral("no control or action is named \"%1\"").arg(b.target);
    const QStringList w = message.simplified().toLower().split(QLatin1Char(' '));
    const QString kind = w.value(0);
    const int wanted = kind == QLatin1String("bend") ? 2 : kind == QLatin1String("note") ? 3 : 4;
    b.kind = kind == QLatin1String("bend")   ? MidiKind::Bend
             : kind == QLatin1String("note") ? MidiKind::Note
                                             : MidiKind::Cc;
    b.channel = parseNumber(w.value(1), 1, 16);
    b.number = wanted > 2 ? parseNumber(w.value(2), 0, 127) : 0;
    const auto encoding = std::find(std::begin(kEncodings), std::end(kEncodings), w.value(3));
    if (wanted == 4) b.encoding = MidiEncoding(encoding - std::begin(kEncodings));
    if ((kind != QLatin1String("cc") && wanted == 4) || b.channel < 0 || b.number < 0 ||
        (wanted == 4 && encoding == std::end(kEncodings)) || w.size() > wanted ||
        (wanted < 4 && w.size() != wanted))
      return QStringLiteral(
                 "\"%1\" is not \"note CHANNEL NOTE\", \"cc CHANNEL CONTROL "
                 "absolute|relative|centred|14bit\" or \"bend CHANNEL\"")
          .arg(message);
    const bool knob = isKnob(b.targetIndex);
    if ((knob && b.kind == MidiKind::Note) || (!knob && b.kind == MidiKind::Bend) ||
        (!knob && b.encoding != MidiEncoding::Absolute) ||
        (b.encoding == MidiEncoding::Fine && b.number >= 32))
      return knob ? QStringLiteral(
                        "a knob takes a control change or the pitch bend (a "
                        "14-bit pair's high part on a control below 32)")
                  : QStringLiteral("a button takes a note or an absolute control change");
    const std::vector<int> keys = keysOf(b);
    const auto taken = std::find_if(keys.begin(), keys.end(), [&m](int k) {
      return m.m_lookup.size() && m.m_lookup[std::size_t(k)] >= 0;
    });
    if (taken != keys.end())
      return QStringLiteral("that message is bound already on line %1")
          .arg(lineOf[std::size_t(m.m_lookup[std::size_t(*taken)] / 2)]);
    lineOf.push_back(no);
    m.add(std::move(b));
    return QString();
  };
  readNamedLines(text, "Control = message", problems, bind);
  return m;
}

QString MidiMap::text() const {
  QString t = QStringLiteral(
      "# Torna Vel's MIDI mapping, written by Learn in the options and read at start.\n"
      "# One binding a line: Control = message. The messages:\n"
      "#   note CHANNEL NOTE      a button, pressed by a note on\n"
      "#   cc CHANNEL CONTROL absolute|relative|centred|14bit\n"
      "#                          a knob (a button: absolute, pressed above 0); relative is\n"
      "#                          two's complement (1..63 up, 127..65 down), centred counts\n"
      "#                          from 64, 14bit takes CONTROL and CONTROL + 32\n"
      "#   bend CHANNEL           a knob, by the pitch bend\n");
  for (const MidiBinding& b : m_bindings) {
    t += b.target + QStringLiteral(" = ");
    switch (b.kind) {
      case MidiKind::Note:
        t += QStringLiteral("note %1 %2").arg(b.channel).arg(b.number);
        break;
      case MidiKind::Cc:
        t += QStringLiteral("cc %1 %2 %3")
                 .arg(b.channel)
                 .arg(b.number)
                 .arg(QLatin1String(kEncodings[int(b.encoding)]));
        break;
      case MidiKind::Bend:
        t += QStringLiteral("bend %1").arg(b.channel);
        break;
    }
    t += QLatin1Char('\n');
  }
  return t;
}

int MidiMap::find(const MidiMessage& m, int* half) const {
  if (m_lookup.empty()) return -1;
  const int type = m.status & 0xF0, channel = (m.status & 0x0F) + 1;
  int key = -1;
  if (type == kNoteOn && m.data2 > 0)
    key = lookupKey(MidiKind::Note, channel, m.data1 & 0x7F);
  else if (type == kControlChange)
    key = lookupKey(MidiKind::Cc, channel, m.data1 & 0x7F);
  else if (type == kPitchBend)
    key = lookupKey(MidiKind::Bend, channel, 0);
  const int found = key < 0 ? -1 : m_lookup[std::size_t(key)];
  if (found < 0) return -1;
  *half = found % 2;
  return found / 2;
}

std::vector<MidiCommand> MidiMap::decode(const std::vector<MidiMessage>& batch) {
  std::array<int, kMidiTargetCount> slot;  // each target's command, -1 for none yet
  slot.fill(-1);
  std::vector<MidiCommand> out;
  for (const MidiMessage& m : batch) {
    int half = 0;
    const int b = find(m, &half);
    if (b < 0) continue;
    const MidiBinding& bind = m_bindings[std::size_t(b)];
    const int value = m.data2 & 0x7F;
    int& s = slot[std::size_t(bind.targetIndex)];
    if (s < 0) {
      s = int(out.size());
      out.push_back({bind.targetIndex});
    }
    MidiCommand& c = out[std::size_t(s)];
    const auto setTo = [&c](double v) {
      c.set = true;
      c.value = v;
      c.steps = 0;  // the steps before an absolute value are overtaken by it
    };
    if (!isKnob(bind.targetIndex)) {
      if (bind.kind == MidiKind::Note || value > 0)
        c.presses = std::min(c.presses + 1, kMaxPresses);
    } else if (bind.kind == MidiKind::Bend) {
      setTo(centredFraction(value << 7 | (m.data1 & 0x7F), 16383));
    } else if (bind.encoding == MidiEncoding::Absolute) {
      setTo(centredFraction(value, 127));
    } else if (bind.encoding == MidiEncoding::Relative) {
      c.steps += value < 64 ? value : value - 128;
    } else if (bind.encoding == MidiEncoding::Centred) {
      c.steps += value - 64;
    } else if (half == 0) {
      m_high[std::size_t(b)] = value;  // the low part that follows completes it
    } else if (m_high[std::size_t(b)] >= 0) {
      setTo(centredFraction(m_high[std::size_t(b)] << 7 | value, 16383));
    }
  }
  // A 14-bit knob whose low part has not come yet has no command.
  std::erase_if(out, [](const MidiCommand& c) { return !c.set && !c.steps && !c.presses; });
  return out;
}

bool MidiMap::learn(int target, const std::vector<MidiMessage>& batch, QString* problem) {
  const bool knob = isKnob(target);
  const auto has = [&batch](int status, int number) {
    return std::any_of(batch.begin(), batch.end(), [=](const MidiMessage& m) {
      return m.status == status && m.data1 == number;
    });
  };
  MidiBinding b;
  b.targetIndex = target;
  bool found = false;
  for (const MidiMessage& m : batch) {
    const int type = m.status & 0xF0;
    b.channel = (m.status & 0x0F) + 1;
    b.number = m.data1 & 0x7F;
    if (knob && type == kPitchBend) {
      b.kind = MidiKind::Bend;
      b.number = 0;
    } else if (knob && type == kControlChange) {
      // The low half of a pair: its high half names the binding.
      if (b.number >= 32 && b.number < 64 && has(m.status, b.number - 32)) continue;
      b.kind = MidiKind::Cc;
      b.encoding = b.number < 32 && has(m.status, b.number + 32) ? MidiEncoding::Fine
                                                                 : MidiEncoding::Absolute;
    } else if (!knob &&
               ((type == kNoteOn && m.data2 > 0) || (type == kControlChange && m.data2 > 0))) {
      b.kind = type == kNoteOn ? MidiKind::Note : MidiKind::Cc;
    } else {
      continue;
    }
    found = true;
    break;
  }
  if (!found) {
    if (problem)
      *problem = knob ? QStringLiteral("Move a knob or fader of the controller")
                      : QStringLiteral("Press a key or pad of the controller");
    return false;
  }
  // The target's name as the window gives it: a knob's control, an action by its name.
  b.target = QLatin1String(knob ? kMidiKnobs[std::size_t(target - kActionCount)]
                                : kControlActions[std::size_t(target)].name);
  const std::vector<int> keys = keysOf(b);
  MidiMap kept;
  for (const MidiBinding& old : m_bindings) {
    const std::vector<int> oldKeys = keysOf(old);
    const bool clash = std::any_of(oldKeys.begin(), oldKeys.end(), [&keys](int k) {
      return std::find(keys.begin(), keys.end(), k) != keys.end();
    });
    if (!clash && old.targetIndex != target) kept.add(old);
  }
  kept.add(std::move(b));
  *this = std::move(kept);
  return true;
}

}  // namespace app
