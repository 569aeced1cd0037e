#pragma once

#include "platform/ui/Control.h"

namespace audio {

// A knob on its track: its place (its top or left edge, in twips), clamped to the track
// and mirrored to its control, and what the place stands for as a part of the travel. The
// place itself lives in the model that owns it (a deck's state, the master level's), so
// the model is what a knob's readers read. The mouse handlers, the step buttons, the timers
// and code move a knob only through here.
class Knob {
 public:
  enum class Axis { Vertical, Horizontal };
  Knob(ui::Control& knob, ui::Control& track, Axis axis, float& place)
      : m_knob(knob), m_track(track), m_axis(axis), m_place(place) {}

  float place() const { return m_place; }
  float knobSize() const { return m_axis == Axis::Vertical ? m_knob.Height() : m_knob.Width(); }
  float trackSize() const { return m_axis == Axis::Vertical ? m_track.Height() : m_track.Width(); }
  // How far the knob moves: the track less the knob; negative for a knob larger than its
  // track.
  float travel() const { return trackSize() - knobSize(); }
  // The place as a part of the travel: 0 at the track's start, 1 at its end.
  double fraction() const { return travel() > 0 ? double(m_place) / double(travel()) : 0.0; }

  // Where a knob goes when sent to `n`: `n` itself inside its track, pinned to the end it
  // passed; returns the new place.
  float moveTo(float n);
  float moveBy(float by) { return moveTo(m_place + by); }
  // Puts the knob at `n` as it is, for the places that are worked out to lie on the
  // track (a centre, a part of the travel).
  void placeAt(float n);
  // Mirrors the model's place to the control.
  void show() const;

 private:
  ui::Control& m_knob;
  ui::Control& m_track;
  Axis m_axis;
  float& m_place;
};

}  // namespace audio
