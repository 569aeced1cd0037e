#pragma once

#include <QWidget>
#include <functional>

#include "Control.h"

namespace ui {

class FormWidget;

// A top-level window. Closing it by any means raises Unload once.
class Form : public Control {
 public:
  explicit Form(const QString& caption = {});
  ~Form() override;
  QString Caption() const { return widget()->windowTitle(); }
  void setCaption(const QString& text) { widget()->setWindowTitle(text); }
  void Show();
  // Show, with the request sent to the display now rather than when the event loop next
  // waits: it may stay busy a while just then. The event loop does not run.
  void ShowNow();
  // Does ahead of Show what showing first would: polishes the controls and makes the native
  // window, so that Show has only to put it on the screen.
  void prepareShow();
  void Hide();
  void setBackColor(const QColor& c);
  QWidget* container() const { return widget(); }
  std::function<void()> onUnload;

 private:
  friend class FormWidget;
  void unloading();
  bool m_unloaded = false;
};

}  // namespace ui
