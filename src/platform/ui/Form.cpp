#include "Form.h"

#include <QCloseEvent>
#include <QPalette>

namespace ui {

class FormWidget : public QWidget {
 public:
  Form* form = nullptr;

 protected:
  void closeEvent(QCloseEvent* e) override {
    if (form) form->unloading();
    e->accept();
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
