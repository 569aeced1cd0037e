#include "SamplesView.h"

#include <QSlider>
#include <QStandardPaths>

#include "skin/Metrics.h"

namespace library {

using skin::px;
using ui::Builder;

SamplesView::SamplesView(QWidget* p, ui::Builder& build) {
  const ui::Palette& c = ui::darkPalette();
  txtsampleruta = build.named(
      Builder::place(
          new ui::TextBox(p, QStandardPaths::writableLocation(QStandardPaths::MusicLocation)),
          px(8), px(8), px(410), px(24)),
      "txtsampleruta");
  cmdsetfolders =
      build.named(Builder::place(new ui::CommandButton(p, "Set"), px(424), px(7), px(56), px(26)),
                  "cmdsetfolders");
  FilesAMPLE = build.named(Builder::place(new ui::FileListBox(p), px(8), px(40), px(472), px(246)),
                           "FilesAMPLE");
  txtbus =
      build.named(Builder::place(new ui::TextBox(p), px(8), px(294), px(180), px(24)), "txtbus");
  cmdbsqs = build.named(
      Builder::place(new ui::CommandButton(p, "Bsq"), px(194), px(293), px(56), px(26)), "cmdbsqs");
  lblsample = build.named(Builder::label(p, px(488), px(40), px(56), px(18), "Vol", 12, c.dim),
                          "lblsample");
  lblsample->setAlignment(Qt::AlignCenter);
  slsample =
      build.named(Builder::place(new ui::Slider(p, Qt::Vertical), px(500), px(60), px(32), px(196)),
                  "slsample");
  slsample->setRange(0, 100);
  slsample->setValue(0);
  // Full level at the top, as on a mixer's fader.
  static_cast<QSlider*>(slsample->widget())->setInvertedAppearance(true);
  cmdsample = build.named(
      Builder::place(new ui::CommandButton(p, "Stop"), px(488), px(260), px(56), px(26)),
      "cmdsample");
}

}  // namespace library
