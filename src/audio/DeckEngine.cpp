#include "DeckEngine.h"

#include "platform/os/NativePath.h"

namespace audio {

namespace {
constexpr std::uint32_t kSoftwareMixing = 0x40;
}

DeckEngine::DeckEngine(AudioEngine& engine, DeckTable& decks, DeckControls& controls,
                       ui::Form& mainForm, ui::PictureBox& currentEntryMarker)
    : m_engine(engine),
      m_decks(decks),
      m_controls(controls),
      m_mainForm(mainForm),
      m_marker(currentEntryMarker) {
  SetFreq = [this](int deck) {
    Deck& d = m_decks[std::size_t(deck)];
    d.Frequency = d.BaseFrequency;
    m_engine.System.setChannelFrequency(d.Channel, d.Frequency);
  };
  ChkPicPlato_Click = [this](int deck) {
    if (deck == DeckA || deck == DeckB) m_controls.chksel[std::size_t(deck)]->setValue(true);
  };
}

QString DeckEngine::TitleOf(const QByteArray& path) {
  qsizetype from = path.size();
  while (from > 0 && !platform::isSeparatorByte(path[from - 1])) --from;
  QString name = platform::displayPath(path.mid(from));
  return name.replace(QStringLiteral(".mp3"), QStringLiteral(" "), Qt::CaseSensitive);
}

sound::Result DeckEngine::CreateTrackStream(sound::SoundSystem& system, const QByteArray& path,
                                            std::uint32_t /*mode*/, sound::Handle& sound) {
  // Every stream is mixed in software here; the mode is kept for the callers' sake.
  return system.createStream(path.toStdString(), sound);
}

float DeckEngine::KnobLevel(int deck) const {
  const ui::PictureBox* knob = m_controls.XVolBT[std::size_t(deck)];
  const float travel = m_controls.XVolSL[std::size_t(deck)]->Height() - knob->Height();
  return travel > 0 ? 1.0f - knob->Top() / travel : 1.0f;
}

int DeckEngine::SelectedDeck() const {
  return m_controls.chksel[0]->Value() ? DeckA : DeckB;
}

bool DeckEngine::OpenDeckTrack(const QByteArray& path, int deck, bool autoplay) {
  if (deck < 0 || deck > 3 || !platform::isRegularFile(path)) return false;
  Deck& d = m_decks[std::size_t(deck)];
  sound::SoundSystem& sys = m_engine.System;
  m_marker.setVisible(false);
  if (ChkPicPlato_Click) ChkPicPlato_Click(deck);
  if (d.Playing) StopDeck(deck);
  // The previous stream goes whether or not it was playing: a loaded deck must not keep
  // files open, and a file that then fails to open must not leave the old track behind.
  if (d.Sound) sys.releaseSound(d.Sound);
  d.Sound = 0;
  d.Path = path;
  CreateTrackStream(sys, d.Path, kSoftwareMixing, d.Sound);
  if (deck == DeckA || deck == DeckB) d.Volume = KnobLevel(deck);
  float volume = 0, pan = 0;
  int priority = 0;
  sys.soundDefaults(d.Sound, d.BaseFrequency, volume, pan, priority);
  if (SetFreq) SetFreq(deck);
  sys.setSoundDefaults(d.Sound, d.Frequency, d.Volume, d.Pan, 0);
  std::uint32_t length = 0;  // a file that did not open has no length, not the old one's
  sys.soundLengthMs(d.Sound, length);
  d.LengthMs = std::int32_t(std::min<std::uint32_t>(length, 0x7FFFFFFF));
  if (deck == DeckA || deck == DeckB) {
    m_controls.ETQ_TIME[std::size_t(deck)]->setCaption(QStringLiteral("00:00"));
    m_controls.ETQ_TITULO[std::size_t(deck)]->setCaption(TitleOf(d.Path));
    if (autoplay) PlayDeck(deck);
    m_mainForm.setCaption(QStringLiteral("Torna Vel - ") +
                          m_controls.ETQ_TITULO[std::size_t(deck)]->Caption());
  } else if (autoplay) {
    PlayDeck(deck);
  }
  ApplyDeckVolume(deck);
  return true;
}

void DeckEngine::PlayDeck(int deck) {
  Deck& d = m_decks[std::size_t(deck)];
  m_engine.System.playSound(d.Sound, false, d.Channel);
  if (SetFreq) SetFreq(deck);
  ApplyDeckVolume(deck);
  d.Playing = true;
}

void DeckEngine::StopDeck(int deck) {
  Deck& d = m_decks[std::size_t(deck)];
  float frequency = 0, volume = 0, pan = 0;
  int priority = 0;
  m_engine.System.soundDefaults(d.Sound, frequency, volume, pan, priority);
  m_engine.System.setSoundDefaults(d.Sound, frequency, d.Volume, d.Pan, 0);
  m_engine.System.stopChannel(d.Channel);
  d.Playing = false;
}

void DeckEngine::TogglePause(int deck) {
  const Deck& d = m_decks[std::size_t(deck)];
  if (d.Channel == 0) return;
  bool paused = false;
  m_engine.System.channelPaused(d.Channel, paused);
  m_engine.System.setChannelPaused(d.Channel, !paused);
}

void DeckEngine::ApplyDeckVolume(int deck) {
  if (deck != DeckA && deck != DeckB) return;
  Deck& d = m_decks[std::size_t(deck)];
  d.Volume = KnobLevel(deck) * m_engine.MasterLevel;
  m_engine.System.setChannelVolume(d.Channel, d.Volume);
}

void DeckEngine::InitDeckVolumes() {
  m_decks[DeckA].Volume = KnobLevel(DeckA);
  m_decks[DeckB].Volume = KnobLevel(DeckB);
}

void DeckEngine::Slider1_Change(const ui::Slider& slider) {
  m_engine.System.setStreamBufferSizeMs(std::uint32_t(slider.Value()) * 1000u);
}

}  // namespace audio
