#include "DeckEngine.h"

#include "platform/os/AudioFiles.h"
#include "platform/os/NativePath.h"

namespace audio {

namespace {
// The pitch figure reads 0.0 this many twips above the bottom of the knob's travel.
constexpr float kFigureZero = 503.0f;

bool isDeck(int deck) {
  return deck == DeckA || deck == DeckB;
}
}  // namespace

DeckEngine::DeckEngine(AudioEngine& engine, DeckTable& decks, std::array<DeckPanel*, 2> panels,
                       ui::Form& mainForm, DeckSelection& selection, DeckChoice& choice,
                       const platform::FileTypeChoice& fileTypes)
    : m_engine(engine),
      m_decks(decks),
      m_panels(panels),
      m_mainForm(mainForm),
      m_selection(selection),
      m_choice(choice),
      m_fileTypes(fileTypes) {
  using Axis = Knob::Axis;
  for (int d : {DeckA, DeckB}) {
    const DeckPanel& p = *panels[std::size_t(d)];
    DeckState& s = decks[std::size_t(d)];
    m_knobs.push_back({Knob(*p.XVolBT, *p.XVolSL, Axis::Vertical, s.VolumeTop),
                       Knob(*p.XPicthBt, *p.XPitch, Axis::Vertical, s.PitchTop),
                       Knob(*p.PosBT, *p.SLPos, Axis::Horizontal, s.PositionLeft)});
  }
}

QString DeckEngine::TitleOf(const QByteArray& path) {
  qsizetype from = path.size();
  while (from > 0 && !platform::isSeparatorByte(path[from - 1])) --from;
  QString name = platform::displayPath(path.mid(from));
  return name.replace(QStringLiteral(".mp3"), QStringLiteral(" "), Qt::CaseSensitive);
}

sound::Result DeckEngine::CreateTrackStream(sound::SoundSystem& system, const QByteArray& path,
                                            sound::Handle& sound) {
  return system.createStream(path.toStdString(), sound);
}

float DeckEngine::KnobLevel(int deck) const {
  const Knob& k = m_knobs[std::size_t(deck)].volume;
  return knobLevel(k.place(), k.travel());
}

double DeckEngine::PitchFactor(int deck) const {
  const DeckPanel& p = panel(deck);
  const double h = p.XPicthBt->Height(), H = p.XPitch->Height();
  return 2.0 * (1.0 - double(m_decks[std::size_t(deck)].PitchTop) / (H + 1.0 - h));
}

int DeckEngine::SelectedDeck() const {
  return m_choice.selected;
}

void DeckEngine::SelectDeck(int deck) {
  if (!isDeck(deck)) return;
  m_choice.selected = deck;
  m_selection.ChkPicPlato_Click(deck);
}

void DeckEngine::ShowTitleInCaption(int deck) {
  if (!isDeck(deck)) return;
  const QString title = panel(deck).ETQ_TITULO->Caption();
  if (!title.isEmpty()) m_mainForm.setCaption(QStringLiteral("Torna Vel - ") + title);
}

void DeckEngine::showKnobs(int deck) {
  const DeckKnobs& k = m_knobs[std::size_t(deck)];
  for (const Knob* knob : {&k.volume, &k.pitch, &k.position}) knob->show();
}

void DeckEngine::SetVolumeKnob(int deck, float top) {
  if (!isDeck(deck)) return;
  PlaceVolumeKnob(deck, top);
  ApplyDeckVolume(deck);
  ShowP(deck);
}

void DeckEngine::PlaceVolumeKnob(int deck, float top) {
  if (isDeck(deck)) volumeKnob(deck).moveTo(top);
}

DeckActions::PositionBar DeckEngine::positionBar(int deck) const {
  const DeckPanel& p = panel(deck);
  return {p.PosBT->Left(), p.PosBT->Width(), p.SLPos->Width(), p.SLPos->Height(),
          p.SLPos->container()};
}

DeckActions::Track DeckEngine::TrackOf(int deck) const {
  Track t;
  if (deck < 0 || deck > 3) return t;
  const DeckState& d = m_decks[std::size_t(deck)];
  t.path = d.Path;
  t.lengthMs = d.LengthMs;
  if (!d.Sound) return t;
  t.speed = PitchFactor(deck);
  t.playback = Playback::Stopped;
  bool live = false, paused = false;
  // A deck that played to its end still says Playing; its channel knows better.
  if (!d.Playing || m_engine.System.channelPlaying(d.Channel, live) != sound::Result::Ok || !live)
    return t;
  m_engine.System.channelPaused(d.Channel, paused);
  t.playback = paused ? Playback::Paused : Playback::Playing;
  std::uint32_t ms = 0;
  t.positionMs = m_engine.System.channelPositionMs(d.Channel, ms) == sound::Result::Ok
                     ? std::int64_t(ms)
                     : std::int64_t(d.PositionMs);
  return t;
}

void DeckEngine::SetDeckPaused(int deck, bool paused) {
  const Playback now = TrackOf(deck).playback;
  if (now != Playback::Playing && now != Playback::Paused) return;
  m_engine.System.setChannelPaused(m_decks[std::size_t(deck)].Channel, paused);
}

bool DeckEngine::SeekDeck(int deck, std::int64_t ms) {
  if (!isDeck(deck)) return false;
  DeckState& d = m_decks[std::size_t(deck)];
  const Playback now = TrackOf(deck).playback;
  if ((now != Playback::Playing && now != Playback::Paused) || ms < 0 || ms > d.LengthMs)
    return false;
  if (m_engine.System.setChannelPositionMs(d.Channel, std::uint32_t(ms)) != sound::Result::Ok)
    return false;
  d.PositionMs = std::int32_t(ms);
  // The knob follows at once unless the user holds it; the tick keeps it there.
  if (!d.PositionHeld && d.LengthMs > 0) {
    Knob& knob = positionKnob(deck);
    knob.placeAt(float(double(ms) / double(d.LengthMs) * double(knob.travel())));
    panel(deck).SLPosLeft->setWidth(d.PositionLeft);
  }
  return true;
}

void DeckEngine::SetMasterLevel(float level) {
  if (placeMasterKnob) placeMasterKnob(level);
}

DeckActions::Open DeckEngine::OpenDeckTrack(const QByteArray& path, int deck, bool autoplay) {
  // Only files of the chosen types reach the decoder, whatever list named them.
  if (deck < 0 || deck > 3 || !platform::isRegularFile(path) ||
      !platform::isPlayableAudio(platform::bytesOf(path), m_fileTypes.value()))
    return Open::Refused;
  DeckState& d = m_decks[std::size_t(deck)];
  sound::SoundSystem& sys = m_engine.System;
  for (DeckEvents* l : m_listeners) l->trackOpening(deck);
  if (isDeck(deck)) SelectDeck(deck);
  if (d.Playing) StopDeck(deck);
  // The previous stream goes whether or not it was playing: a loaded deck must not keep
  // files open, and a file that then fails to open must not leave the old track behind.
  if (d.Sound) sys.releaseSound(d.Sound);
  d.Sound = 0;
  d.Path = path;
  const bool opened = CreateTrackStream(sys, d.Path, d.Sound) == sound::Result::Ok;
  ApplyRoute(deck);
  ApplyKeyLock(deck);
  if (isDeck(deck)) {
    d.Volume = KnobLevel(deck);
    const float gain = trackGain ? trackGain(d.Path) : 1.0f;
    sys.setSoundGain(d.Sound, gain);
    sys.setChannelGain(d.Channel, gain);
  }
  float volume = 0, pan = 0;
  int priority = 0;
  sys.soundDefaults(d.Sound, d.BaseFrequency, volume, pan, priority);
  SetFreq(deck);
  sys.setSoundDefaults(d.Sound, d.Frequency, d.Volume, d.Pan, 0);
  std::uint32_t length = 0;  // a file that did not open has no length, not the old one's
  sys.soundLengthMs(d.Sound, length);
  d.LengthMs = std::int32_t(std::min<std::uint32_t>(length, 0x7FFFFFFF));
  if (isDeck(deck)) {
    const DeckPanel& p = panel(deck);
    p.ETQ_TIME->setCaption(QStringLiteral("00:00"));
    p.ETQ_TITULO->setCaption(TitleOf(d.Path));
    if (autoplay) PlayDeck(deck);
    ShowTitleInCaption(deck);
  } else if (autoplay) {
    PlayDeck(deck);
  }
  ApplyDeckVolume(deck);
  for (DeckEvents* l : m_listeners) l->trackOpened(deck);
  return opened ? Open::Opened : Open::Failed;
}

void DeckEngine::PlayDeck(int deck) {
  DeckState& d = m_decks[std::size_t(deck)];
  // A deck whose file did not open has nothing to play; it counts as started all the same,
  // as its buttons show, and every call on its channel does nothing.
  if (m_engine.System.playSound(d.Sound, false, d.Channel) != sound::Result::Ok) d.Channel = 0;
  SetFreq(deck);
  ApplyDeckVolume(deck);
  d.Playing = true;
}

void DeckEngine::ApplyRoute(int slot) {
  const DeckState& d = m_decks[std::size_t(slot)];
  m_engine.System.setSoundRoute(d.Sound, d.ToMaster, d.ToCue);
  m_engine.System.setChannelRoute(d.Channel, d.ToMaster, d.ToCue);
}

void DeckEngine::StopDeck(int deck) {
  DeckState& d = m_decks[std::size_t(deck)];
  float frequency = 0, volume = 0, pan = 0;
  int priority = 0;
  m_engine.System.soundDefaults(d.Sound, frequency, volume, pan, priority);
  m_engine.System.setSoundDefaults(d.Sound, frequency, d.Volume, d.Pan, 0);
  m_engine.System.stopChannel(d.Channel);
  d.Playing = false;
}

void DeckEngine::TogglePause(int deck) {
  const DeckState& d = m_decks[std::size_t(deck)];
  if (d.Channel == 0) return;
  bool paused = false;
  m_engine.System.channelPaused(d.Channel, paused);
  m_engine.System.setChannelPaused(d.Channel, !paused);
}

void DeckEngine::SetFreq(int deck) {
  DeckState& d = m_decks[std::size_t(deck)];
  // Only the two decks have a pitch knob; the pre-listening player keeps its own speed.
  const double factor = isDeck(deck) ? PitchFactor(deck) : 1.0;
  d.Frequency = float(factor * d.BaseFrequency);
  m_engine.System.setChannelFrequency(d.Channel, d.Frequency);
}

double DeckEngine::SetPitchSpeed(int deck, double speed) {
  if (!isDeck(deck)) return 1.0;
  const DeckPanel& p = panel(deck);
  // PitchFactor's line, solved for the knob's place. The place keeps its fraction of a twip:
  // a whole twip is a fifth of a percent of speed, 20 ms a beat apart after 10 s.
  const double span = double(p.XPitch->Height()) + 1.0 - p.XPicthBt->Height();
  pitchKnob(deck).moveTo(float(span * (1.0 - speed / 2.0)));
  SetFreq(deck);
  ShowP(deck);
  return PitchFactor(deck);
}

void DeckEngine::BendDeck(int deck, double factor) {
  if (!isDeck(deck) || !(factor > 0)) return;
  const DeckState& d = m_decks[std::size_t(deck)];
  m_engine.System.setChannelFrequency(d.Channel, float(double(d.Frequency) * factor));
}

void DeckEngine::ApplyKeyLock(int deck) {
  if (!isDeck(deck)) return;
  const DeckState& d = m_decks[std::size_t(deck)];
  m_engine.System.setSoundKeyLock(d.Sound, d.KeyLock);
}

void DeckEngine::ApplyDeckVolume(int deck) {
  if (!isDeck(deck)) return;
  DeckState& d = m_decks[std::size_t(deck)];
  d.Volume = KnobLevel(deck) * m_engine.MasterLevel;
  m_engine.System.setChannelVolume(d.Channel, d.Volume);
}

void DeckEngine::InitDeckVolumes() {
  m_decks[DeckA].Volume = KnobLevel(DeckA);
  m_decks[DeckB].Volume = KnobLevel(DeckB);
}

void DeckEngine::setStreamBufferSeconds(int seconds) {
  m_engine.System.setStreamBufferSizeMs(std::uint32_t(seconds) * 1000u);
}

QString DeckEngine::FormatFigure(double value) {
  QString text = QString::number(value, 'f', 1);
  // A figure that rounds to zero from below reads "0.0", never "-0.0".
  if (text == QLatin1String("-0.0")) text = QStringLiteral("0.0");
  return text;
}

void DeckEngine::ShowP(int deck) {
  const DeckPanel& p = panel(deck);
  const float travel = p.XPitch->Height() - p.XPicthBt->Height();
  const double figure =
      (double(travel) - m_decks[std::size_t(deck)].PitchTop - kFigureZero) / 100.0;
  p.ETQPICTH->setCaption(QStringLiteral("PITCH ") + FormatFigure(figure) + QStringLiteral(" VOL ") +
                         FormatFigure(m_decks[std::size_t(deck)].Volume));
}

}  // namespace audio
