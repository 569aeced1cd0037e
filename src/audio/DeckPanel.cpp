#include "DeckPanel.h"

#include "platform/ui/Accessible.h"
#include "skin/Metrics.h"

namespace audio {

using namespace skin;
using ui::Builder;

namespace {
// Places inside a deck.
constexpr float kTitleLeft = px(70), kSpectTop = px(64), kPosTop = px(162);
constexpr float kTransportTop = px(186);
constexpr float kVolLeft = px(374), kPitchLeft = px(408), kKnobsTop = px(28);
constexpr float kDeckWidth = px(436), kDeckHeight = px(252);
}  // namespace

DeckPanel::DeckPanel(int index, QWidget* window, float left, float top, ui::Builder& build)
    : m_index(index) {
  const ui::Palette& c = ui::darkPalette();
  const QColor accent = c.accent[index];
  QWidget* p = Builder::panel(window, left, top, kDeckWidth, kDeckHeight)->container();
  auto named = [&](auto* control, const char* name) { return build.named(control, name, index); };

  ChkPicPlato = named(Builder::box(p, px(42), px(6), px(20), px(12), c.track), "ChkPicPlato");
  BACKPICPAN =
      named(Builder::box(p, kTitleLeft, px(2), kTitleWidth, kTitleHeight, c.track), "BACKPICPAN");
  ETQ_TITULO = named(Builder::label(BACKPICPAN->container(), 0, 0, kTitleWidth, kTitleHeight, {},
                                    13, accent, true),
                     "ETQ_TITULO");
  ETQ_TITULO->setAutoSize(true);
  ETQ_TIME = named(Builder::label(p, px(6), px(28), px(150), px(32), "00:00", 26, accent, true),
                   "ETQ_TIME");
  ETQ_DUR =
      named(Builder::label(p, px(200), px(34), px(160), px(24), "00:00", 16, c.dim), "ETQ_DUR");
  ETQ_DUR->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  SpectPic =
      named(Builder::box(p, px(6), kSpectTop, kSpectWidth, kSpectHeight, c.track), "SpectPic");
  SLPos = named(Builder::box(p, px(6), kPosTop, kPosWidth, kPosHeight, c.track), "SLPos");
  SLPosLeft = named(Builder::box(SLPos->container(), px(1), (kPosHeight - kPlayLeftHeight) / 2, 0,
                                 kPlayLeftHeight, accent.darker(150)),
                    "SLPosLeft");
  PosBT = named(Builder::box(SLPos->container(), 0, 0, kPosKnobWidth, kPosHeight, c.knob), "PosBT");

  const char* captions[] = {"PLAY", "PAUSE", "STOP", "LOAD"};
  const char* names[] = {"BTPlay", "BTPause", "BTStop", "BTLoad"};
  ui::PictureBox** buttons[] = {&BTPlay, &BTPause, &BTStop, &BTLoad};
  for (int b = 0; b < 4; ++b)
    *buttons[b] =
        named(Builder::pictureButton(p, px(6) + float(b) * (kButtonWidth + px(6)), kTransportTop,
                                     kButtonWidth, kButtonHeight, captions[b]),
              names[b]);
  // The headphones' send, in the transport row beside the volume knob.
  BTCue = named(
      Builder::pictureButton(p, kVolLeft - px(50), kTransportTop, px(44), kButtonHeight, "CUE"),
      "BTCue");
  ETQPICTH =
      named(Builder::label(p, px(6), px(224), px(260), px(20), {}, 12, c.text, true), "ETQPICTH");

  XVolSL = named(Builder::box(p, kVolLeft, kKnobsTop, kVolTrackWidth, kVolTrackHeight, c.track),
                 "XVolSL");
  XVolBT = named(Builder::box(XVolSL->container(), 0, 0, kVolTrackWidth, kVolKnobHeight, c.knob),
                 "XVolBT");
  const float volSteps = kKnobsTop + kVolTrackHeight + px(4);
  BTVOLUP = named(Builder::pictureButton(p, kVolLeft, volSteps, kVolTrackWidth, kStepSize, "+"),
                  "BTVOLUP");
  BTVOLD =
      named(Builder::pictureButton(p, kVolLeft, volSteps + px(20), kVolTrackWidth, kStepSize, "-"),
            "BTVOLD");

  XPitch =
      named(Builder::box(p, kPitchLeft, kKnobsTop, kPitchTrackWidth, kPitchTrackHeight, c.track),
            "XPitch");
  XPicthBt =
      named(Builder::box(XPitch->container(), 0, 0, kPitchTrackWidth, kPitchKnobHeight, accent),
            "XPicthBt");
  const float stepTop = kKnobsTop + kPitchTrackHeight + px(4);
  BTPICTHUP =
      named(Builder::pictureButton(p, kPitchLeft, stepTop, kPitchTrackWidth, kStepSize, "+"),
            "BTPICTHUP");
  BTPICTHDW = named(
      Builder::pictureButton(p, kPitchLeft, stepTop + px(20), kPitchTrackWidth, kStepSize, "-"),
      "BTPICTHDW");
  cmdPicthRe = named(
      Builder::pictureButton(p, kPitchLeft, stepTop + px(40), kPitchTrackWidth, kStepSize, "0"),
      "cmdPicthRe");
  // Under the peak bar, level with the volume's step buttons.
  chkKeyLock = named(Builder::pictureButton(p, kPitchLeft, kKnobsTop + kVolTrackHeight + px(4),
                                            kPitchTrackWidth, kStepSize, "KEY"),
                     "chkKeyLock");
  pl1 = named(Builder::box(p, kPitchLeft, stepTop + px(62), kPitchTrackWidth, px(12), c.track),
              "pl1");

  chksel = named(new ui::OptionButton(window, index == 0 ? "A" : "B"), "chksel");
  chksel->Move(left + px(6), top + px(2), px(36), px(20));
  describe();
}

void DeckPanel::describe() {
  using R = ui::AccessibleRole;
  const QString deck = QStringLiteral("Deck ") + QChar(m_index == 0 ? 'A' : 'B') + ' ';
  const char* buttons[] = {"play", "pause", "stop", "load a track"};
  ui::PictureBox* controls[] = {BTPlay, BTPause, BTStop, BTLoad};
  for (int b = 0; b < 4; ++b) ui::describe(*controls[b], R::Button, deck + buttons[b]);
  ui::describe(*BTVOLUP, R::Button, deck + "volume up");
  ui::describe(*BTVOLD, R::Button, deck + "volume down");
  ui::describe(*BTPICTHUP, R::Button, deck + "pitch up");
  ui::describe(*BTPICTHDW, R::Button, deck + "pitch down");
  ui::describe(*cmdPicthRe, R::Button, deck + "pitch to the centre");
  ui::describe(*ChkPicPlato, R::Toggle, deck + "select");
  ui::describe(*BTCue, R::Toggle, deck + "cue in the headphones");
  ui::describe(*chkKeyLock, R::Toggle, deck + "key lock: the pitch knob changes the tempo alone");
  // The knobs' values as their places show them: level and position from 0 to 100, pitch
  // from 0 at the bottom to 100 at the top.
  const auto part = [](float place, float travel) {
    return travel > 0 ? 100.0 * double(place) / double(travel) : 0.0;
  };
  ui::describe(*XVolBT, R::Slider, deck + "volume",
               [this, part] { return 100.0 - part(XVolBT->Top(), volumeTravel()); });
  ui::describe(*XPicthBt, R::Slider, deck + "pitch", [this, part] {
    return 100.0 - part(XPicthBt->Top(), XPitch->Height() - XPicthBt->Height());
  });
  ui::describe(*PosBT, R::Slider, deck + "position",
               [this, part] { return part(PosBT->Left(), positionTravel()); });
  ui::describe(*ETQ_TITULO, R::Text, deck + "title");
  ui::describe(*ETQ_TIME, R::Text, deck + "time played");
  ui::describe(*ETQ_DUR, R::Text, deck + "length");
}

}  // namespace audio
