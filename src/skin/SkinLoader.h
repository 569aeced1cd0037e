#pragma once

#include <QString>

#include "SkinFiles.h"
#include "SkinTargets.h"
#include "platform/os/AppPaths.h"
#include "platform/os/SettingsStore.h"

namespace skin {

// Puts the active skin's bitmaps into every skinned control.
class SkinLoader {
 public:
  SkinLoader(platform::SettingsStore& settings, const platform::AppPaths& paths,
             SkinTargets& targets);

  void LoadSkin();
  const QString& SkinName() const { return m_skinName; }
  // A bitmap of the active skin, read now (the hover and press looks use this).
  QPixmap picture(const QString& name) { return m_files.load(name); }
  // The selected deck's toggle pressed, the other plain.
  void showSelection(int selected);

 private:
  void put(ui::PictureBox* control, const QString& file, bool autoSize);

  platform::SettingsStore& m_settings;
  const platform::AppPaths& m_paths;
  SkinTargets& m_t;
  SkinFiles m_files;
  QString m_skinName;
};

}  // namespace skin
