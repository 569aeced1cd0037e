#include "BrowserView.h"

#include "skin/Metrics.h"

namespace library {

using skin::kSkinButton;
using skin::px;
using ui::Builder;

BrowserView::BrowserView(QWidget* page, ui::Builder& build) {
  cmdback = build.named(Builder::pictureButton(page, px(8), px(8), kSkinButton, kSkinButton, "<"),
                        "cmdback");
  txtruta =
      build.named(Builder::place(new ui::TextBox(page), px(38), px(8), px(410), px(24)), "txtruta");
  cmdgodo = build.named(Builder::pictureButton(page, px(454), px(8), kSkinButton, kSkinButton, ">"),
                        "cmdgodo");
  cmdVEW = build.named(Builder::pictureButton(page, px(484), px(8), kSkinButton, kSkinButton, "o"),
                       "cmdVEW");
}

}  // namespace library
