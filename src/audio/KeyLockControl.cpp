#include "KeyLockControl.h"

#include "platform/ui/Palette.h"

namespace audio {

namespace {
const QString kApp = QStringLiteral("TORNAVEL");
const QString kSection = QStringLiteral("DECKS");

QString keyOf(int deck) {
  return QStringLiteral("KEYLOCK%1").arg(deck);
}
}  // namespace

KeyLockControl::KeyLockControl(DeckEngine& engine, DeckTable& decks,
                               std::array<DeckPanel*, 2> panels, platform::SettingsStore& settings,
                               ui::PictureSource& pictures)
    : m_engine(engine),
      m_decks(decks),
      m_panels(panels),
      m_settings(settings),
      m_pictures(pictures) {
  for (int d : {DeckA, DeckB}) {
    // Anything but 1 is off: a hand-edited file cannot turn it on by accident.
    const QString stored = m_settings.GetSetting(kApp, kSection, keyOf(d), QStringLiteral("0"));
    m_decks[std::size_t(d)].KeyLock = stored.trimmed() == QLatin1String("1");
    m_engine.ApplyKeyLock(d);
    m_panels[std::size_t(d)]->chkKeyLock->onClick = [this, d] { chkKeyLock_Click(d); };
  }
  show();
}

void KeyLockControl::chkKeyLock_Click(int Index) {
  if (Index != DeckA && Index != DeckB) return;
  DeckState& d = m_decks[std::size_t(Index)];
  d.KeyLock = !d.KeyLock;
  m_engine.ApplyKeyLock(Index);
  m_settings.SaveSetting(kApp, kSection, keyOf(Index), d.KeyLock ? "1" : "0");
  show();
}

void KeyLockControl::show() {
  const ui::Palette& c = ui::darkPalette();
  for (int d : {DeckA, DeckB}) {
    const bool on = m_decks[std::size_t(d)].KeyLock;
    ui::PictureBox& box = *m_panels[std::size_t(d)]->chkKeyLock;
    box.setPicture(
        m_pictures.picture(QStringLiteral("\\KEYLOCK%1%2.bmp").arg(d).arg(on ? "UP" : "")));
    box.setBackColor(on ? c.accent[d] : c.button);
    box.setCaption(QStringLiteral("KEY"), on ? c.panel : c.text);
  }
}

}  // namespace audio
