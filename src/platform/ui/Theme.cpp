#include "Theme.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

#include "Palette.h"

namespace ui {

void applyDarkTheme(QApplication& app) {
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  const Palette& c = darkPalette();
  QPalette p;
  p.setColor(QPalette::Window, c.panel);
  p.setColor(QPalette::WindowText, c.text);
  p.setColor(QPalette::Base, c.base);
  p.setColor(QPalette::AlternateBase, c.alternateBase);
  p.setColor(QPalette::Text, c.text);
  p.setColor(QPalette::Button, c.button);
  p.setColor(QPalette::ButtonText, c.text);
  p.setColor(QPalette::Highlight, c.accent[0]);
  p.setColor(QPalette::HighlightedText, c.base);
  p.setColor(QPalette::ToolTipBase, c.base);
  p.setColor(QPalette::ToolTipText, c.text);
  p.setColor(QPalette::PlaceholderText, c.dim);
  p.setColor(QPalette::Disabled, QPalette::Text, c.disabled);
  p.setColor(QPalette::Disabled, QPalette::ButtonText, c.disabled);
  p.setColor(QPalette::Disabled, QPalette::WindowText, c.disabled);
  app.setPalette(p);
}

}  // namespace ui
