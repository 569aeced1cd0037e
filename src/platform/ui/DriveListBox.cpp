#include "DriveListBox.h"

#include <QFile>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <algorithm>

#include "platform/os/NativePath.h"

namespace ui {

namespace {
// Reads the drives again just before its list opens.
class DriveCombo : public QComboBox {
 public:
  DriveCombo(QWidget* parent, DriveListBox& owner) : QComboBox(parent), m_owner(owner) {}
  void showPopup() override {
    m_owner.Refresh();
    QComboBox::showPopup();
  }

 private:
  DriveListBox& m_owner;
};

// True when `path` is `root` or lies under it. A volume without a root holds nothing.
bool holds(const QByteArray& root, const QByteArray& path) {
  if (root.isEmpty() || !path.startsWith(root)) return false;
  return path.size() == root.size() || platform::isSeparatorByte(root.back()) ||
         platform::isSeparatorByte(path[root.size()]);
}
}  // namespace

DriveListBox::DriveListBox(QWidget* parent)
    : Control(new DriveCombo(parent, *this)), m_box(static_cast<QComboBox*>(widget())) {
  m_stockWidget = true;
  m_box->setFocusPolicy(Qt::TabFocus);
  source = &DriveListBox::mountedVolumes;
  QObject::connect(m_box, &QComboBox::activated, this, [this] {
    if (onChange) onChange();
  });
  Refresh();
}

QList<DriveListBox::Volume> DriveListBox::mountedVolumes() {
  QList<Volume> out;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (!v.isValid() || !v.isReady()) continue;
    // Packaged applications' read-only images are volumes too, but no place for music.
    if (v.fileSystemType() == "squashfs") continue;
    const QString root = v.rootPath();
    // Inside a chroot or a container the system lists mounts whose roots lie outside it.
    if (root.isEmpty()) continue;
    const QString name = v.name();
    out.append({QFile::encodeName(root),
                name.isEmpty() || name == root ? root : root + QStringLiteral("  [") + name + "]"});
  }
  QByteArray top = QFile::encodeName(QStorageInfo::root().rootPath());
  if (top.isEmpty()) top = QByteArray(1, platform::kSeparator);
  if (std::none_of(out.begin(), out.end(), [&](const Volume& d) { return d.root == top; }))
    out.append({top, QString::fromLocal8Bit(top)});
  std::sort(out.begin(), out.end(),
            [](const Volume& a, const Volume& b) { return a.root < b.root; });
  return out;
}

void DriveListBox::Refresh() {
  const QByteArray chosen = Drive();
  m_drives = source ? source() : QList<Volume>();
  const QSignalBlocker quiet(m_box);
  m_box->clear();
  for (const Volume& d : m_drives) m_box->addItem(d.label);
  for (int i = 0; i < ListCount(); ++i)
    if (m_drives[i].root == chosen) m_box->setCurrentIndex(i);
}

QString DriveListBox::List(int index) const {
  return index >= 0 && index < ListCount() ? m_drives[index].label : QString();
}

void DriveListBox::setListIndex(int index) {
  if (index < 0 || index >= ListCount()) return;
  m_box->setCurrentIndex(index);
  if (onChange) onChange();
}

QByteArray DriveListBox::Drive() const {
  const int i = ListIndex();
  return i >= 0 && i < ListCount() ? m_drives[i].root : QByteArray();
}

void DriveListBox::showDriveOf(const QByteArray& path) {
  // The deepest volume that holds the path is the one it is on.
  int best = -1;
  for (int i = 0; i < ListCount(); ++i)
    if (holds(m_drives[i].root, path) &&
        (best < 0 || m_drives[i].root.size() > m_drives[best].root.size()))
      best = i;
  const QSignalBlocker quiet(m_box);
  m_box->setCurrentIndex(best);
}

}  // namespace ui
