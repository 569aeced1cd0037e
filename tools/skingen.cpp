// Draws the player's skins: every bitmap a skin folder holds, in the sizes the window is
// laid out for, written as BMP files into <out>/<skin name>/.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

#include "platform/ui/Palette.h"
#include "skin/Metrics.h"

namespace {

using ui::Palette;

int pixels(float twips) {
  return int(twips / 15.0f + 0.5f);
}

class Writer {
 public:
  Writer(const QString& folder, const Palette& pal) : m_dir(folder), p(pal) {
    QDir().mkpath(folder);
  }
  int written = 0;
  bool ok = true;

  void draw(const char* name, int w, int h, const std::function<void(QPainter&, QRect)>& paint) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(p.panel);
    QPainter g(&img);
    g.setRenderHint(QPainter::Antialiasing);
    paint(g, img.rect());
    g.end();
    if (img.save(m_dir.filePath(QString::fromLatin1(name) + ".bmp"), "BMP"))
      ++written;
    else
      ok = false;
  }

  void track(const char* name, int w, int h, const QColor& accent) {
    draw(name, w, h, [&](QPainter& g, QRect r) {
      g.fillRect(r, p.track);
      g.setPen(p.trackEdge);
      g.drawRect(r.adjusted(0, 0, -1, -1));
      g.setPen(QPen(accent, 1));
      if (h > w)
        g.drawLine(w / 2, 3, w / 2, h - 4);
      else
        g.drawLine(3, h / 2, w - 4, h / 2);
    });
  }

  void knob(const char* name, int w, int h, const QColor& face, const QColor& mark) {
    draw(name, w, h, [&](QPainter& g, QRect r) {
      QLinearGradient grad(0, 0, 0, h);
      grad.setColorAt(0, face.lighter(115));
      grad.setColorAt(1, face.darker(125));
      g.fillRect(r, grad);
      g.setPen(mark);
      if (w >= h)
        g.drawLine(3, h / 2, w - 4, h / 2);
      else
        g.drawLine(w / 2, 3, w / 2, h - 4);
    });
  }

  void button(const char* name, int w, int h, bool pressed,
              const std::function<void(QPainter&, QRectF)>& glyph) {
    draw(name, w, h, [&](QPainter& g, QRect r) {
      g.fillRect(r, pressed ? p.buttonPressed : p.button);
      g.setPen(pressed ? p.accent[0] : p.trackEdge);
      g.drawRect(r.adjusted(0, 0, -1, -1));
      g.setPen(Qt::NoPen);
      g.setBrush(pressed ? p.accent[0] : p.text);
      glyph(g, QRectF(r).adjusted(w * 0.3, h * 0.25, -w * 0.3, -h * 0.25));
    });
  }

  void text(const char* name, int w, int h, const QString& label, bool highlight) {
    draw(name, w, h, [&](QPainter& g, QRect r) {
      g.fillRect(r, highlight ? p.accent[0] : p.button);
      g.setPen(p.trackEdge);
      g.drawRect(r.adjusted(0, 0, -1, -1));
      QFont f("DejaVu Sans");
      f.setPixelSize(std::max(9, h / 2));
      f.setBold(true);
      g.setFont(f);
      g.setPen(highlight ? p.panel : p.text);
      g.drawText(r, Qt::AlignCenter, label);
    });
  }

  QDir m_dir;
  const Palette& p;
};

void triangle(QPainter& g, QRectF r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right(), r.center().y());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  g.drawPath(path);
}
void bars(QPainter& g, QRectF r) {
  const double w = r.width() / 3;
  g.drawRect(QRectF(r.left(), r.top(), w, r.height()));
  g.drawRect(QRectF(r.right() - w, r.top(), w, r.height()));
}
void square(QPainter& g, QRectF r) {
  const double s = std::min(r.width(), r.height());
  g.drawRect(QRectF(r.center().x() - s / 2, r.center().y() - s / 2, s, s));
}

void padlock(QPainter& g, QRect r, const QColor& face, const QColor& ink, const QColor& edge) {
  g.fillRect(r, face);
  g.setPen(edge);
  g.drawRect(r.adjusted(0, 0, -1, -1));
  const QRectF body(r.center().x() - 5.0, r.center().y() - 1.0, 11.0, 7.0);
  g.setPen(QPen(ink, 1.6));
  g.setBrush(Qt::NoBrush);
  g.drawArc(QRectF(body.left() + 2.0, body.top() - 6.0, body.width() - 4.0, 10.0), 0, 180 * 16);
  g.setPen(Qt::NoPen);
  g.setBrush(ink);
  g.drawRoundedRect(body, 1.5, 1.5);
}

