#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <utility>

#include "BeatMatch.h"
#include "Playlist.h"
#include "PlaylistView.h"
#include "audio/DeckActions.h"

namespace playlist {

// What the user set for auto-mix: the options' two sliders and the playlist's two boxes
// show it and write it when they change.
struct AutoMixSettings {
  int mixPoint = 95;    // slDur: the mix point, percent of the track
  int fadeSpeed = 50;   // slVel: the fade speed
  bool on = false;      // AutoL: "Auto Play"
  bool repeat = false;  // chkR: "Repetir LST", entry 1 again after the last
  // "Fade curve": linear moves the old deck's knob down at an even pace while the new track
  // plays at full level; equal power moves both knobs, the old one down a cosine and the new
  // one up a sine, so the two together keep their loudness through the overlap.
  static constexpr int kLinear = 0, kEqualPower = 1;
  int curve = kLinear;
  // "Skip silence": the mix point is a share of the track's audible part, the fade ends
  // before its audible end, and the new track starts at its first sound. Needs the track
  // measured; without, the whole file counts.
  bool skipSilence = true;
  // "Level tracks": each deck plays its track at `targetLufs` (below its knob, never lifting
  // the true peak above -1 dBTP).
  bool level = true;
  int targetLufs = -18;
  // "Match beats": when both tracks' tempi are known and lie within 8 % (or at half or twice
  // the beat), the new track comes in at the old one's tempo, on its beat, and keeps it.
  bool beatMix = false;
};

// The playlist playing itself through. While "Auto Play" is ticked, a check every second
// watches the selected deck; once its position knob has passed the deck's mix mark (or the
// deck never held a track) the next entry starts on the other deck at full level, that deck
// becomes the selected one, and a fade moves the old deck's volume knob down, step by step,
// until it reaches the bottom; then the old deck stops and its knob goes back to the top.
// A fade always ends before the old track does: when the steps at the set speed would take
// longer than the time it has left, they come faster.
class AutoMix {
 public:
  AutoMix(Playlist& playlist, PlaylistView& view, audio::DeckActions& decks, ui::Builder& build,
          const AutoMixSettings& settings);

  // Set-up: the mix point and the fade step take the settings as they stand.
  void loadSettings();

  // Where a track is audible, from its first to its last sound in ms; {-1, -1} when not
  // known. Unset: never known.
  std::function<std::pair<int, int>(const QByteArray& path)> audibleSpan;
  // A track's tempo and first beat; not known (a tempo of 0) when unset.
  std::function<BeatGrid(const QByteArray& path)> beatGrid;

  void AutoL_Click();
  void slDur_Change();
  void slVel_Change();
  void AutoLST_Timer();
  void tmrmx_Timer();

  // Where the next entry starts, in percent of the track's position bar.
  std::int16_t MixPointPercent = 95;
  // Milliseconds between two fade steps.
  std::int16_t FadeStepInterval = 50;
  // The mix marks on the position bars of DeckA and DeckB.
  std::array<ui::PictureBox*, 2> LinetoMX{};

 private:
  // Both marks at the mix point of their bars.
  void placeMarks();
  // The entry to start next, after the current one; 0 when the list has been played through.
  int nextEntry();
  // The step interval for fading out deck `k` from where its knob stands: FadeStepInterval,
  // or shorter when the steps left would outlast the deck's track.
  int fadeInterval(int k) const;
  // The audible part of deck `k`'s track when silence is skipped and it is known, else {0,
  // its length}.
  std::pair<std::int64_t, std::int64_t> audiblePart(const audio::DeckActions::Track& t) const;
  // The fade steps left for deck `k`, the tick that stops it included.
  double stepsLeft(int k) const;
  // One step of an equal-power fade out of deck `k`: false once its last step has run.
  bool equalPowerStep(int k);
  // The speed deck `in`'s new track takes to keep deck `out`'s tempo, when beats are to be
  // matched and can be; remembers both grids for the mix.
  std::optional<TempoMatch> matchTempo(int out, int in);
  // Moves deck `in`, just started, to where its first beat after `fromMs` comes on one of
  // deck `out`'s.
  void startOnBeat(int out, int in, std::int64_t fromMs);
  // At each fade step: bends the incoming deck's speed a little towards the outgoing beat
  // when the two have come apart (a start late by the sound's buffer, a tempo not exact).
  void keepOnBeat(int out);
  // The matched mix is over: the incoming deck plays at its knob's speed again.
  void endBeat();

  Playlist& m_list;
  PlaylistView& m_view;
  audio::DeckActions& m_decks;
  const AutoMixSettings& m_settings;
  // The equal-power fade under way: the deck it fades out (-1: none, or a linear fade), the
  // steps it takes and the steps taken.
  int m_curveDeck = -1;
  int m_curveSteps = 0;
  int m_curveStep = 0;
  // Whether the new deck's knob still follows the curve, and where it last put it.
  bool m_curveIn = false;
  float m_curveInTop = 0;
  // The deck that came in on the beat (-1: none), its track, and both tracks' grids.
  int m_beatDeck = -1;
  QByteArray m_beatPath;
  int m_inQuietUntilMs = -1;  // where its first sound is; -1: not known
  BeatGrid m_outGrid, m_inGrid;
};

}  // namespace playlist
