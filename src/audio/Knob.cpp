#include "Knob.h"

#include "DeckState.h"

namespace audio {

float Knob::moveTo(float n) {
  placeAt(knobPlace(n, knobSize(), trackSize()));
  return m_place;
}

void Knob::placeAt(float n) {
  m_place = n;
  show();
}

void Knob::show() const {
  if (m_axis == Axis::Vertical)
    m_knob.setTop(m_place);
  else
    m_knob.setLeft(m_place);
}

}  // namespace audio
