#include "SkinnedButtons.h"

namespace skin {

SkinnedButtons::SkinnedButtons(SkinLoader& loader, SkinTargets& targets,
                               std::array<ui::Label*, 2> titles, ui::Form& mainForm)
    : m_loader(loader), m_t(targets), m_titles(titles), m_form(mainForm) {}

void SkinnedButtons::show(ui::PictureBox* button, const char* file) {
  const QPixmap pic = m_loader.picture(QString::fromLatin1(file));
  if (button && !pic.isNull()) button->setPicture(pic);
}

void SkinnedButtons::BTPlay_MouseDown(int Index, int, int, float, float) {
  show(m_t.BTPlay[std::size_t(Index)], "\\BTPlay0UP.bmp");
}
void SkinnedButtons::BTPause_MouseDown(int Index, int, int, float, float) {
  show(m_t.BTPause[std::size_t(Index)], "\\BTPause0UP.bmp");
}
void SkinnedButtons::BTStop_MouseDown(int Index, int, int, float, float) {
  show(m_t.BTStop[std::size_t(Index)], "\\BTparar0UP.bmp");
}
void SkinnedButtons::BTPlay_MouseMove(int Index, int Button, int, float, float) {
  if (Button == 0) show(m_t.BTPlay[std::size_t(Index)], "\\BTPlay0.bmp");
}
void SkinnedButtons::BTPause_MouseMove(int Index, int Button, int, float, float) {
  if (Button == 0) show(m_t.BTPause[std::size_t(Index)], "\\BTPause0.bmp");
}
void SkinnedButtons::BTStop_MouseMove(int Index, int Button, int, float, float) {
  if (Button == 0) show(m_t.BTStop[std::size_t(Index)], "\\BTparar0.bmp");
}

void SkinnedButtons::ChkPicPlato_Click(int Index) {
  if (Index != 0 && Index != 1) return;
  m_t.chksel[std::size_t(Index)]->setValue(true);  // raises chksel_Click when it turns on
  m_loader.showSelection(Index);
}

void SkinnedButtons::chksel_Click(int Index) {
  const QString t = m_titles[std::size_t(Index)]->Caption();
  if (t.size() > 4) m_form.setCaption(QStringLiteral("Torna Vel - ") + t.left(t.size() - 4));
}

void SkinnedButtons::chksel_Validate(int Index, bool& /*Cancel*/) {
  m_loader.showSelection(Index);
}

}  // namespace skin
