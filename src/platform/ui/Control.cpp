#include "Control.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>

namespace ui {

int toPixels(float twips) {
  return int(std::lround(twips / TwipsPerPixel));
}
float toTwips(int pixels) {
  return float(pixels) * TwipsPerPixel;
}

namespace {
int buttonCode(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? LeftButton : 0) | (b & Qt::RightButton ? RightButton : 0) |
         (b & Qt::MiddleButton ? MiddleButton : 0);
}
int shiftCode(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? ShiftMask : 0) | (m & Qt::ControlModifier ? CtrlMask : 0) |
         (m & Qt::AltModifier ? AltMask : 0);
}
}  // namespace

namespace {
QPointer<Control> s_dragged;
const char* const kControlProperty = "tvControl";
}  // namespace

Control::Control(QWidget* widget) : QObject(widget), m_widget(widget) {
  widget->setProperty(kControlProperty, QVariant::fromValue(static_cast<QObject*>(this)));
  widget->installEventFilter(this);
  widget->setMouseTracking(true);
  const QRect g = widget->geometry();
  m_left = toTwips(g.x());
  m_top = toTwips(g.y());
  m_width = toTwips(g.width());
  m_height = toTwips(g.height());
}

Control::~Control() = default;

void Control::applyGeometry() {
  if (!m_widget) return;
  m_widget->setGeometry(toPixels(m_left), toPixels(m_top), std::max(0, toPixels(m_width)),
                        std::max(0, toPixels(m_height)));
  geometryChanged();
}

void Control::setLeft(float v) {
  m_left = v;
  applyGeometry();
}
void Control::setTop(float v) {
  m_top = v;
  applyGeometry();
}
void Control::setWidth(float v) {
  m_width = std::max(0.0f, v);
  applyGeometry();
}
void Control::setHeight(float v) {
  m_height = std::max(0.0f, v);
  applyGeometry();
}
void Control::Move(float left, float top) {
  m_left = left;
  m_top = top;
  applyGeometry();
}
void Control::Move(float left, float top, float width, float height) {
  m_left = left;
  m_top = top;
  m_width = std::max(0.0f, width);
  m_height = std::max(0.0f, height);
  applyGeometry();
}

bool Control::Visible() const {
  return m_widget && !m_widget->isHidden();
}
void Control::setVisible(bool v) {
  if (m_widget) m_widget->setVisible(v);
}
bool Control::Enabled() const {
  return m_widget && m_widget->isEnabled();
}
void Control::setEnabled(bool v) {
  if (m_widget) m_widget->setEnabled(v);
}
QString Control::ToolTipText() const {
  return m_widget ? m_widget->toolTip() : QString();
}
void Control::setToolTipText(const QString& text) {
  if (m_widget) m_widget->setToolTip(text);
}

void Control::ZOrder(int position) {
  if (!m_widget) return;
  if (position == 0)
    m_widget->raise();
  else
    m_widget->lower();
}

void Control::click() const {
  if (onClick) onClick();
}
void Control::mouseDown(int button, int shift, float x, float y) const {
  if (onMouseDown) onMouseDown(button, shift, x, y);
}
void Control::mouseMove(int button, int shift, float x, float y) const {
  if (onMouseMove) onMouseMove(button, shift, x, y);
}
void Control::mouseUp(int button, int shift, float x, float y) const {
  if (onMouseUp) onMouseUp(button, shift, x, y);
}

void Control::Drag() {
  s_dragged = this;
  QApplication::setOverrideCursor(Qt::DragMoveCursor);
}

Control* Control::dragSource() {
  return s_dragged;
}

Control* Control::dropTargetAt(const QPoint& global, QPointF& local) {
  for (QWidget* w = QApplication::widgetAt(global); w; w = w->parentWidget()) {
    auto* c = dynamic_cast<Control*>(w->property(kControlProperty).value<QObject*>());
    if (c && (c->onDragDrop || c->onDragOver)) {
      local = QPointF(w->mapFromGlobal(global));
      return c;
    }
  }
  return nullptr;
}

