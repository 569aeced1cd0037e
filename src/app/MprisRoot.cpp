#include "MprisRoot.h"

#include "Mpris.h"

namespace app {

MprisRoot::MprisRoot(Mpris* mpris) : QDBusAbstractAdaptor(mpris), m_mpris(*mpris) {}

QStringList MprisRoot::SupportedMimeTypes() const {
  return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-ms-wma"),
          QStringLiteral("audio/x-wav"), QStringLiteral("audio/wav")};
}

void MprisRoot::Raise() {
  m_mpris.Raise();
}

void MprisRoot::Quit() {
  m_mpris.Quit();
}

}  // namespace app
