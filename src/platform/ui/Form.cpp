#include "Form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPalette>

#include <xcb/xcb.h>

namespace ui {

class FormWidget : public QWidget {
 public:
  Form* form = nullptr;
  void createWindow() { create(); }

 protected:
  void closeEvent(QCloseEvent* e) override {
    if (form) form->unloading();
    e->accept();
  }
  // Tab and Shift+Tab go to the next control on view that takes the keyboard: the controls
  // of a page behind the one in front are passed over.
  bool focusNextPrevChild(bool next) override {
    QWidget* const from = focusWidget() ? focusWidget() : this;
    QWidget* w = from;
    for (int left = 10000; left > 0; --left) {
      w = next ? w->nextInFocusChain() : w->previousInFocusChain();
      if (w == from) break;
      if (onView(w)) {
        w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
      }
    }
    return false;
  }

 private:
  bool onView(QWidget* w) const {
    if (w == this || !(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled() ||
        w->window() != this)
      return false;
    const QWidget* at = childAt(w->mapTo(this, w->rect().center()));
    return at && (at == w || w->isAncestorOf(at));
  }
};

Form::Form(const QString& caption) : Control(new FormWidget) {
  static_cast<FormWidget*>(widget())->form = this;
  widget()->setWindowTitle(caption);
}

Form::~Form() {
  if (QWidget* w = widget()) {
    static_cast<FormWidget*>(w)->form = nullptr;
    w->removeEventFilter(this);
    setParent(nullptr);
    delete w;
  }
}

void Form::Show() {
  widget()->show();
}

void Form::ShowNow() {
  Show();
  // Off X (Wayland, the tests' offscreen platform) there is no connection, and nothing to send.
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (xcb_connection_t* const display = x11 ? x11->connection() : nullptr) xcb_flush(display);
}

void Form::prepareShow() {
  auto* w = static_cast<FormWidget*>(widget());
  w->ensurePolished();
  w->createWindow();
}

void Form::Hide() {
  widget()->hide();
}

void Form::setBackColor(const QColor& c) {
  QPalette pal = widget()->palette();
  pal.setColor(QPalette::Window, c);
  widget()->setPalette(pal);
  widget()->setAutoFillBackground(true);
}

void Form::unloading() {
  if (m_unloaded) return;
  m_unloaded = true;
  if (onUnload) onUnload();
}

}  // namespace ui
