#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>

class QDBusMessage;

// One program's end of the two message channels on the session bus: it
// hears the messages of one channel, whether sent to every program or to
// this one, and sends on the other. See SiblingProtocol.h for the wire form.
class CSiblingChannel : public QObject
{
    Q_OBJECT
    // SiblingProtocol::kBusInterface; the macro wants the literal.
    Q_CLASSINFO("D-Bus Interface", "com.veltrin.WindowMessage")

public:
    // Hears messages of channel `listen` on bus.
    CSiblingChannel(const QDBusConnection& bus, const QString& listen, QObject* parent = nullptr);
    ~CSiblingChannel() override;

    // False when there is no bus to talk on (then nothing is heard or sent).
    bool IsConnected() const { return m_connected; }
    QString ErrorString() const { return m_error; }
    // This program's window handle: its unique name on the bus.
    QString OwnHandle() const;

    // A message to every program.
    bool Broadcast(const QString& channel, int64_t wParam, int64_t lParam);
    // A message to the program of window; lost when that program is gone.
    bool Send(const QString& window, const QString& channel, int64_t wParam, int64_t lParam);

signals:
    // A message of the channel heard; sender is the sending program's window.
    void received(qint64 wParam, qint64 lParam, const QString& sender);

public slots:
    // The bus delivers both the broadcasts and the messages to this program
    // here.
    Q_SCRIPTABLE void Message(const QString& channel, qint64 wParam, qint64 lParam,
                              const QDBusMessage& message);

private:
    QDBusConnection m_bus;
    QString m_listen;
    bool m_connected = false;
    bool m_registered = false;
    QString m_error;
};
