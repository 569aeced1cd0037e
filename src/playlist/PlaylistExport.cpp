#include "PlaylistExport.h"

#include <QFileDialog>
#include <cmath>

#include "M3u8Writer.h"
#include "TrackNames.h"
#include "audio/DeckState.h"
#include "platform/os/NativePath.h"
#include "platform/os/RegularFile.h"

namespace playlist {

PlaylistExport::PlaylistExport(const PlaylistModel& model, const audio::DeckActions& decks,
                               QWidget* dialogParent)
    : m_model(model), m_decks(decks) {
  chooseFile = [dialogParent] {
    return QFileDialog::getSaveFileName(dialogParent, QStringLiteral("Export M3U"), QString(),
                                        QStringLiteral("M3U playlists (*.m3u8 *.m3u)"), nullptr,
                                        QFileDialog::DontUseNativeDialog);
  };
}

QList<ForeignEntry> PlaylistExport::entries() const {
  QList<ForeignEntry> out;
  std::int64_t deckLength[2] = {};
  QByteArray deckPath[2];
  for (int k : {audio::DeckA, audio::DeckB}) {
    const audio::DeckActions::Track t = m_decks.TrackOf(k);
    if (t.playback != audio::DeckActions::Playback::Empty) {
      deckPath[k] = t.path;
      deckLength[k] = t.lengthMs;
    }
  }
  for (int i = 1; i <= m_model.count(); ++i) {
    const PlaylistEntry& e = m_model.entry(i);
    ForeignEntry f{e.path, TrackNames::of(e.path).joined(), e.lengthSeconds};
    for (int k : {audio::DeckA, audio::DeckB})
      if (f.lengthSeconds < 0 && deckLength[k] > 0 && deckPath[k] == e.path)
        f.lengthSeconds = int(std::lround(double(deckLength[k]) / 1000.0));
    out.append(f);
  }
  return out;
}

void PlaylistExport::ExportM3U() {
  QString name = chooseFile ? chooseFile() : QString();
  if (name.isEmpty()) return;
  // A name typed without an extension gets the one the file is written in.
  if (!name.endsWith(QLatin1String(".m3u8"), Qt::CaseInsensitive) &&
      !name.endsWith(QLatin1String(".m3u"), Qt::CaseInsensitive))
    name += QStringLiteral(".m3u8");
  const QByteArray target = platform::nativePath(name);
  // The list as it is now is what gets written, whenever the answer comes.
  auto write = [this, target, list = entries()] {
    const QString error = writeM3u8(target, list);
    if (!error.isEmpty() && showError) showError(error);
  };
  if (!platform::isReadOnlyFile(target)) {
    write();
    return;
  }
  const QString question = QStringLiteral("%1 is read-only. Replace it?").arg(name);
  if (ask)
    ask(question, [write](bool yes) {
      if (yes) write();
    });
  else if (showError)
    showError(QStringLiteral("%1 is read-only: it was left as it is.").arg(name));
}

}  // namespace playlist
