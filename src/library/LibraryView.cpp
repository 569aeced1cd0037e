#include "LibraryView.h"

#include "skin/Metrics.h"

namespace library {

using skin::px;
using ui::Builder;

LibraryView::LibraryView(QWidget* p, PathListModel& library, PathListModel& results,
                         const LibraryFile& file, ui::Builder& build)
    : m_file(file) {
  const ui::Palette& c = ui::darkPalette();
  BaseImg = build.named(Builder::box(p, px(8), px(8), skin::kBaseImg, skin::kBaseImg, c.panel),
                        "BaseImg");
  txtbusq =
      build.named(Builder::place(new ui::TextBox(p), px(38), px(8), px(300), px(24)), "txtbusq");
  cmdbusq = build.named(
      Builder::place(new ui::CommandButton(p, "Buscar"), px(344), px(7), px(80), px(26)),
      "cmdbusq");
  lblCntLST =
      build.named(Builder::label(p, px(430), px(10), px(110), px(20), "0", 12, c.dim), "lblCntLST");
  lblCntLST->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lstdata = build.named(
      Builder::place(new ui::ListView(p, 19, &library), px(8), px(40), px(536), px(232)),
      "lstdata");
  lstresul = build.named(
      Builder::place(new ui::ListView(p, 19, &results), px(8), px(40), px(536), px(232)),
      "lstresul");
  lstresul->setVisible(false);
  for (ui::ListView* list : {lstdata, lstresul}) list->setMultiSelect(true);
  SELPIC0 = build.named(Builder::box(p, px(8), 0, px(536) - 255, 25, c.hoverBar), "SELPIC", 0);
  SELPIC0->setVisible(false);
  LblFolder =
      build.named(Builder::label(p, px(8), px(276), px(536), px(18), {}, 11, c.dim), "LblFolder");
  lbleti =
      build.named(Builder::label(p, px(148), px(294), px(190), px(18), {}, 11, c.dim), "lbleti");
  cmdsendlst1 = build.named(Builder::place(new ui::CommandButton(p, "Añadir a la Lista"), px(8),
                                           px(294), px(132), px(26)),
                            "cmdsendlst", 1);
  cmdaddbase = build.named(
      Builder::place(new ui::CommandButton(p, "Opciones"), px(344), px(294), px(96), px(26)),
      "cmdaddbase");
  cmdCancelScan = build.named(
      Builder::place(new ui::CommandButton(p, "Cancelar"), px(448), px(294), px(96), px(26)),
      "cmdCancelScan");

  frmbusq = build.named(
      Builder::place(new ui::Frame(p, "Opciones del fichero"), px(60), px(40), px(430), px(200)),
      "frmbusq");
  frmbusq->widget()->setAutoFillBackground(true);
  frmbusq->setVisible(false);
  QWidget* f = frmbusq->container();
  OPTETQ = build.named(
      Builder::label(f, px(12), px(24), px(300), px(18), "Añadir este directorio al fichero", 12),
      "OPTETQ");
  txtbsq = build.named(Builder::place(new ui::TextBox(f, "Click aqui para seleccionar carpeta"),
                                      px(12), px(44), px(330), px(24)),
                       "txtbsq");
  cmdbuq[0] =
      build.named(Builder::place(new ui::CommandButton(f, "..."), px(348), px(43), px(70), px(26)),
                  "cmdbuq", 0);
  OPTETQ2 = build.named(
      Builder::label(f, px(12), px(82), px(300), px(18), "Re-Scanear ficheros", 12), "OPTETQ2");
  cmdbuq[1] = build.named(
      Builder::place(new ui::CommandButton(f, "Scan"), px(12), px(104), px(100), px(26)), "cmdbuq",
      1);
  cmdkl = build.named(
      Builder::place(new ui::CommandButton(f, "Borrar"), px(12), px(160), px(100), px(26)),
      "cmdkl");
  cmdbusqc = build.named(
      Builder::place(new ui::CommandButton(f, "Cancel"), px(318), px(160), px(100), px(26)),
      "cmdbusqc");
}

}  // namespace library
