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
  Drive1 = build.named(Builder::place(new ui::DriveListBox(page), px(8), px(40), px(200), px(24)),
                       "Drive1");
  Dir1 = build.named(Builder::place(new ui::DirListBox(page), px(8), px(70), px(200), px(216)),
                     "Dir1");
  File1 = build.named(Builder::place(new ui::FileListBox(page), px(214), px(40), px(330), px(246)),
                      "File1");
  File1->setMultiSelect(true);
  cmdsendlst0 = build.named(
      Builder::place(new ui::CommandButton(page, "Add a Listas"), px(8), px(294), px(132), px(26)),
      "cmdsendlst", 0);
}

}  // namespace library
