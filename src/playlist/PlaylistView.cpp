#include "PlaylistView.h"

#include "skin/Metrics.h"

namespace playlist {

using skin::px;
using ui::Builder;

namespace {
constexpr float kLeft = px(568), kTop = px(318), kWidth = px(384), kHeight = px(354);
// A gutter left of the list for the "Play >" and ">" markers.
constexpr float kGutter = px(54), kListTop = px(28), kListRow = px(14);
}  // namespace

PlaylistView::PlaylistView(QWidget* window, PlaylistModel& model, ui::Builder& build) {
  const ui::Palette& c = ui::darkPalette();
  PICTURELST = build.named(Builder::panel(window, kLeft, kTop, kWidth, kHeight), "PICTURELST");
  frmPanelx2 = build.named(
      Builder::box(PICTURELST->container(), px(1), px(1), kWidth - px(2), kHeight - px(2), c.panel),
      "frmPanelx", 2);
  QWidget* pl = frmPanelx2->container();
  Label555 = build.named(
      Builder::label(pl, px(8), px(4), px(200), px(20), "List Player", 13, c.text, true),
      "Label555");
  const float listWidth = kWidth - kGutter - px(8);
  const float listHeight = px(2) + 19 * kListRow;  // whole rows inside a one-pixel frame
  LSTMP3 = build.named(
      Builder::place(new ui::ListView(pl, 14, &model), kGutter, kListTop, listWidth, listHeight),
      "LSTMP3");
  LSTMP3->setHeaderVisible(false);
  const QColor bars[] = {c.insertBar, c.hoverBar, c.currentBar};
  for (std::size_t i = 0; i < PICSEL.size(); ++i) {
    PICSEL[i] = build.named(Builder::box(pl, kGutter, 0, listWidth - px(14), 25, bars[i]), "PICSEL",
                            int(i));
    PICSEL[i]->setVisible(false);
  }
  SelDir = build.named(
      Builder::label(pl, px(2), 0, px(40), kListRow, "Play >", 10, c.hoverBar, true), "SelDir");
  SelDir->setVisible(false);
  PlayStrip = Builder::box(pl, px(42), kListTop, px(12), listHeight, c.panel);
  PLAYNX = build.named(
      Builder::label(PlayStrip->container(), 0, 0, px(12), kListRow, ">", 11, c.accent[0], true),
      "PLAYNX");
  PLAYNX->setVisible(false);
  Label7 = build.named(Builder::label(pl, 0, 0, px(40), kListRow, "Aqui !", 10), "Label7");
  Label7->setVisible(false);
  IdxLST = build.named(Builder::label(pl, 0, 0, px(40), px(14), "0", 10), "IdxLST");
  IdxLST->setVisible(false);
  const float buttonsTop = kListTop + listHeight + px(8);
  auto button = [&](const char* caption, float left, float width, const char* name) {
    return build.named(
        Builder::place(new ui::CommandButton(pl, caption), left, buttonsTop, width, px(26)), name);
  };
  cmdbk = button("I<<", kGutter, px(50), "cmdbk");
  cmdnext = button(">>I", kGutter + px(56), px(50), "cmdnext");
  cmdquitarlst = button("Remove", kGutter + px(118), px(80), "cmdquitarlst");
  cmdCls = button("Clean List !", kGutter + px(204), px(110), "cmdCls");
  Label1 = build.named(
      Builder::label(pl, kGutter, buttonsTop + px(28), px(300), px(16), {}, 11, c.dim), "Label1");
  AutoL = build.named(
      Builder::place(new ui::CheckBox(pl, "Auto Play"), px(196), px(4), px(88), px(20)), "AutoL");
  chkR = build.named(
      Builder::place(new ui::CheckBox(pl, "Repetir LST"), px(286), px(4), px(92), px(20)), "chkR");
  AutoLST = new ui::Timer(pl, 1000, false);
  tmrmx = new ui::Timer(pl, 99, false);
}

}  // namespace playlist
