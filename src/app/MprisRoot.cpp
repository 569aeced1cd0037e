#include "MprisRoot.h"

#include "Mpris.h"

namespace app {

MprisRoot::MprisRoot(Mpris* mpris) : QDBusAbstractAdaptor(mpris), m_mpris(*mpris) {}

QStringList MprisRoot::SupportedMimeTypes() const {
  return m_mpris.supportedMimeTypes();
}

void MprisRoot::Raise() {
  m_mpris.Raise();
}

void MprisRoot::Quit() {
  m_mpris.Quit();
}

}  // namespace app
