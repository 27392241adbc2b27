#pragma once

#include "NamedEvent.h"
#include "SiblingSharedBlock.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CAnnaluxDoc;
class CSiblingChannel;

// The link to Figurant, the chronology of people: finds the running Figurant
// that has a project open, or starts one on it, and tells it which year to
// show; answers a Figurant that asks which chronology is open here and
// scrolls to the year it sends.
//
// The main window makes the shared block and the wait event when it is
// created and keeps them to the end; without them (or without a session
// bus) every synchronisation fails with the start error and nothing else
// changes.
class CSiblingLink : public QObject
{
    Q_OBJECT

public:
    static const char* const kStartErrorFormat;  // %d: the system error code
    static const char* const kSyncErrorFormat;   // %d: the system error code
    static const char* const kUnencodableFormat; // %1: the path, %2: the character

    // Finding and starting Figurant, replaceable by tests.
    struct SStarter
    {
        std::function<bool(const QString& path, QString& program, int& error)> find;
        std::function<bool(const QString& program, const QString& path, int64_t& pid, int& error)>
            start;
        std::function<bool(int64_t pid)> running;
    };

    CSiblingLink(CAnnaluxDoc& doc, const QDBusConnection& bus, QObject* parent = nullptr);
    ~CSiblingLink() override;

    // Creates (or joins) the shared block and the event and starts listening.
    // False when something is missing; the program goes on without the link.
    bool Create();
    // Lets go of all of it; synchronising then fails with the start error.
    void Release();
    bool IsBlockMapped() const { return m_block.IsOpen(); }
    bool IsListening() const;

    // Where a year sent by Figurant goes: true when the view moved.
    void SetGoToYear(std::function<bool(int32_t)> goToYear) { m_goToYear = std::move(goToYear); }
    void SetStarter(SStarter starter) { m_starter = std::move(starter); }

    // Brings the Figurant that has utf8Path open (starting one when none
    // answers) to show year. False after telling the user why not.
    bool Synchronise(const std::string& utf8Path, int32_t year);

    // The Figurant window last heard from or started (empty: none yet).
    QString FigurantWindow() const { return m_figurantWindow; }

    // Figurant counts as installed for this user when its settings exist.
    static bool IsFigurantInstalled();
    // The text of the show item: "Figurant(name)を表示" for a linked project,
    // "Figurant表示" without one.
    static QString ShowItemText(const std::string& utf8SiblingPath);

private slots:
    void OnMessage(qint64 wParam, qint64 lParam, const QString& sender);

private:
    bool SynchroniseNow(const std::string& utf8Path, int32_t year);
    bool StartError(int code);
    bool SyncError(int code);
    // Waits for the event while the bus's messages are handled (user input
    // waits): the answer sets it.
    CNamedEvent::EWaitResult WaitForAnswer(CNamedEvent& event, int timeoutMs);
    // Starts Figurant on path and waits for it to answer.
    bool StartFigurant(const QString& path, CNamedEvent& event);
    bool BroadcastWhoHas();

    CAnnaluxDoc& m_doc;
    QDBusConnection m_bus;
    CSiblingSharedBlock m_block;
    CNamedEvent m_event;
    std::unique_ptr<CSiblingChannel> m_channel;
    QString m_figurantWindow;
    std::function<bool(int32_t)> m_goToYear;
    SStarter m_starter;
    bool m_synchronising = false;
};
