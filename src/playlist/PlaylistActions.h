#pragma once

#include <QByteArray>
#include <QList>

namespace playlist {

// What other parts of the program may ask of the playlist: files opened from outside the
// window, playing an entry, and stepping to the next or previous entry as its buttons do.
class PlaylistActions {
 public:
  virtual ~PlaylistActions() = default;

  // Whether files opened from outside start at once: always (the first launch's command
  // line), or only when the selected deck is not playing, so that opening a file beside a
  // running mix adds it without cutting the mix.
  enum class Start { Always, UnlessPlaying };
  // Appends the MP3, WMA and WAV files among `paths` that exist, in order, and takes the
  // first of them into the selected deck as `start` says. A long list goes in by batches,
  // one per turn of the event loop.
  virtual void OpenFiles(const QList<QByteArray>& paths, Start start) = 0;
  // Takes entry `position` into the selected deck and plays it, as a double-click does.
  virtual bool PlayEntry(int position) = 0;
  virtual int EntryCount() const = 0;
  // The entry last taken into a deck from the list, 0 for none.
  virtual int CurrentEntry() const = 0;
  virtual void Next() = 0;
  virtual void Previous() = 0;
};

}  // namespace playlist
