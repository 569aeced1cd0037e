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

#include "app/Layout.h"

namespace {

struct Palette {
  QColor panel, track, trackEdge, knob, knobPressed, text, button, buttonPressed, accent[2];
};

const Palette kDefault{
    QColor(30, 33, 39),    QColor(12, 13, 16),    QColor(58, 62, 72),
    QColor(200, 204, 212), QColor(255, 255, 255), QColor(222, 226, 232),
    QColor(44, 48, 56),    QColor(26, 28, 33),    {QColor(255, 140, 26), QColor(39, 196, 232)}};
const Palette kLight{
    QColor(226, 229, 234), QColor(196, 201, 209), QColor(150, 156, 166),
    QColor(70, 76, 88),    QColor(20, 22, 26),    QColor(30, 33, 39),
    QColor(244, 246, 248), QColor(206, 210, 216), {QColor(214, 96, 0), QColor(0, 128, 170)}};

int px(float twips) {
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

bool writeSkin(const QString& out, const QString& name, const Palette& p) {
  using namespace layout;
  Writer w(QDir(out).filePath(name), p);
  const int btnW = px(kButtonWidth), btnH = px(kButtonHeight);
  for (int i = 0; i < 2; ++i)
    w.draw(i == 0 ? "Base0" : "Base1", px(kBaseImg), px(kBaseImg), [&](QPainter& g, QRect r) {
      g.fillRect(r, p.panel);
      g.setPen(QPen(i == 0 ? p.text : p.accent[0], 2));
      g.drawEllipse(QRectF(4, 4, r.width() * 0.5, r.height() * 0.5));
      g.drawLine(QPointF(r.width() * 0.5, r.height() * 0.5),
                 QPointF(r.width() - 4, r.height() - 4));
    });
  const char* tabs[] = {"Explorer", "Library", "Playlist", "Samples", "Options", "Equalizer"};
  for (int i = 0; i < 6; ++i)
    w.text(QString("PNBUT%1").arg(i).toLatin1().constData(), px(kTabWidth), px(kTabHeight), tabs[i],
           false);
  w.track("EQSLVolBack", 16, 120, p.accent[0]);
  w.knob("EQSLButton", 16, 10, p.knob, p.panel);
  w.text("EQDWButton", 16, 12, "v", false);
  w.draw("BackEQ", px(kPanelWidth), px(kPanelHeight), [&](QPainter& g, QRect r) {
    g.fillRect(r, p.panel);
    g.setPen(p.trackEdge);
    for (int y = 40; y < r.height() - 20; y += 20) g.drawLine(10, y, r.width() - 10, y);
  });
  w.track("MasterSLVolBack", px(kMasterWidth), px(kMasterHeight), p.text);
  w.knob("MasterSLButton", px(kMasterKnobWidth), px(kMasterHeight), p.knob, p.panel);
  for (int i = 0; i < 2; ++i)
    w.draw(i == 0 ? "BAR0" : "BAR1", px(kPitchTrackWidth), 12,
           [&](QPainter& g, QRect r) { g.fillRect(r, p.accent[i]); });
  w.track("SLPicthBack", px(kPitchTrackWidth), px(kPitchTrackHeight), p.text);
  w.knob("SLPicthButton", px(kPitchTrackWidth), px(kPitchKnobHeight), p.accent[0], p.panel);
  w.text("SLPicthButtonR0", px(kPitchTrackWidth), px(kStepSize), "0", false);
  w.text("SLPicthButtonR1", px(kPitchTrackWidth), px(kStepSize), "0", false);
  w.button("BTPause0", btnW, btnH, false, bars);
  w.button("BTPause0UP", btnW, btnH, true, bars);
  w.button("BTPlay0", btnW, btnH, false, triangle);
  w.button("BTPlay0UP", btnW, btnH, true, triangle);
  w.button("BTParar0", btnW, btnH, false, square);
  w.button("BTparar0UP", btnW, btnH, true, square);
  for (int i = 0; i < 2; ++i) {
    const QString n = QString("BTVolBack%1").arg(i);
    w.knob(n.toLatin1().constData(), px(kVolTrackWidth), px(kVolKnobHeight), p.knob, p.accent[i]);
    w.knob((n + "UP").toLatin1().constData(), px(kVolTrackWidth), px(kVolKnobHeight), p.knobPressed,
           p.accent[i]);
    w.track(QString("SLVolBack%1").arg(i).toLatin1().constData(), px(kVolTrackWidth),
            px(kVolTrackHeight), p.accent[i]);
    w.track(QString("SLPosBack%1").arg(i).toLatin1().constData(), px(kPosWidth), px(kPosHeight),
            p.trackEdge);
  }
  // One column: the bar starts empty and the tick stretches it over the played part.
  w.draw("SLPosBack0Left", 1, px(kPlayLeftHeight),
         [&](QPainter& g, QRect r) { g.fillRect(r, p.accent[0].darker(130)); });
  w.knob("BTPos0", px(kPosKnobWidth), px(kPosHeight), p.knob, p.panel);
  for (int i = 0; i < 2; ++i) {
    const QString n = QString("CHKSEL%1").arg(i);
    w.text(n.toLatin1().constData(), 20, 12, {}, false);
    w.draw((n + "UP").toLatin1().constData(), 20, 12,
           [&](QPainter& g, QRect r) { g.fillRect(r, p.accent[i]); });
  }
  w.text("cmdback", px(kSkinButton), px(kSkinButton), "<", false);
  w.text("BTGOTO", px(kSkinButton), px(kSkinButton), ">", false);
  w.text("cmdVEW", px(kSkinButton), px(kSkinButton), "o", false);
  std::printf("%s: %d bitmaps\n", name.toLatin1().constData(), w.written);
  return w.ok && w.written == 43;
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
  const bool ok = writeSkin(out, "Default", kDefault) && writeSkin(out, "Light", kLight);
  return ok ? 0 : 1;
}
