#include "FolderLister.h"

namespace library {

void FolderLister::list(const QByteArray& folder, std::span<const char* const> patterns,
                        Done done) {
  m_worker.post(LibraryWorker::Browse,
                [folder, patterns, done = std::move(done)](JobContext& ctx) mutable {
                  if (ctx.closing()) return;
                  auto found = std::make_shared<FolderListing>(listFolder(folder, patterns));
                  ctx.toWindow([found, done = std::move(done)] { done(*found); });
                });
}

}  // namespace library
