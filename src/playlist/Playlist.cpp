#include "Playlist.h"

#include <QFileInfo>
#include <QMenu>
#include <cmath>

#include "library/SeparaNom.h"
#include "platform/ui/Val.h"

namespace playlist {

namespace {
// Round to the nearest whole number, halves to even, as the row arithmetic does.
int roundEven(double v) {
  return int(std::nearbyint(v));
}
}  // namespace

Playlist::Playlist(PlaylistControls& controls) : m_c(controls), m_menu(std::make_unique<QMenu>()) {
  // The menu's commands belong to the pop-up menu subsystem; until it exists they are shown
  // but cannot be chosen.
  for (const char* text :
       {"Play !", "Play ! ( en A)", "Play ! ( en B) ", "-", "Remove", "Clean List !"}) {
    if (QString::fromLatin1(text) == QLatin1String("-")) {
      m_menu->addSeparator();
      continue;
    }
    m_menu->addAction(QString::fromLatin1(text))->setEnabled(false);
  }
}

Playlist::~Playlist() = default;

int Playlist::hoverTerm(float Y) {
  return int(std::floor(roundEven(double(Y) - 225.0) / double(kRow)));
}
int Playlist::pressTerm(float Y) {
  return int(std::floor(roundEven(double(Y) - 190.0) / double(kRow)));
}

int Playlist::firstVisibleNumber() const {
  const int first = m_c.LSTMP3->FirstVisible();
  if (first < 0) return 1;
  const int f = int(ui::Val(m_c.LSTMP3->items().text(first, Number)));
  return f < 1 ? 1 : f;
}

QString Playlist::path(int position) const {
  return m_c.LSTMP3->items().text(position - 1, Path);
}

int Playlist::current() const {
  return int(ui::Val(m_c.IdxLST->Caption()));
}
void Playlist::setCurrent(int position) {
  m_c.IdxLST->setCaption(QString::number(position));
}

void Playlist::SendTOlst(QString& name, int idxpos) {
  const QString path = name;
  const int n = count();
  const QStringList row = {QString::number(n + 1), library::SeparaNom(name, 0),
                           library::SeparaNom(name, 1), path};
  if (idxpos != 0 && idxpos != -1)
    m_c.LSTMP3->items().insert(std::clamp(idxpos, 1, n + 1) - 1, row);
  else
    m_c.LSTMP3->items().insert(n, row);
}

void Playlist::Veridx(int emp) {
  if (emp == 0) emp = 1;
  ui::RowsModel& items = m_c.LSTMP3->items();
  for (int i = emp; i <= items.count(); ++i) items.setText(i - 1, Number, QString::number(i));
}

int Playlist::GetIndexFrom(const ui::ListView& list, float Y) const {
  int r = hoverTerm(Y) + 2;
  if (r <= 0) r = 1;
  const int f3 = std::max(list.FirstVisible() + 1, 1);
  int i = r + f3 - 1;
  if (i > list.Count()) i = list.Count();
  if (i <= 0) i = 1;
  return i;
}

void Playlist::LSTMP3_MouseDown(int Button, int, float, float Y) {
  if (Button != ui::LeftButton) return;
  const int p = pressTerm(Y);
  if (count() == 0 || p + 1 > count()) return;
  if (!PlaylistDragActive) {
    DragSourceIndex = p + 1 + firstVisibleNumber();
    PlaylistDragActive = true;
  }
  m_c.SelDir->setVisible(false);
  m_c.PICSEL[0]->setTop(float(p + 2) * kRow + m_c.LSTMP3->Top());
  m_c.PICSEL[0]->setVisible(true);
  m_c.PICSEL[0]->ZOrder(0);
}

void Playlist::showHover(int h) {
  m_c.PICSEL[1]->setTop(float(h + 2) * kRow + m_c.LSTMP3->Top());
  m_c.PICSEL[1]->ZOrder(0);
  m_c.PICSEL[1]->setVisible(true);
  m_c.SelDir->setTop(float(h + 1) * kRow + m_c.LSTMP3->Top());
  m_c.SelDir->setVisible(true);
  m_c.SelDir->setTag(QString::number(h + 1));
}

void Playlist::placeCurrentMarkers(int position) {
  const float top = m_c.LSTMP3->ItemTop(position - 1);
  m_c.PLAYNX->setVisible(true);
  m_c.PLAYNX->setTop(top);
  m_c.PICSEL[2]->setVisible(true);
  m_c.PICSEL[2]->ZOrder(0);
  m_c.PICSEL[2]->setTop(m_c.LSTMP3->Top() + top + kRow);
}

void Playlist::LSTMP3_MouseMove(int, int, float, float Y) {
  const int h = hoverTerm(Y);
  if (float(h + 2) * kRow <= m_c.LSTMP3->Height() && count() > 0 && h + 1 < count()) {
    showHover(h);
  } else {
    m_c.PICSEL[1]->setVisible(false);
    m_c.SelDir->setVisible(false);
  }
  const int c = current();
  if (c > 0 && c <= count()) {
    placeCurrentMarkers(c);
    m_c.PLAYNX->ZOrder(0);
  } else {
    m_c.PLAYNX->setVisible(false);
  }
}

void Playlist::LSTMP3_FilesDragOver(float, float Y) {
  const int h = hoverTerm(Y);
  if (float(h + 2) * kRow <= m_c.LSTMP3->Height() && count() > 0 && h + 1 < count()) showHover(h);
}

void Playlist::LSTMP3_MouseUp(int Button, int, float X, float Y) {
  if (count() == 0) return;
  if (Button == ui::RightButton) {
    const int h = hoverTerm(Y);
    if (h + 1 >= count()) return;
    showHover(h);
    m_c.Label1->setCaption(m_c.LSTMP3->items().text(h + 1, Artist));
    const float mx = m_c.LSTMP3->Left() + X + m_c.PICTURELST->Left();
    const float my = m_c.LSTMP3->Top() + Y + m_c.PICTURELST->Top();
    QWidget* window = m_c.LSTMP3->widget()->window();
    m_menu->popup(window->mapToGlobal(QPoint(ui::toPixels(mx), ui::toPixels(my))));
  } else if (Button == ui::LeftButton && PlaylistDragActive) {
    moveEntry(Y);
  }
}

void Playlist::moveEntry(float Y) {
  int t = hoverTerm(Y) + 2;
  if (t <= 0) t = 1;
  m_c.Label7->setTag(QString::number(t));
  PlaylistDragActive = false;
  const int src = DragSourceIndex;
  int dest = t + firstVisibleNumber() - 1;
  if (dest > count()) dest = count();
  if (src != dest && src >= 1 && src <= count()) {
    ui::RowsModel& items = m_c.LSTMP3->items();
    QStringList kept = items.row(src - 1);
    kept[Number] = QStringLiteral(" ");
    items.remove(src - 1);
    items.insert(dest - 1, kept);
    Veridx(std::min(dest, src));
    const int c = current();
    if (c == src)
      setCurrent(dest);
    else if (src < c && c <= dest)
      setCurrent(c - 1);
    else if (dest <= c && c < src)
      setCurrent(c + 1);
  }
  m_c.Label7->setVisible(false);
  m_c.SelDir->setVisible(true);
  m_c.PICSEL[0]->setVisible(false);
  PlaylistDragActive = false;
}

void Playlist::LSTMP3_FilesDropped(const QStringList& paths, float, float Y) {
  for (const QString& dropped : paths) {
    // A folder or a file that vanished on the way is skipped.
    const QFileInfo info(dropped);
    if (!info.isFile()) continue;
    QString path = info.absoluteFilePath();
    const int pos = GetIndexFrom(*m_c.LSTMP3, Y);
    const QString ext = path.right(3);
    if (ext != QLatin1String("mp3") && ext != QLatin1String("wma")) continue;
    SendTOlst(path, pos);
    Veridx(pos);
  }
}

void Playlist::cmdquitarlst_Click() {
  const int selected = m_c.LSTMP3->SelectedIndex();
  if (selected < 0) return;
  const int i = selected + 1;
  const int c = current();
  if (c > int(ui::Val(m_c.SelDir->Tag()))) setCurrent(c - 1);
  m_c.LSTMP3->items().remove(i - 1);
  Veridx(i);
}

void Playlist::cmdCls_Click() {
  m_c.LSTMP3->items().clear();
}

}  // namespace playlist
