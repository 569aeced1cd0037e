#pragma once

#include <array>

#include "platform/ui/Build.h"
#include "platform/ui/CommandButton.h"
#include "platform/ui/Form.h"
#include "platform/ui/PanelMarker.h"
#include "platform/ui/WindowDrag.h"

namespace app {

// The window's own frame: the title that drags the borderless window, the version, the
// skin, minimise and exit buttons, and the six tabs with the pages of the shared panel
// (each subsystem lays its controls out on its page).
class ShellPanel {
 public:
  ShellPanel(ui::Form& form, ui::Builder& build, ui::WindowDrag& drag, ui::PanelMarker& marker);

  void Form_MouseDown(int Button, int Shift, float X, float Y);
  void Form_MouseMove(int Button, int Shift, float X, float Y);
  void Form_MouseUp(int Button, int Shift, float X, float Y);
  void CMDMIN_Click();
  void PanelPIC_Click(int Index);
  // The tab chosen last (0 the file browser, 1 the library, ...); the pop-up menus read it.
  int panelMarker() const { return m_marker.tab; }
  // The page a tab shows (tab 2 has none).
  QWidget* page(int tab) const;

  ui::Label* etqsup;   // the title, a drag handle
  ui::Label* ETQBACK;  // the version
  ui::CommandButton* cmdlsk;
  ui::PictureBox* CMDMIN;
  ui::PictureBox* BTend;
  std::array<ui::PictureBox*, 6> PanelPIC{};
  // The pages of the tabs: frmPanelx(0), (3), (4), (5); the library's page PICFICHEROS holds
  // frmPanelx(1).
  std::array<ui::PictureBox*, 6> frmPanelx{};
  ui::PictureBox* PICFICHEROS;

 private:
  ui::Form& m_form;
  ui::WindowDrag& m_drag;
  ui::PanelMarker& m_marker;
};

}  // namespace app