bool writeSkin(const QString& out, const QString& name, const Palette& p) {
  using namespace skin;
  Writer w(QDir(out).filePath(name), p);
  const int btnW = pixels(kButtonWidth), btnH = pixels(kButtonHeight);
  for (int i = 0; i < 2; ++i)
    w.draw(i == 0 ? "Base0" : "Base1", pixels(kBaseImg), pixels(kBaseImg),
           [&](QPainter& g, QRect r) {
             g.fillRect(r, p.panel);
             g.setPen(QPen(i == 0 ? p.text : p.accent[0], 2));
             g.drawEllipse(QRectF(4, 4, r.width() * 0.5, r.height() * 0.5));
             g.drawLine(QPointF(r.width() * 0.5, r.height() * 0.5),
                        QPointF(r.width() - 4, r.height() - 4));
           });
  const char* tabs[] = {"Explorer", "Library", "Playlist", "Samples", "Options", "Equalizer"};
  for (int i = 0; i < 6; ++i)
    w.text(QString("PNBUT%1").arg(i).toLatin1().constData(), pixels(kTabWidth), pixels(kTabHeight),
           tabs[i], false);
  w.track("EQSLVolBack", pixels(kEqTrackWidth), pixels(kEqTrackHeight), p.accent[0]);
  w.knob("EQSLButton", pixels(kEqTrackWidth), pixels(kEqThumbHeight), p.knob, p.panel);
  w.text("EQDWButton", pixels(kEqTrackWidth), pixels(kEqDownHeight), "v", false);
  w.draw("BackEQ", pixels(kPanelWidth), pixels(kPanelHeight), [&](QPainter& g, QRect r) {
    g.fillRect(r, p.panel);
    g.setPen(p.trackEdge);
    for (int y = 40; y < r.height() - 20; y += 20) g.drawLine(10, y, r.width() - 10, y);
  });
  w.track("MasterSLVolBack", pixels(kMasterWidth), pixels(kMasterHeight), p.text);
  w.knob("MasterSLButton", pixels(kMasterKnobWidth), pixels(kMasterHeight), p.knob, p.panel);
  for (int i = 0; i < 2; ++i)
    w.draw(i == 0 ? "BAR0" : "BAR1", pixels(kPitchTrackWidth), 12,
           [&](QPainter& g, QRect r) { g.fillRect(r, p.accent[i]); });
  w.track("SLPicthBack", pixels(kPitchTrackWidth), pixels(kPitchTrackHeight), p.text);
  w.knob("SLPicthButton", pixels(kPitchTrackWidth), pixels(kPitchKnobHeight), p.accent[0], p.panel);
  w.text("SLPicthButtonR0", pixels(kPitchTrackWidth), pixels(kStepSize), "0", false);
  w.text("SLPicthButtonR1", pixels(kPitchTrackWidth), pixels(kStepSize), "0", false);
  w.button("BTPause0", btnW, btnH, false, bars);
  w.button("BTPause0UP", btnW, btnH, true, bars);
  w.button("BTPlay0", btnW, btnH, false, triangle);
  w.button("BTPlay0UP", btnW, btnH, true, triangle);
  w.button("BTParar0", btnW, btnH, false, square);
  w.button("BTparar0UP", btnW, btnH, true, square);
  for (int i = 0; i < 2; ++i) {
    const QString n = QString("BTVolBack%1").arg(i);
    w.knob(n.toLatin1().constData(), pixels(kVolTrackWidth), pixels(kVolKnobHeight), p.knob,
           p.accent[i]);
    w.knob((n + "UP").toLatin1().constData(), pixels(kVolTrackWidth), pixels(kVolKnobHeight),
           p.knobPressed, p.accent[i]);
    w.track(QString("SLVolBack%1").arg(i).toLatin1().constData(), pixels(kVolTrackWidth),
            pixels(kVolTrackHeight), p.accent[i]);
    w.track(QString("SLPosBack%1").arg(i).toLatin1().constData(), pixels(kPosWidth),
            pixels(kPosHeight), p.trackEdge);
  }
  // One column: the bar starts empty and the tick stretches it over the played part.
  w.draw("SLPosBack0Left", 1, pixels(kPlayLeftHeight),
         [&](QPainter& g, QRect r) { g.fillRect(r, p.accent[0].darker(130)); });
  w.knob("BTPos0", pixels(kPosKnobWidth), pixels(kPosHeight), p.knob, p.panel);
  for (int i = 0; i < 2; ++i) {
    const QString n = QString("CHKSEL%1").arg(i);
    w.text(n.toLatin1().constData(), 20, 12, {}, false);
    w.draw((n + "UP").toLatin1().constData(), 20, 12,
           [&](QPainter& g, QRect r) { g.fillRect(r, p.accent[i]); });
  }
  // The key lock toggles: a padlock, on the deck's colour when on.
  for (int i = 0; i < 2; ++i)
    for (const bool on : {false, true}) {
      const QString n = QString("KEYLOCK%1%2").arg(i).arg(on ? "UP" : "");
      w.draw(n.toLatin1().constData(), pixels(kPitchTrackWidth), pixels(kStepSize),
             [&](QPainter& g, QRect r) {
               padlock(g, r, on ? p.accent[i] : p.button, on ? p.panel : p.text, p.trackEdge);
             });
    }
  w.text("cmdback", pixels(kSkinButton), pixels(kSkinButton), "<", false);
  w.text("BTGOTO", pixels(kSkinButton), pixels(kSkinButton), ">", false);
  w.text("cmdVEW", pixels(kSkinButton), pixels(kSkinButton), "o", false);
  std::printf("%s: %d bitmaps\n", name.toLatin1().constData(), w.written);
  return w.ok && w.written == 47;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tv_skingen OUT_FOLDER\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString out = QString::fromLocal8Bit(argv[1]);
  const bool ok =
      writeSkin(out, "Default", ui::darkPalette()) && writeSkin(out, "Light", ui::lightPalette());
  return ok ? 0 : 1;
}
