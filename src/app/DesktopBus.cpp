#include "DesktopBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>

#include <QCoreApplication>
#include <QThread>

#include "Handover.h"
#include "Mpris.h"
#include "platform/os/AudioFiles.h"
#include "platform/os/NativePath.h"
#include "playlist/Playlist.h"

namespace app {

namespace {
// The player answers once it has read the names, on a thread the window does not hold up;
// this leaves time for a call of a million names on a busy machine.
constexpr int kHandOverTimeoutMs = 60000;
// Names go in calls of at most this many bytes, well inside what the bus carries in one.
constexpr qsizetype kCallBytes = 16 << 20;
}  // namespace

Handover::Handover(std::shared_ptr<const platform::FileTypeChoice> fileTypes)
    : m_fileTypes(std::move(fileTypes)) {}

uint Handover::takenOf(const QByteArrayList& files, platform::FileTypes types) {
  uint taken = 0;
  for (const QByteArray& f : files)
    if (playlist::Playlist::isStorableName(f) &&
        platform::isPlayableAudio(platform::bytesOf(f), types))
      ++taken;
  return taken;
}

uint Handover::OpenFiles(const QByteArrayList& files) {
  if (receiver)
    QMetaObject::invokeMethod(
        qApp, [r = receiver, files] { r(files); }, Qt::QueuedConnection);
  return takenOf(files, m_fileTypes->value());
}

DesktopBus::DesktopBus() {
  qDBusRegisterMetaType<QByteArrayList>();
}

DesktopBus::~DesktopBus() {
  if (m_thread) {
    m_thread->quit();
    m_thread->wait();
  }
}

DesktopBus::Claim DesktopBus::claim(std::shared_ptr<const platform::FileTypeChoice> fileTypes) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) {
    m_error = bus.lastError().message();
    if (m_error.isEmpty()) m_error = QStringLiteral("not connected");
    return Claim::NoBus;
  }
  m_handover = std::make_unique<Handover>(std::move(fileTypes));
  m_thread = std::make_unique<QThread>();
  m_thread->setObjectName(QStringLiteral("handover"));
  m_handover->moveToThread(m_thread.get());
  m_thread->start();
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
  m_thread->quit();
  m_thread->wait();
  m_thread.reset();
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

DesktopBus::HandOver DesktopBus::handOver(const QByteArrayList& files) {
  HandOver result;
  if (!m_bus) {
    result.error = QStringLiteral("no session bus");
    return result;
  }
  // A list too long for one message goes in several, in order; an empty one still calls.
  qsizetype from = 0;
  do {
    qsizetype to = from, bytes = 0;
    while (to < files.size() && (to == from || bytes + files[to].size() + 8 <= kCallBytes))
      bytes += files[to++].size() + 8;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(Mpris::kService), QString::fromLatin1(Handover::kPath),
        QString::fromLatin1(Handover::kInterface), QStringLiteral("OpenFiles"));
    call << QVariant::fromValue(files.mid(from, to - from));
    const QDBusMessage reply = m_bus->call(call, QDBus::Block, kHandOverTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
      result.error = reply.errorMessage();
      return result;
    }
    if (!reply.arguments().isEmpty()) result.taken += reply.arguments().first().toUInt();
    from = to;
  } while (from < files.size());
  return result;
}

}  // namespace app
