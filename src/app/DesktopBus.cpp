#include "DesktopBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>

#include "Handover.h"
#include "Mpris.h"

namespace app {

namespace {
// Long enough for a player busy loading a large library; a player that does not answer in
// this time is taken to be stuck.
constexpr int kHandOverTimeoutMs = 10000;
}  // namespace

DesktopBus::DesktopBus() {
  qDBusRegisterMetaType<QByteArrayList>();
}

DesktopBus::~DesktopBus() = default;

DesktopBus::Claim DesktopBus::claim() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) {
    m_error = bus.lastError().message();
    if (m_error.isEmpty()) m_error = QStringLiteral("not connected");
    return Claim::NoBus;
  }
  m_handover = std::make_unique<Handover>();
  bus.registerObject(QString::fromLatin1(Handover::kPath), m_handover.get(),
                     QDBusConnection::ExportScriptableSlots);
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      bus.interface()->registerService(QString::fromLatin1(Mpris::kService),
                                       QDBusConnectionInterface::DontQueueService,
                                       QDBusConnectionInterface::DontAllowReplacement);
  m_bus = bus;
  if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
    return Claim::Owned;
  bus.unregisterObject(QString::fromLatin1(Handover::kPath));
  m_handover.reset();
  if (!reply.isValid()) {
    m_error = reply.error().message();
    m_bus.reset();
    return Claim::NoBus;
  }
  return Claim::Taken;
}

void DesktopBus::onFilesHandedOver(std::function<void(const QByteArrayList&)> receiver) {
  if (m_handover) m_handover->receiver = std::move(receiver);
}

void DesktopBus::publish(Mpris& mpris) {
  if (!m_bus || !m_handover) return;
  m_bus->registerObject(QString::fromLatin1(Mpris::kPath), &mpris, QDBusConnection::ExportAdaptors);
  mpris.attach(*m_bus);
}

QString DesktopBus::handOver(const QByteArrayList& files) {
  if (!m_bus) return QStringLiteral("no session bus");
  QDBusMessage call = QDBusMessage::createMethodCall(
      QString::fromLatin1(Mpris::kService), QString::fromLatin1(Handover::kPath),
      QString::fromLatin1(Handover::kInterface), QStringLiteral("OpenFiles"));
  call << QVariant::fromValue(files);
  const QDBusMessage reply = m_bus->call(call, QDBus::Block, kHandOverTimeoutMs);
  return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : QString();
}

}  // namespace app
