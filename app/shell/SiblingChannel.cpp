#include "SiblingChannel.h"

#include "SiblingProtocol.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

CSiblingChannel::CSiblingChannel(const QDBusConnection& bus, const QString& listen, QObject* parent)
    : QObject(parent), m_bus(bus), m_listen(listen)
{
    if (!m_bus.isConnected()) {
        m_error = m_bus.lastError().message();
        if (m_error.isEmpty())
            m_error = QStringLiteral("no session bus");
        return;
    }
    const QString path = QString::fromLatin1(SiblingProtocol::kBusPath);
    const QString iface = QString::fromLatin1(SiblingProtocol::kBusInterface);
    const QString member = QString::fromLatin1(SiblingProtocol::kBusMember);
    // Messages to this program: calls to its object.
    m_registered = m_bus.registerObject(path, this, QDBusConnection::ExportScriptableSlots);
    // Messages to every program: signals from anyone.
    const bool subscribed = m_bus.connect(QString(), path, iface, member, this,
                                          SLOT(Message(QString, qint64, qint64, QDBusMessage)));
    m_connected = m_registered && subscribed;
    if (!m_connected)
        m_error = m_bus.lastError().message();
}

CSiblingChannel::~CSiblingChannel()
{
    if (m_bus.isConnected()) {
        const QString path = QString::fromLatin1(SiblingProtocol::kBusPath);
        m_bus.disconnect(QString(), path, QString::fromLatin1(SiblingProtocol::kBusInterface),
                         QString::fromLatin1(SiblingProtocol::kBusMember), this,
                         SLOT(Message(QString, qint64, qint64, QDBusMessage)));
        if (m_registered)
            m_bus.unregisterObject(path);
    }
}

QString CSiblingChannel::OwnHandle() const
{
    return m_connected ? m_bus.baseService() : QString();
}

bool CSiblingChannel::Broadcast(const QString& channel, int64_t wParam, int64_t lParam)
{
    if (!m_connected)
        return false;
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromLatin1(SiblingProtocol::kBusPath),
                                   QString::fromLatin1(SiblingProtocol::kBusInterface),
                                   QString::fromLatin1(SiblingProtocol::kBusMember));
    signal << channel << qint64(wParam) << qint64(lParam);
    return m_bus.send(signal);
}

bool CSiblingChannel::Send(const QString& window, const QString& channel, int64_t wParam,
                           int64_t lParam)
{
    if (!m_connected || window.isEmpty())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(window, QString::fromLatin1(SiblingProtocol::kBusPath),
                                       QString::fromLatin1(SiblingProtocol::kBusInterface),
                                       QString::fromLatin1(SiblingProtocol::kBusMember));
    call << channel << qint64(wParam) << qint64(lParam);
    // Nobody waits for the receiver; a program that is gone is not started.
    call.setAutoStartService(false);
    return m_bus.send(call);
}

void CSiblingChannel::Message(const QString& channel, qint64 wParam, qint64 lParam,
                              const QDBusMessage& message)
{
    if (channel != m_listen)
        return;
    const QString sender = message.service();
    if (sender.isEmpty())
        return;
    emit received(wParam, lParam, sender);
}
