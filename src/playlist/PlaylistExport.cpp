#include "PlaylistExport.h"

#include <QFileDialog>
#include <cmath>

#include "M3u8Writer.h"
#include "TrackNames.h"
#include "audio/DeckState.h"
#include "platform/os/NativePath.h"

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
  const QString error = writeM3u8(platform::nativePath(name), entries());
  if (!error.isEmpty() && showError) showError(error);
}

}  // namespace playlist
