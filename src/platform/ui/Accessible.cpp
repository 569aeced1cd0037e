#include "Accessible.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

#include "Control.h"

namespace ui {

namespace {

struct Described {
  Control* control;
  AccessibleRole role;
  QString description;
  std::function<double()> value;
};

// The window thread's controls, by widget; an entry goes with its widget.
QHash<QObject*, Described>& described() {
  static QHash<QObject*, Described> all;
  return all;
}

QAccessible::Role qtRole(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Button:
      return QAccessible::Button;
    case AccessibleRole::Slider:
      return QAccessible::Slider;
    case AccessibleRole::Toggle:
      return QAccessible::RadioButton;
    case AccessibleRole::Text:
      break;
  }
  return QAccessible::StaticText;
}

class ControlAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  ControlAccessible(QWidget* widget, const Described& d)
      : QAccessibleWidget(widget, qtRole(d.role)), m_d(d) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Description) return m_d.description;
    if (t == QAccessible::Value && m_d.value) return QString::number(m_d.value(), 'f', 0);
    return QAccessibleWidget::text(t);
  }
  // Besides a button's press, the widget's own: the focus, which a screen reader's "grab
  // focus" asks for, so that a knob then takes its keys.
  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    names.removeAll(pressAction());
    if (m_d.role == AccessibleRole::Button || m_d.role == AccessibleRole::Toggle)
      names.prepend(pressAction());
    return names;
  }
  // A press is what a click with the left button does: the press, the release and the
  // click the control's handlers take.
  void doAction(const QString& name) override {
    if (name != pressAction()) {
      if (name == setFocusAction()) QAccessibleWidget::doAction(name);
      return;
    }
    const float x = m_d.control->Width() / 2, y = m_d.control->Height() / 2;
    m_d.control->mouseDown(LeftButton, 0, x, y);
    m_d.control->mouseUp(LeftButton, 0, x, y);
    m_d.control->click();
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::ValueInterface && m_d.value)
      return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  QVariant currentValue() const override { return m_d.value ? m_d.value() : 0.0; }
  void setCurrentValue(const QVariant&) override {}  // knobs move by hand or by their keys
  QVariant maximumValue() const override { return 100.0; }
  QVariant minimumValue() const override { return 0.0; }
  QVariant minimumStepSize() const override { return 1.0; }

 private:
  Described m_d;
};

QAccessibleInterface* factory(const QString&, QObject* object) {
  const auto it = described().constFind(object);
  if (it == described().constEnd()) return nullptr;
  return new ControlAccessible(static_cast<QWidget*>(object), *it);
}

}  // namespace

void describe(Control& control, AccessibleRole role, const QString& description,
              std::function<double()> value) {
  installAccessibility();
  QWidget* w = control.widget();
  w->setAccessibleDescription(description);
  const bool fresh = !described().contains(w);
  described().insert(w, {&control, role, description, std::move(value)});
  if (fresh) QObject::connect(w, &QObject::destroyed, [w] { described().remove(w); });
  // An interface made for the widget before it was described (naming it makes one) gives
  // way to one that knows what the control is.
  QAccessibleInterface* made = QAccessible::queryAccessibleInterface(w);
  if (made && !dynamic_cast<ControlAccessible*>(made))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void installAccessibility() {
  static bool installed = false;
  if (!installed) QAccessible::installFactory(factory);
  installed = true;
}

}  // namespace ui
