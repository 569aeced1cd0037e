#include "KeyMap.h"

#include <QKeySequence>

#include "NamedLines.h"

namespace app {

int actionIndex(QStringView name) {
  for (int i = 0; i < kActionCount; ++i)
    if (name == QLatin1String(kControlActions[std::size_t(i)].name)) return i;
  return -1;
}

int KeyMap::combined(int key, Qt::KeyboardModifiers modifiers) {
  modifiers &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
  if (key > Qt::Key_Space && key <= Qt::Key_ydiaeresis && !letter) modifiers &= ~Qt::ShiftModifier;
  return QKeyCombination(modifiers, Qt::Key(key)).toCombined();
}

int KeyMap::keyNamed(const QString& name) {
  const QKeySequence seq = QKeySequence::fromString(name, QKeySequence::PortableText);
  if (seq.count() != 1) return 0;
  const QKeyCombination k = seq[0];
  // A name the toolkit does not know, or a modifier alone, is no key.
  if (k.key() == Qt::Key_unknown || k.key() == 0 ||
      (k.key() >= Qt::Key_Shift && k.key() <= Qt::Key_Alt))
    return 0;
  return combined(k.key(), k.keyboardModifiers());
}

QString KeyMap::nameOf(int key) {
  return key ? QKeySequence(QKeyCombination::fromCombined(key)).toString(QKeySequence::PortableText)
             : QString();
}

KeyMap KeyMap::defaults() {
  KeyMap m;
  for (int i = 0; i < kActionCount; ++i)
    m.m_keys[std::size_t(i)] = keyNamed(QLatin1String(kControlActions[std::size_t(i)].defaultKey));
  return m;
}

int KeyMap::actionFor(int key) const {
  if (key == 0) return -1;
  for (int i = 0; i < kActionCount; ++i)
    if (m_keys[std::size_t(i)] == key) return i;
  return -1;
}

KeyMap KeyMap::parse(const QString& text, QStringList* problems) {
  KeyMap m;
  std::array<int, kActionCount> namedOn{};  // the line that named each action, 0 for none
  const auto bind = [&m, &namedOn](int lineNo, const QString& name, const QString& keyName) {
    const int action = actionIndex(name);
    if (action < 0) return QStringLiteral("no action is named \"%1\"").arg(name);
    if (const int on = namedOn[std::size_t(action)])
      return QStringLiteral("%1 is bound already on line %2").arg(name).arg(on);
    const int key = keyName.isEmpty() ? 0 : keyNamed(keyName);
    if (!keyName.isEmpty() && !key)
      return QStringLiteral("\"%1\" is not a key (for %2)").arg(keyName, name);
    if (const int other = m.actionFor(key); other >= 0)
      return QStringLiteral("%1 runs %2 already (line %3)")
          .arg(keyName, QLatin1String(kControlActions[std::size_t(other)].name))
          .arg(namedOn[std::size_t(other)]);
    namedOn[std::size_t(action)] = lineNo;
    m.m_keys[std::size_t(action)] = key;
    return QString();
  };
  readNamedLines(text, "Action = Key", problems, bind);
  const KeyMap d = defaults();
  for (int i = 0; i < kActionCount; ++i)
    if (!namedOn[std::size_t(i)] && m.actionFor(d.keyOf(i)) < 0)
      m.m_keys[std::size_t(i)] = d.keyOf(i);
  return m;
}

QString KeyMap::defaultText() {
  QString t = QStringLiteral(
      "# Torna Vel's keys, read at start. One binding a line: Action = Key.\n"
      "# Keys are named as in \"D\", \"Shift+Left\", \"Ctrl+F\", \"F1\", \";\". An empty key\n"
      "# leaves the action without one. The keys act whatever control has the focus, except\n"
      "# while text is typed. Delete this file to get the defaults back.\n");
  for (int i = 0; i < kActionCount; ++i) {
    const ControlAction& a = kControlActions[std::size_t(i)];
    if (i == 0 || i == kDeckActions || i == 2 * kDeckActions)
      t += i == 0              ? QStringLiteral("\n# Deck A\n")
           : i == kDeckActions ? QStringLiteral("\n# Deck B\n")
                               : QStringLiteral("\n# The playlist and the library\n");
    t += QLatin1String(a.name) + QStringLiteral(" = ") + QLatin1String(a.defaultKey) +
         QLatin1Char('\n');
  }
  return t;
}

}  // namespace app
