#include "SiblingLink.h"

#include "AnnaluxDoc.h"
#include "HostServices.h"
#include "ShiftJis.h"
#include "SiblingChannel.h"
#include "SiblingLauncher.h"
#include "SiblingProtocol.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>

#include <algorithm>
#include <cerrno>
#include <limits>

using namespace SiblingProtocol;

const char* const CSiblingLink::kStartErrorFormat = "Figurantの起動に失敗しました(%d)";
const char* const CSiblingLink::kSyncErrorFormat = "Figurantとの同期に失敗しました(%d)";
const char* const CSiblingLink::kUnencodableFormat =
    "Figurantのファイル %1 の名前にはShift-JISで表せない文字 %2 "
    "が含まれているため、Figurantに渡せません。フォルダ名かファイル名を変えてください";

namespace {

// How often a started Figurant is asked again whether it has the project
// open yet, and how long one look at the event may block.
constexpr int kAskAgainMs = 200;
constexpr int kWaitSliceMs = 10;

QString Format(const char* format, int code)
{
    return QString::fromUtf8(format).replace(QStringLiteral("%d"), QString::number(code));
}

// Keeps the mouse showing that the program waits, for one scope.
class CBusyCursor
{
public:
    CBusyCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~CBusyCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::restoreOverrideCursor();
    }
};

} // namespace

CSiblingLink::CSiblingLink(CAnnaluxDoc& doc, const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_doc(doc), m_bus(bus)
{
    m_starter.find = [](const QString& path, QString& program, int& error) {
        return CSiblingLauncher::FindProgram(path, program, error);
    };
    m_starter.start = [](const QString& program, const QString& path, int64_t& pid, int& error) {
        pid_t started = 0;
        const bool ok = CSiblingLauncher::Start(program, path, started, error);
        pid = started;
        return ok;
    };
    m_starter.running = [](int64_t pid) {
        return CSiblingLauncher::IsRunning(static_cast<pid_t>(pid));
    };
}

CSiblingLink::~CSiblingLink()
{
    Release();
}

bool CSiblingLink::Create()
{
    Release();
    const bool block = m_block.Open(NativeObjectPath(kSharedMemoryName), kSharedMemorySize);
    const bool event = m_event.Open(NativeObjectPath(kEventName).toStdString());
    m_channel = std::make_unique<CSiblingChannel>(m_bus, QString::fromUtf8(kFromFigurant));
    connect(m_channel.get(), &CSiblingChannel::received, this, &CSiblingLink::OnMessage);
    return block && event && m_channel->IsConnected();
}

void CSiblingLink::Release()
{
    m_channel.reset();
    m_event.Close();
    m_block.Close();
}

bool CSiblingLink::IsListening() const
{
    return m_channel && m_channel->IsConnected();
}

bool CSiblingLink::IsFigurantInstalled()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                             QStringLiteral("Veltrin Software"), QStringLiteral("Figurant"));
    return QFileInfo::exists(settings.fileName());
}

QString CSiblingLink::ShowItemText(const std::string& utf8SiblingPath)
{
    if (utf8SiblingPath.empty())
        return QStringLiteral("Figurant表示");
    // A project made on Windows keeps its backslashes.
    QString name = QString::fromStdString(utf8SiblingPath);
    name = name.mid(
        std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("Figurant(%1)を表示").arg(name);
}

bool CSiblingLink::StartError(int code)
{
    CHostServices::Get().MessageBox(Format(kStartErrorFormat, code).toStdString(),
                                    CHostServices::Ok | CHostServices::IconError);
    return false;
}

bool CSiblingLink::SyncError(int code)
{
    CHostServices::Get().MessageBox(Format(kSyncErrorFormat, code).toStdString(),
                                    CHostServices::Ok | CHostServices::IconError);
    return false;
}

CNamedEvent::EWaitResult CSiblingLink::WaitForAnswer(CNamedEvent& event, int timeoutMs)
{
    CBusyCursor busy;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        // The answer arrives as a bus message to this thread.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const qint64 left = timeoutMs - clock.elapsed();
        const int slice = static_cast<int>(std::clamp<qint64>(left, 0, kWaitSliceMs));
        const CNamedEvent::EWaitResult result = event.Wait(slice);
        if (result != CNamedEvent::TimedOut || clock.elapsed() >= timeoutMs)
            return result;
    }
}

