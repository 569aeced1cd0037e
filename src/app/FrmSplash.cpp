#include "FrmSplash.h"

#include <QLinearGradient>
#include <QPainter>

#include "platform/ui/Palette.h"
#include "skin/Metrics.h"

namespace app {

using skin::px;

namespace {
QPixmap splashPicture(int w, int h) {
  QPixmap pm(w, h);
  QPainter p(&pm);
  QLinearGradient g(0, 0, w, h);
  g.setColorAt(0, ui::darkPalette().alternateBase);
  g.setColorAt(1, ui::darkPalette().track);
  p.fillRect(pm.rect(), g);
  p.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < 2; ++i) {
    p.setPen(QPen(ui::darkPalette().accent[i], 3));
    p.drawEllipse(QPointF(w * (0.3 + 0.4 * i), h * 0.42), h * 0.2, h * 0.2);
    p.drawEllipse(QPointF(w * (0.3 + 0.4 * i), h * 0.42), h * 0.04, h * 0.04);
  }
  return pm;
}
}  // namespace

FrmSplash::FrmSplash() {
  m_form = std::make_unique<ui::Form>(QStringLiteral("Torna Vel"));
  m_form->widget()->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
  m_form->Move(0, 0, px(420), px(260));
  m_form->setBackColor(ui::darkPalette().window);
  QWidget* root = m_form->container();
  About = new ui::PictureBox(root);
  About->Move(0, 0, px(420), px(260));
  About->setPicture(splashPicture(420, 260));
  Label1 = new ui::Label(root, QStringLiteral("Torna Vel"));
  Label1->Move(px(20), px(150), px(380), px(40));
  Label1->setFont(30, true, QStringLiteral("Comic Sans MS"));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setForeColor(ui::darkPalette().text);
  lblStat = new ui::Label(root);
  lblStat->Move(px(20), px(196), px(300), px(18));
  lblStat->setFont(11);
  lblStat->setForeColor(ui::darkPalette().dim);
  lblStat->setVisible(false);
  InitLoading = new ui::ProgressBar(root);
  InitLoading->Move(px(20), px(218), px(300), px(10));
  cmdExit = new ui::CommandButton(root, QStringLiteral("Salir"));
  cmdExit->Move(px(332), px(208), px(70), px(28));
  fistLoad = new ui::Timer(root, 100, false);
  tomain = new ui::Timer(root, 550, false);
}

FrmSplash::~FrmSplash() = default;

void FrmSplash::stage(const char* caption) {
  lblStat->setVisible(true);
  lblStat->setCaption(QString::fromLatin1(caption));
}

}  // namespace app
