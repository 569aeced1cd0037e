#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace ui {

inline constexpr float TwipsPerPixel = 15.0f;
int toPixels(float twips);
float toTwips(int pixels);

// Toolkit codes of mouse events: buttons 1 left, 2 right, 4 middle (summed);
// shift 1 shift, 2 ctrl, 4 alt.
enum MouseButton { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
enum ShiftKey { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

using MouseHandler = std::function<void(int Button, int Shift, float X, float Y)>;
class Control;
// A control dragged over or dropped on another: the dragged control and the pointer, in
// twips inside the control under it.
using DragHandler = std::function<void(Control* Source, float X, float Y)>;

// A control placed in twips over a Qt widget. The twips values are the control's own
// state (read back exactly as set); the widget follows them in whole pixels. Mouse input
// arrives as (Button, Shift, X, Y) with X and Y in twips inside the control.
class Control : public QObject {
 public:
  explicit Control(QWidget* widget);
  ~Control() override;

  QWidget* widget() const { return m_widget; }

  float Left() const { return m_left; }
  float Top() const { return m_top; }
  float Width() const { return m_width; }
  float Height() const { return m_height; }
  void setLeft(float v);
  void setTop(float v);
  void setWidth(float v);
  void setHeight(float v);
  void Move(float left, float top);
  void Move(float left, float top, float width, float height);

  bool Visible() const;
  void setVisible(bool v);
  bool Enabled() const;
  void setEnabled(bool v);
  const QString& Tag() const { return m_tag; }
  void setTag(const QString& tag) { m_tag = tag; }
  void ZOrder(int position = 0);  // 0 brings it to the front, 1 sends it to the back
  QString ToolTipText() const;
  void setToolTipText(const QString& text);

  // Sets the control's caption (or, for a text box, its text); false for controls that
  // have neither.
  virtual bool setCaptionText(const QString&) { return false; }

  std::function<void()> onClick;
  std::function<void()> onDblClick;
  MouseHandler onMouseDown;
  MouseHandler onMouseMove;
  MouseHandler onMouseUp;

  // Drags this control with the pointer until the button is let go: the control under the
  // pointer gets DragOver as it moves and DragDrop where it is let go.
  void Drag();
  // The control being dragged, if any.
  static Control* dragSource();
  DragHandler onDragOver;
  DragHandler onDragDrop;
  // A knob's keys: the arrows and the page keys move it by `steps` (+1 for Up and Right,
  // -1 for Down and Left, +-10 for Page Up and Page Down).
  std::function<void(int steps)> onStep;

  // Whether Tab stops at the control: the stock widgets and the controls that answer a
  // press or a step do (see takeKeyboard).
  bool takesKeyboard() const;
  // Makes Tab stop at the control when it takes the keyboard; Space or Enter then press it
  // as the left button does (down while the key is held, up and a click when it is let go).
  void takeKeyboard();

  // Raises the events as the toolkit would, for code and tests that act like the user.
  void click() const;
  void mouseDown(int button, int shift, float x, float y) const;
  void mouseMove(int button, int shift, float x, float y) const;
  void mouseUp(int button, int shift, float x, float y) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Also takes the mouse input of an inner widget (a list's viewport), in this control's
  // coordinates.
  void watchInner(QWidget* inner);
  QPointer<QWidget> m_inner;
  // Stock widgets (push buttons, option buttons, sliders) raise Click themselves and need
  // the mouse events to work; the program's own controls keep them.
  bool m_stockWidget = false;
  virtual void geometryChanged() {}

 private:
  void applyGeometry();
  // The control under a point of the screen that takes drops, and the point inside it.
  static Control* dropTargetAt(const QPoint& global, QPointF& local);
  void dragMoved(const QPoint& global, bool dropped);
  bool keyEvent(QEvent* event);
  bool m_keyHeld = false;

  QPointer<QWidget> m_widget;
  float m_left = 0, m_top = 0, m_width = 0, m_height = 0;
  QString m_tag;
  bool m_pressedInside = false;
};

}  // namespace ui