void Control::dragMoved(const QPoint& global, bool dropped) {
  QPointF p;
  Control* target = dropTargetAt(global, p);
  const float x = float(p.x()) * TwipsPerPixel, y = float(p.y()) * TwipsPerPixel;
  if (dropped) {
    s_dragged = nullptr;
    QApplication::restoreOverrideCursor();
    if (target && target->onDragDrop) target->onDragDrop(this, x, y);
  } else if (target && target->onDragOver) {
    target->onDragOver(this, x, y);
  }
}

void Control::watchInner(QWidget* inner) {
  m_inner = inner;
  inner->installEventFilter(this);
  inner->setMouseTracking(true);
}

bool Control::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_widget && (!m_inner || watched != m_inner)) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(event);
      const QPointF p =
          watched == m_widget ? me->position() : m_inner->mapTo(m_widget.data(), me->position());
      const float x = float(p.x()) * TwipsPerPixel, y = float(p.y()) * TwipsPerPixel;
      const int shift = shiftCode(me->modifiers());
      const bool dragging = s_dragged == this;
      if (event->type() == QEvent::MouseMove && dragging) {
        dragMoved(me->globalPosition().toPoint(), false);
      } else if (event->type() == QEvent::MouseMove) {
        mouseMove(buttonCode(me->buttons()), shift, x, y);
      } else if (event->type() == QEvent::MouseButtonPress) {
        m_pressedInside = me->button() == Qt::LeftButton;
        mouseDown(buttonCode(me->button()), shift, x, y);
      } else if (event->type() == QEvent::MouseButtonRelease) {
        if (dragging) dragMoved(me->globalPosition().toPoint(), true);
        mouseUp(buttonCode(me->button()), shift, x, y);
        const bool inside = m_widget && m_widget->rect().contains(p.toPoint());
        if (!m_stockWidget && m_pressedInside && me->button() == Qt::LeftButton && inside) click();
        m_pressedInside = false;
      } else if (onDblClick) {
        onDblClick();
      } else {
        // A control that does nothing on a double-click takes the second press of a quick
        // pair as a press of its own, so rapid clicks on a step button all count.
        m_pressedInside = me->button() == Qt::LeftButton;
        mouseDown(buttonCode(me->button()), shift, x, y);
      }
      // A control keeps its own mouse input, as in the form toolkit: a press on a knob
      // must not also reach the window behind it (and start dragging the window).
      // Stock widgets (buttons, options, sliders) still get the event to work on, except
      // while they are dragged (a list must not select the rows the pointer crosses).
      if (!m_stockWidget || dragging || s_dragged == this) {
        event->accept();
        return true;
      }
      return false;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return watched == m_widget && keyEvent(event);
    default:
      return false;
  }
}

bool Control::takesKeyboard() const {
  return m_stockWidget || onStep || onClick || onMouseDown;
}

void Control::takeKeyboard() {
  // A stock widget keeps the policy it has (a list or a text box also takes a click's focus).
  if (m_widget && takesKeyboard() && m_widget->focusPolicy() == Qt::NoFocus)
    m_widget->setFocusPolicy(Qt::TabFocus);
}

bool Control::keyEvent(QEvent* event) {
  // The stock widgets press and step with their own keys.
  if (m_stockWidget) return false;
  auto* k = static_cast<QKeyEvent*>(event);
  const bool down = event->type() == QEvent::KeyPress;
  int steps = 0;
  switch (k->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      if (!onClick && !onMouseDown) return false;
      // A held key repeats as press-release pairs; only the first press and the last
      // release count, as a held mouse button would.
      if (k->isAutoRepeat()) return true;
      const float x = m_width / 2, y = m_height / 2;
      if (down && !m_keyHeld) {
        m_keyHeld = true;
        mouseDown(LeftButton, 0, x, y);
      } else if (!down && m_keyHeld) {
        m_keyHeld = false;
        mouseUp(LeftButton, 0, x, y);
        click();
      }
      return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Right:
      steps = 1;
      break;
    case Qt::Key_Down:
    case Qt::Key_Left:
      steps = -1;
      break;
    case Qt::Key_PageUp:
      steps = 10;
      break;
    case Qt::Key_PageDown:
      steps = -10;
      break;
    default:
      return false;
  }
  if (!onStep) return false;
  if (down) onStep(steps);
  return true;
}

}  // namespace ui
