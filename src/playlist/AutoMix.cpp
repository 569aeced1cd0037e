#include "AutoMix.h"

#include <algorithm>
#include <cmath>

namespace playlist {

namespace {
// How far one fade step moves the outgoing volume knob, in twips.
constexpr float kFadeStep = 10.0f;
// A mark's width per unit of the fade-speed slider, in twips.
constexpr float kMarkWidthPerSpeed = 1.25f;
constexpr int kLaidOutSpeed = 50;
// A fade is planned to end this long before its track does, which leaves room for late
// timer ticks on a busy machine; the plan is made again at every step.
constexpr double kFadeEndMarginMs = 250;
// How the incoming deck is bent back on the beat: apart by less than this, it is left alone
// (positions are read to the millisecond); further, it gains or loses the gap over about
// kBendSettleMs of the clock, by at most kMaxBend of its speed. Before its first sound a
// bend is not heard: it may be steeper, and the deck starts kLeadMs or more before its
// first beat when its file has the silence for it, as a started deck comes in late by a
// block of the sound's output or two.
constexpr double kBendDeadMs = 2, kBendSettleMs = 400, kMaxBend = 0.03;
constexpr double kSilentSettleMs = 100, kMaxSilentBend = 0.15, kLeadMs = 400;
}  // namespace

AutoMix::AutoMix(Playlist& playlist, PlaylistView& view, audio::DeckActions& decks,
                 ui::Builder& build, const AutoMixSettings& settings)
    : m_list(playlist), m_view(view), m_decks(decks), m_settings(settings) {
  const ui::Palette& c = ui::darkPalette();
  for (int k = 0; k < 2; ++k) {
    const audio::DeckActions::PositionBar bar = m_decks.positionBar(k);
    ui::PictureBox* mark =
        build.named(ui::Builder::box(bar.container, 0, 0, kLaidOutSpeed * kMarkWidthPerSpeed,
                                     bar.height, c.accent[k]),
                    "LinetoMX", k);
    // A mark only shows where the mix starts: the position knob under it stays in reach.
    mark->widget()->setAttribute(Qt::WA_TransparentForMouseEvents);
    LinetoMX[std::size_t(k)] = mark;
  }
  placeMarks();
}

void AutoMix::loadSettings() {
  // Until the fade speed is first changed, the interval is the speed itself.
  MixPointPercent = std::int16_t(m_settings.mixPoint);
  FadeStepInterval = std::int16_t(m_settings.fadeSpeed);
}

void AutoMix::AutoL_Click() {
  m_view.AutoLST->setEnabled(m_settings.on);
  // Switched off mid-fade, the mix is the user's: both decks play on at their knobs' levels.
  // Switched on again, the checks go on from the entry that plays.
  if (!m_settings.on) {
    m_view.tmrmx->setEnabled(false);
    endBeat();
  }
}

void AutoMix::slDur_Change() {
  MixPointPercent = std::int16_t(m_settings.mixPoint);
  placeMarks();
}

void AutoMix::slVel_Change() {
  const int speed = m_settings.fadeSpeed;
  // Halves go to the even millisecond.
  FadeStepInterval = std::int16_t(std::nearbyint(double(speed) * 0.5));
  for (ui::PictureBox* mark : LinetoMX) mark->setWidth(float(speed) * kMarkWidthPerSpeed);
}

std::pair<std::int64_t, std::int64_t> AutoMix::audiblePart(
    const audio::DeckActions::Track& t) const {
  if (m_settings.skipSilence && audibleSpan && t.lengthMs > 0) {
    const auto [from, to] = audibleSpan(t.path);
    if (from >= 0 && to > from && to <= t.lengthMs) return {from, to};
  }
  return {0, t.lengthMs};
}

void AutoMix::placeMarks() {
  for (int k = 0; k < 2; ++k) {
    const audio::DeckActions::PositionBar bar = m_decks.positionBar(k);
    float share = float(MixPointPercent) / 100.0f;
    const audio::DeckActions::Track t = m_decks.TrackOf(k);
    const auto [from, to] = audiblePart(t);
    // The mix point as a share of the audible part, placed on the whole file's bar.
    if (t.lengthMs > 0 && (from > 0 || to < t.lengthMs))
      share =
          float((double(from) + double(to - from) * MixPointPercent / 100.0) / double(t.lengthMs));
    LinetoMX[std::size_t(k)]->setLeft((bar.width - bar.knobWidth) * share + bar.knobWidth);
  }
}

int AutoMix::nextEntry() {
  const int c = std::max(m_list.current(), 0), n = m_list.count();
  if (c < n) return c + 1;
  // After the last entry (or past the end of a shortened list): entry 1 again, when asked
  // to repeat and there is anything to repeat.
  if (m_settings.repeat && n > 0) return 1;
  return 0;
}

void AutoMix::AutoLST_Timer() {
  placeMarks();
  const int cur = m_decks.SelectedDeck();
  const int target = 1 - cur;
  const audio::DeckActions::PositionBar bar = m_decks.positionBar(cur);
  const float knobEnd = bar.knobLeft + bar.knobWidth;
  if (m_decks.HasTrack(cur) && !(knobEnd > LinetoMX[std::size_t(cur)]->Left())) return;

  const int e = nextEntry();
  if (e == 0) return;  // played through: the last track plays on to its end
  m_list.setCurrent(e);
  // The deck is about to take a new track, which starts at the knob's level.
  m_decks.PlaceVolumeKnob(target, 0);
  m_decks.SelectDeck(target);
  if (m_decks.OpenDeckTrack(m_list.path(e), target, false) != audio::DeckActions::Open::Opened) {
    // The entry cannot be played. Starting the deck would replay whatever it held before
    // and fade out the track that is playing for it; instead the playing deck stays
    // selected and at full level, and the next check moves on to the entry after.
    m_decks.SelectDeck(cur);
    return;
  }
  m_curveDeck = -1;
  endBeat();
  const std::optional<TempoMatch> match = matchTempo(cur, target);
  if (match) m_decks.SetPitchSpeed(target, match->speed);
  // The first track, after nothing, starts at full level whatever the curve.
  if (m_settings.curve == AutoMixSettings::kEqualPower &&
      m_decks.TrackOf(cur).playback == audio::DeckActions::Playback::Playing) {
    // As many steps as the linear fade from where the old knob stands; the new deck starts
    // at the bottom and comes up as the old one goes down.
    m_curveDeck = cur;
    m_curveStep = 0;
    m_curveSteps = std::max(
        1, int(std::ceil((m_decks.VolumeTravel(cur) - m_decks.VolumeKnobTop(cur)) / kFadeStep)));
    m_decks.PlaceVolumeKnob(target, m_decks.VolumeTravel(target));
    m_curveIn = true;
  }
  m_decks.PlayDeck(target);
  // Silence before the first sound is skipped: the track is heard from it at once.
  const std::int64_t first = audiblePart(m_decks.TrackOf(target)).first;
  if (match)
    startOnBeat(cur, target, first);
  else if (first > 0)
    m_decks.SeekDeck(target, first);
  // Once more through the knob, so that the deck's label shows the level it now plays at
  // rather than the 0 its last fade left there.
  m_decks.SetVolumeKnob(target, m_curveDeck < 0 ? 0 : m_decks.VolumeTravel(target));
  m_curveInTop = m_decks.VolumeKnobTop(target);
  m_view.tmrmx->setInterval(fadeInterval(cur));
  m_view.tmrmx->setEnabled(true);
  m_list.placeCurrentMarkers(e);
  m_view.PLAYNX->ZOrder(0);
}

void AutoMix::tmrmx_Timer() {
  // The outgoing deck is the one not selected: a mix, next or previous all select the
  // deck they start.
  const int k = 1 - m_decks.SelectedDeck();
  // Next or previous during the fade swapped the decks: the rest of the fade is linear.
  if (m_curveDeck != k) m_curveDeck = -1;
  keepOnBeat(k);
  const float top = m_decks.VolumeKnobTop(k);
  const bool more = m_curveDeck == k ? equalPowerStep(k) : m_decks.VolumeTravel(k) > top;
  if (!more) {
    m_decks.StopDeck(k);
    m_view.tmrmx->setEnabled(false);
    m_curveDeck = -1;
    endBeat();
    // Back to full for the deck's next track; nothing reaches the stopped deck now.
    m_decks.PlaceVolumeKnob(k, 0);
    return;
  }
  if (m_curveDeck < 0) m_decks.SetVolumeKnob(k, top + kFadeStep);
  const int interval = fadeInterval(k);
  if (interval != m_view.tmrmx->Interval()) m_view.tmrmx->setInterval(interval);
}

int AutoMix::fadeInterval(int k) const {
  const audio::DeckActions::Track t = m_decks.TrackOf(k);
  if (t.playback != audio::DeckActions::Playback::Playing || t.lengthMs <= 0 || t.speed <= 0)
    return FadeStepInterval;
  const double steps = stepsLeft(k);
  const double msLeft = double(audiblePart(t).second - t.positionMs) / t.speed - kFadeEndMarginMs;
  if (steps * FadeStepInterval <= msLeft) return FadeStepInterval;
  return std::clamp(int(msLeft / steps), 1, std::max(1, int(FadeStepInterval)));
}

double AutoMix::stepsLeft(int k) const {
  if (m_curveDeck == k) return double(m_curveSteps - m_curveStep) + 1;
  // The steps down to the bottom, and the tick that then stops the deck.
  const double left = double(m_decks.VolumeTravel(k) - m_decks.VolumeKnobTop(k));
  return std::max(0.0, std::ceil(left / double(kFadeStep))) + 1;
}

bool AutoMix::equalPowerStep(int k) {
  if (m_curveStep >= m_curveSteps) return false;
  const double angle = double(++m_curveStep) / m_curveSteps * std::acos(0.0);
  // A knob's level falls along its travel, so a gain g sits (1 - g) of the way down.
  m_decks.SetVolumeKnob(k, m_decks.VolumeTravel(k) * float(1 - std::cos(angle)));
  // The new deck's knob follows the curve until something else places it (a next or previous
  // that starts a track there at full level).
  const int in = 1 - k;
  if (m_curveIn && m_decks.VolumeKnobTop(in) == m_curveInTop) {
    m_curveInTop = m_decks.VolumeTravel(in) * float(1 - std::sin(angle));
    m_decks.SetVolumeKnob(in, m_curveInTop);
    m_curveInTop = m_decks.VolumeKnobTop(in);
  } else {
    m_curveIn = false;
  }
  return true;
}

std::optional<TempoMatch> AutoMix::matchTempo(int out, int in) {
  const audio::DeckActions::Track o = m_decks.TrackOf(out);
  if (!m_settings.beatMix || !beatGrid || o.playback != audio::DeckActions::Playback::Playing)
    return std::nullopt;
  m_outGrid = beatGrid(o.path);
  m_inGrid = beatGrid(m_decks.TrackOf(in).path);
  return BeatMatch::tempo(m_outGrid, o.speed, m_inGrid);
}

void AutoMix::startOnBeat(int out, int in, std::int64_t fromMs) {
  // The speed as the knob gives it, which its place may round.
  const audio::DeckActions::Track i = m_decks.TrackOf(in), o = m_decks.TrackOf(out);
  const double start = BeatMatch::startMs(m_outGrid, o.speed, double(o.positionMs), m_inGrid,
                                          i.speed, double(fromMs), kLeadMs);
  m_decks.SeekDeck(in, std::llround(start));
  m_beatDeck = in;
  m_beatPath = i.path;
  // Its first sound, whether or not silence is skipped.
  m_inQuietUntilMs = audibleSpan ? audibleSpan(i.path).first : -1;
}

void AutoMix::keepOnBeat(int out) {
  const int in = 1 - out;
  if (m_beatDeck < 0) return;
  using P = audio::DeckActions::Playback;
  const audio::DeckActions::Track o = m_decks.TrackOf(out), i = m_decks.TrackOf(in);
  // Next or previous took the mix over, or a deck stopped: there is no beat to keep.
  if (m_beatDeck != in || i.path != m_beatPath || o.playback != P::Playing ||
      i.playback != P::Playing) {
    endBeat();
    return;
  }
  // The sound moved on between the two readings: the pair does not say where the beats are.
  if (m_decks.TrackOf(out).positionMs != o.positionMs) return;
  const double apart = BeatMatch::offsetMs(m_outGrid, o.speed, double(o.positionMs), m_inGrid,
                                           i.speed, double(i.positionMs));
  // Silent until a tick after this one at least: steeper.
  const bool quiet =
      double(i.positionMs) + 2 * i.speed * m_view.tmrmx->Interval() < double(m_inQuietUntilMs);
  const double settle = quiet ? kSilentSettleMs : kBendSettleMs;
  const double most = quiet ? kMaxSilentBend : kMaxBend;
  const double bend =
      std::abs(apart) < kBendDeadMs ? 1 : 1 + std::clamp(apart / settle, -most, most);
  m_decks.BendDeck(in, bend);
}

void AutoMix::endBeat() {
  if (m_beatDeck >= 0) m_decks.BendDeck(m_beatDeck, 1);
  m_beatDeck = -1;
}

}  // namespace playlist
