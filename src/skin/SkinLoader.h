#pragma once

#include <QString>
#include <functional>

#include "SkinFiles.h"
#include "platform/os/AppPaths.h"
#include "platform/os/SettingsStore.h"
#include "platform/ui/NamedControl.h"
#include "platform/ui/PictureSource.h"

namespace skin {

// Puts the active skin's bitmaps into every skinned control, as the skin table binds them;
// controls are found by their names in the window's control order.
class SkinLoader : public ui::PictureSource {
 public:
  SkinLoader(platform::SettingsStore& settings, const platform::AppPaths& paths,
             const ui::ControlOrder& controls);

  void LoadSkin();
  const QString& SkinName() const { return m_skinName; }
  // A bitmap of the active skin, read now (the hover and press looks use this).
  QPixmap picture(const QString& name) override { return m_files.load(name); }
  // The selected deck's toggle pressed, the other plain.
  void showSelection(int selected);
  // The selected deck (0 or 1), whose toggle a freshly loaded skin shows pressed.
  std::function<int()> selectedDeck;
  // The element `index` of control array `name` (or the single control), if it exists.
  ui::Control* find(const char* name, int index) const;

 private:
  void put(ui::Control* control, const QString& file, bool autoSize);
  void loadRow(const struct SkinRow& row, int element);
  int elementCount(const char* name) const;

  platform::SettingsStore& m_settings;
  const platform::AppPaths& m_paths;
  const ui::ControlOrder& m_controls;
  SkinFiles m_files;
  QString m_skinName;
};

}  // namespace skin
