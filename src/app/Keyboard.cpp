#include "Keyboard.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "platform/os/RegularFile.h"

namespace app {

namespace {
constexpr qint64 kMaxMapBytes = 1 << 20;
constexpr int kMaxProblemsSaid = 20;
}  // namespace

bool takesText(const QWidget* w) {
  if (!w) return false;
  if (const auto* e = qobject_cast<const QLineEdit*>(w)) return !e->isReadOnly();
  if (const auto* e = qobject_cast<const QTextEdit*>(w)) return !e->isReadOnly();
  if (const auto* e = qobject_cast<const QPlainTextEdit*>(w)) return !e->isReadOnly();
  if (const auto* c = qobject_cast<const QComboBox*>(w)) return c->isEditable();
  // Not the input-method flag: the lists take it too, for their search as keys are typed.
  return qobject_cast<const QAbstractSpinBox*>(w) != nullptr;
}

Keyboard::Keyboard(QWidget* window, const ControlActions& actions)
    : m_window(window), m_actions(actions) {
  qApp->installEventFilter(this);
}

Keyboard::~Keyboard() {
  qApp->removeEventFilter(this);
}

QString Keyboard::mapFile(const QString& settingsFile) {
  return QFileInfo(settingsFile).absolutePath() + QStringLiteral("/keys.txt");
}

void Keyboard::load(const QString& file) {
  const QByteArray path = QFile::encodeName(file);
  const auto say = [&file](const QString& what) {
    platform::reportSkippedFile(
        QStringLiteral("key map %1: %2").arg(QDir::toNativeSeparators(file), what));
  };
  m_map = KeyMap::defaults();
  const platform::ReadResult read = platform::readRegularFile(path, kMaxMapBytes);
  if (read.status == platform::ReadStatus::Missing) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QString error = platform::saveRegularFile(path, KeyMap::defaultText().toUtf8());
    if (!error.isEmpty()) platform::reportSkippedFile(error);
    return;
  }
  if (read.status != platform::ReadStatus::Ok) return;  // said already; the defaults apply
  QStringList problems;
  m_map = KeyMap::parse(QString::fromUtf8(read.bytes), &problems);
  for (qsizetype i = 0; i < problems.size() && i < kMaxProblemsSaid; ++i) say(problems[i]);
  if (problems.size() > kMaxProblemsSaid)
    say(QStringLiteral("%1 more lines skipped").arg(problems.size() - kMaxProblemsSaid));
}

bool Keyboard::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
    return false;
  // Keys reach the window as the window system's, then the focused control's; the control's
  // is the one to judge, and a window of its own (a box, a menu, a dialog) keeps its keys.
  auto* to = qobject_cast<QWidget*>(watched);
  if (!to || !m_window || to->window() != m_window || QApplication::activePopupWidget() ||
      QApplication::activeModalWidget() || takesText(QApplication::focusWidget()))
    return false;
  auto* k = static_cast<QKeyEvent*>(event);
  const int action = m_map.actionFor(KeyMap::combined(k->key(), k->modifiers()));
  if (action < 0) return false;
  // Ours, so no shortcut or control takes it; a held key runs a toggle once.
  if (type == QEvent::KeyPress &&
      (!k->isAutoRepeat() || kControlActions[std::size_t(action)].repeats))
    m_actions.run(action);
  event->accept();
  return true;
}

}  // namespace app
