#include "Theme.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace ui {

void applyDarkTheme(QApplication& app) {
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QPalette p;
  const QColor window(30, 33, 39), base(16, 18, 22), text(222, 226, 232);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, QColor(24, 27, 32));
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(44, 48, 56));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::Highlight, QColor(255, 140, 26));
  p.setColor(QPalette::HighlightedText, QColor(16, 18, 22));
  p.setColor(QPalette::ToolTipBase, base);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, QColor(130, 136, 146));
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 114, 122));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(110, 114, 122));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(110, 114, 122));
  app.setPalette(p);
}

}  // namespace ui