bool CSiblingLink::BroadcastWhoHas()
{
    return m_channel->Broadcast(QString::fromUtf8(kToFigurant), MSG_WHO_HAS_PROJECT, 0);
}

bool CSiblingLink::Synchronise(const std::string& utf8Path, int32_t year)
{
    // The waits below let queued work run; a second request then is dropped.
    if (m_synchronising)
        return false;
    m_synchronising = true;
    const bool done = SynchroniseNow(utf8Path, year);
    m_synchronising = false;
    return done;
}

bool CSiblingLink::SynchroniseNow(const std::string& utf8Path, int32_t year)
{
    CNamedEvent event;
    if (!event.Open(NativeObjectPath(kEventName).toStdString()))
        return StartError(event.Error());
    if (!m_block.IsOpen())
        return StartError(ENOENT);
    if (!IsListening())
        return StartError(ENOTCONN);

    std::string sjis;
    std::string bad;
    if (!CShiftJis::FromUtf8(utf8Path, sjis, &bad)) {
        CHostServices::Get().MessageBox(
            QString::fromUtf8(kUnencodableFormat)
                .arg(QString::fromStdString(utf8Path), QString::fromStdString(bad))
                .toStdString(),
            CHostServices::Ok | CHostServices::IconError);
        return false;
    }
    // A path the block cannot hold whole would name another project.
    if (sjis.size() > static_cast<size_t>(CSiblingSharedBlock::kMaxPathBytes))
        return StartError(ENAMETOOLONG);
    m_block.Write(sjis);
    event.Reset();
    BroadcastWhoHas();
    if (WaitForAnswer(event, kAnswerWait) != CNamedEvent::Signalled &&
        !StartFigurant(QString::fromStdString(utf8Path), event))
        return false;
    m_channel->Send(m_figurantWindow, QString::fromUtf8(kToFigurant), MSG_SHOW_YEAR, year);
    return true;
}

bool CSiblingLink::StartFigurant(const QString& path, CNamedEvent& event)
{
    QString program;
    int error = 0;
    if (!m_starter.find(path, program, error))
        return StartError(error);
    int64_t pid = 0;
    if (!m_starter.start(program, path, pid, error))
        return StartError(error);

    // The new Figurant is ready once it answers for its project; ask until it
    // does, it ends, or the time is up.
    std::string sjis;
    CShiftJis::FromUtf8(path.toStdString(), sjis);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qint64 left = kStartWait - clock.elapsed();
        if (left <= 0)
            return SyncError(ETIMEDOUT);
        // Figurant may have used the block for a question of its own since.
        m_block.Write(sjis);
        BroadcastWhoHas();
        const CNamedEvent::EWaitResult result =
            WaitForAnswer(event, static_cast<int>(std::min<qint64>(left, kAskAgainMs)));
        if (result == CNamedEvent::Signalled)
            return true;
        if (result == CNamedEvent::Failed)
            return StartError(event.Error());
        if (!m_starter.running(pid))
            return StartError(ESRCH);
    }
}

void CSiblingLink::OnMessage(qint64 wParam, qint64 lParam, const QString& sender)
{
    switch (lParam) {
    case MSG_HAVE_PROJECT_0:
    case MSG_HAVE_PROJECT:
        m_figurantWindow = sender;
        m_event.Set();
        break;
    case MSG_WHO_HAS_CHRONOLOGY: {
        std::string asked;
        std::string ours;
        // A chronology never saved has no name to be asked for.
        if (m_doc.GetPathName().empty() || !m_block.Read(asked) ||
            !CShiftJis::FromUtf8(m_doc.GetPathName(), ours) || asked != ours)
            break;
        m_channel->Send(sender, QString::fromUtf8(kToFigurant), MSG_HAVE_CHRONOLOGY, 0);
        break;
    }
    case MSG_GO_TO_YEAR:
        // There is no year 0, and 2147483647 is no year at all.
        if (wParam >= std::numeric_limits<int32_t>::min() && wParam < kNoYear && wParam != 0 &&
            m_goToYear)
            m_goToYear(static_cast<int32_t>(wParam));
        break;
    default:
        break;
    }
}
