#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "ControlActions.h"
#include "KeyMap.h"

class QWidget;

namespace app {

// The key map at work: a key of the map pressed anywhere in `window` runs its action, and
// goes no further (a focused button or list does not also take it), except while a field
// that takes typed text has the focus. Other windows (boxes, dialogs, menus) keep their keys.
class Keyboard : public QObject {
 public:
  Keyboard(QWidget* window, const ControlActions& actions);
  ~Keyboard() override;

  // The map file's place: beside the settings file.
  static QString mapFile(const QString& settingsFile);
  // Takes the map in `file`, first writing the default map there when there is no file.
  // What cannot be used of it is said on stderr; the rest applies.
  void load(const QString& file);
  void setMap(const KeyMap& map) { m_map = map; }
  const KeyMap& map() const { return m_map; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> m_window;
  const ControlActions& m_actions;
  KeyMap m_map = KeyMap::defaults();
};

// Whether `w` takes typed text: a line or text edit, a spin box, an editable combo box.
bool takesText(const QWidget* w);

}  // namespace app
