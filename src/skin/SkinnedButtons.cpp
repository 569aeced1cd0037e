#include "SkinnedButtons.h"

#include <QRadioButton>

#include "platform/ui/Label.h"
#include "platform/ui/OptionButton.h"
#include "platform/ui/PictureBox.h"

namespace skin {

SkinnedButtons::SkinnedButtons(SkinLoader& loader) : m_loader(loader) {}

void SkinnedButtons::show(const char* button, int index, const char* file) {
  auto* b = dynamic_cast<ui::PictureBox*>(m_loader.find(button, index));
  const QPixmap pic = m_loader.picture(QString::fromLatin1(file));
  if (b && !pic.isNull()) b->setPicture(pic);
}

void SkinnedButtons::BTPlay_MouseDown(int Index, int, int, float, float) {
  show("BTPlay", Index, "\\BTPlay0UP.bmp");
}
void SkinnedButtons::BTPause_MouseDown(int Index, int, int, float, float) {
  show("BTPause", Index, "\\BTPause0UP.bmp");
}
void SkinnedButtons::BTStop_MouseDown(int Index, int, int, float, float) {
  show("BTStop", Index, "\\BTparar0UP.bmp");
}
void SkinnedButtons::BTPlay_MouseMove(int Index, int Button, int, float, float) {
  if (Button == 0) show("BTPlay", Index, "\\BTPlay0.bmp");
}
void SkinnedButtons::BTPause_MouseMove(int Index, int Button, int, float, float) {
  if (Button == 0) show("BTPause", Index, "\\BTPause0.bmp");
}
void SkinnedButtons::BTStop_MouseMove(int Index, int Button, int, float, float) {
  if (Button == 0) show("BTStop", Index, "\\BTparar0.bmp");
}

void SkinnedButtons::ChkPicPlato_Click(int Index) {
  if (Index != 0 && Index != 1) return;
  // Turning the option on raises its click, which puts the title in the caption.
  if (auto* option = dynamic_cast<ui::OptionButton*>(m_loader.find("chksel", Index)))
    option->setValue(true);
  m_loader.showSelection(Index);
}

void SkinnedButtons::chksel_Click(int Index) {
  if (showTitle) showTitle(Index);
}

void SkinnedButtons::chksel_Validate(int Index, bool& /*Cancel*/) {
  m_loader.showSelection(Index);
}

void SkinnedButtons::wire() {
  using H = ui::MouseHandler;
  for (int i = 0; i < 2; ++i) {
    auto control = [&](const char* name) { return m_loader.find(name, i); };
    if (ui::Control* b = control("BTPlay")) {
      b->onMouseDown =
          H([this, i](int bt, int s, float x, float y) { BTPlay_MouseDown(i, bt, s, x, y); });
      b->onMouseMove =
          H([this, i](int bt, int s, float x, float y) { BTPlay_MouseMove(i, bt, s, x, y); });
    }
    if (ui::Control* b = control("BTPause")) {
      b->onMouseDown =
          H([this, i](int bt, int s, float x, float y) { BTPause_MouseDown(i, bt, s, x, y); });
      b->onMouseMove =
          H([this, i](int bt, int s, float x, float y) { BTPause_MouseMove(i, bt, s, x, y); });
    }
    if (ui::Control* b = control("BTStop")) {
      b->onMouseDown =
          H([this, i](int bt, int s, float x, float y) { BTStop_MouseDown(i, bt, s, x, y); });
      b->onMouseMove =
          H([this, i](int bt, int s, float x, float y) { BTStop_MouseMove(i, bt, s, x, y); });
    }
    if (ui::Control* t = control("ChkPicPlato")) t->onClick = [this, i] { ChkPicPlato_Click(i); };
    if (auto* option = dynamic_cast<ui::OptionButton*>(control("chksel"))) {
      option->onClick = [this, i] { chksel_Click(i); };
      // The option takes no focus: a user's click validates it at once.
      QObject::connect(option->radio(), &QRadioButton::clicked, option, [this, i] {
        bool cancel = false;
        chksel_Validate(i, cancel);
      });
    }
  }
}

}  // namespace skin
