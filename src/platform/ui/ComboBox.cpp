#include "ComboBox.h"

namespace ui {

namespace {
class DropDownBox : public QComboBox {
 public:
  DropDownBox(QWidget* parent, std::function<void()>& dropDown)
      : QComboBox(parent), m_dropDown(dropDown) {}
  void showPopup() override {
    if (m_dropDown) m_dropDown();
    QComboBox::showPopup();
  }

 private:
  std::function<void()>& m_dropDown;
};
}  // namespace

ComboBox::ComboBox(QWidget* parent)
    : Control(new DropDownBox(parent, onDropDown)), m_box(static_cast<QComboBox*>(widget())) {
  m_stockWidget = true;
  m_box->setFocusPolicy(Qt::TabFocus);
  QObject::connect(m_box, &QComboBox::activated, this, [this] { click(); });
}

}  // namespace ui
