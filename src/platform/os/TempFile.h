#pragma once

#include <QByteArray>
#include <string_view>

// The files a save writes before they replace one of the program's own. Each lives in the
// folder of the file it replaces (so the rename stays on one file system) under a short
// name of ours, ".tornavel-" and ten letters or digits then ".tmp", which fits whatever the
// length of the target's name. While it is written its writer holds an exclusive lock on
// it: a start that finds one nobody holds knows that the save that made it was killed.
namespace platform {

class TempFile {
 public:
  TempFile() = default;
  ~TempFile();  // a file not renamed into place goes
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Creates the file in `folder` ("" for the current folder); 0 or the system's error.
  int create(const QByteArray& folder);
  // Appends through a buffer; 0 or the first error, which every later call returns too.
  int write(const char* data, qsizetype size);
  int write(const QByteArray& data) { return write(data.constData(), data.size()); }
  int flush();
  // Gives the file `mode` and, for the super-user, the owner and group.
  void takeOwnership(unsigned mode, unsigned uid, unsigned gid);
  // The same, from the file `target` when there is one.
  void takeOwnershipOf(const QByteArray& target);
  // Flushes, makes the data durable and renames the file over `target`; 0 or the error
  // (the temporary is then gone and the target untouched).
  int replace(const QByteArray& target);
  // Copies the written bytes into the file `target` itself, in place, so that every hard
  // link to it sees them; 0 or the error. The temporary stays until destruction.
  int copyInto(const QByteArray& target);
  void discard();

  const QByteArray& path() const { return m_path; }
  bool isOpen() const { return m_fd >= 0; }
  qint64 written() const { return m_written; }

 private:
  int m_fd = -1;
  int m_error = 0;
  qint64 m_written = 0;
  QByteArray m_path;
  QByteArray m_buffer;
};

// Whether a file name is of the form the program gives its temporary files.
bool isTempName(std::string_view name);

// Removes, from `folder`, what saves that were killed left behind: temporary files of ours
// and, for the settings file `settingsName` when given, the lock and the half-renamed copy
// the toolkit leaves when its save is cut short. Only regular files of this user that no
// running save holds are removed. Returns how many went.
int removeStaleTemps(const QByteArray& folder, const QByteArray& settingsName = {});

// The same for the folder a save to `file` writes in (its links followed); with
// `isSettings`, `file` is the settings file and the toolkit's leftovers of it go too.
int removeStaleTempsBeside(const QByteArray& file, bool isSettings = false);

// Makes a rename in `folder` durable.
void syncFolder(const QByteArray& folder);

}  // namespace platform
