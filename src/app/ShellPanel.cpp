#include "ShellPanel.h"

#include "skin/Metrics.h"

namespace app {

using skin::px;
using ui::Builder;

namespace {
constexpr float kFormWidth = px(960);
constexpr float kTabsTop = px(318), kTabGap = px(4);
constexpr float kPanelLeft = px(8), kPanelTop = px(346);
}  // namespace

ShellPanel::ShellPanel(ui::Form& form, ui::Builder& build, ui::WindowDrag& drag,
                       ui::PanelMarker& marker)
    : m_form(form), m_drag(drag), m_marker(marker) {
  const ui::Palette& c = ui::darkPalette();
  QWidget* root = form.container();
  etqsup = build.named(
      Builder::label(root, px(10), px(4), px(300), px(24), "Torna Vel", 18, c.text, true),
      "etqsup");
  ETQBACK =
      build.named(Builder::label(root, px(320), px(8), px(80), px(18), {}, 11, c.dim), "ETQBACK");
  cmdlsk = build.named(Builder::place(new ui::CommandButton(root, "Skin"), kFormWidth - px(130),
                                      px(6), px(60), px(22)),
                       "cmdlsk");
  CMDMIN = build.named(
      Builder::pictureButton(root, kFormWidth - px(64), px(6), px(26), px(22), "_"), "CMDMIN");
  BTend = build.named(Builder::pictureButton(root, kFormWidth - px(34), px(6), px(26), px(22), "X"),
                      "BTend");
  BTend->setBackColor(c.danger);

  const char* tabs[] = {"Explorer", "Library", "Playlist", "Samples", "Options", "Equalizer"};
  for (int i = 0; i < 6; ++i)
    PanelPIC[std::size_t(i)] = build.named(
        Builder::pictureButton(root, kPanelLeft + float(i) * (skin::kTabWidth + kTabGap), kTabsTop,
                               skin::kTabWidth, skin::kTabHeight, tabs[i]),
        "PanelPIC", i);
  // The pages share one place; the one in front is the one shown. The library's is laid
  // last, so it is in front at first.
  auto page = [&](int i) {
    return build.named(
        Builder::panel(root, kPanelLeft, kPanelTop, skin::kPanelWidth, skin::kPanelHeight),
        "frmPanelx", i);
  };
  for (int i : {5, 4, 3, 0}) frmPanelx[std::size_t(i)] = page(i);
  PICFICHEROS = build.named(
      Builder::panel(root, kPanelLeft, kPanelTop, skin::kPanelWidth, skin::kPanelHeight),
      "PICFICHEROS");
  frmPanelx[1] = build.named(
      Builder::box(PICFICHEROS->container(), 0, 0, skin::kPanelWidth, skin::kPanelHeight, c.panel),
      "frmPanelx", 1);

  form.onMouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
  form.onMouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  form.onMouseUp = [this](int b, int s, float x, float y) { Form_MouseUp(b, s, x, y); };
  etqsup->onMouseDown = form.onMouseDown;
  etqsup->onMouseMove = form.onMouseMove;
  CMDMIN->onClick = [this] { CMDMIN_Click(); };
  for (int i = 0; i < 6; ++i) PanelPIC[std::size_t(i)]->onClick = [this, i] { PanelPIC_Click(i); };
}

QWidget* ShellPanel::page(int tab) const {
  return tab >= 0 && tab < 6 && tab != 2 ? frmPanelx[std::size_t(tab)]->container() : nullptr;
}

void ShellPanel::Form_MouseDown(int /*Button*/, int /*Shift*/, float X, float Y) {
  m_drag = {true, X, Y};
}

void ShellPanel::Form_MouseMove(int Button, int /*Shift*/, float X, float Y) {
  if (Button != ui::LeftButton || !m_drag.active) return;
  QWidget* w = m_form.widget();
  w->move(w->x() + ui::toPixels(X - m_drag.x), w->y() + ui::toPixels(Y - m_drag.y));
}

void ShellPanel::Form_MouseUp(int, int, float, float) {
  m_drag.active = false;
}

void ShellPanel::CMDMIN_Click() {
  m_form.widget()->showMinimized();
}

void ShellPanel::PanelPIC_Click(int Index) {
  m_marker.tab = Index;
  if (Index == 2) return;
  if (Index == 1) {
    PICFICHEROS->setVisible(true);
    PICFICHEROS->ZOrder(0);
    return;
  }
  if (Index >= 0 && Index < 6) frmPanelx[std::size_t(Index)]->ZOrder(0);
}

}  // namespace app
