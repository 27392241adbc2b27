#include "SiblingLauncher.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How long the desktop's MIME query may take before we give up on it.
constexpr int kQueryTimeoutMs = 15000;

QString DefaultApplication(const QString& mimeType)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryTimeoutMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0) {
        query.kill();
        query.waitForFinished(1000);
        return QString();
    }
    // One desktop id; some desktops list several separated by ';'.
    const QString out = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    return out.section(QLatin1Char(';'), 0, 0).trimmed();
}

// The first default of mimeType in the desktop's mimeapps.list files, for
// when the query tool is missing or cannot say.
QString DefaultFromMimeAppsLists(const QString& mimeType)
{
    QStringList lists;
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& list : lists) {
        QFile file(list);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        bool inDefaults = false;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inDefaults = line == QStringLiteral("[Default Applications]");
                continue;
            }
            const int eq = line.indexOf(QLatin1Char('='));
            if (!inDefaults || eq < 0 || line.left(eq).trimmed() != mimeType)
                continue;
            for (const QString& id : line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
                if (!CSiblingLauncher::FindDesktopEntry(id.trimmed()).isEmpty())
                    return id.trimmed();
        }
    }
    return QString();
}

} // namespace

QString CSiblingLauncher::DesktopEntryExec(const QByteArray& text)
{
    bool inEntry = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        const int eq = line.indexOf('=');
        if (eq < 0 || line.left(eq).trimmed() != "Exec")
            continue;
        // The string type's escapes; the Exec quoting is undone later.
        const QByteArray value = line.mid(eq + 1).trimmed();
        QByteArray out;
        for (int i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                const char c = value[++i];
                switch (c) {
                case 's':
                    out += ' ';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case '\\':
                    // Left doubled: the Exec quoting undoes it.
                    out += "\\\\";
                    break;
                default:
                    out += '\\';
                    out += c;
                    break;
                }
            } else {
                out += value[i];
            }
        }
        return QString::fromUtf8(out);
    }
    return QString();
}

QString CSiblingLauncher::ExecProgram(const QString& exec)
{
    const QString s = exec.trimmed();
    QString word;
    if (s.startsWith(QLatin1Char('"'))) {
        // A quoted word: backslash escapes " ` $ and backslash.
        for (int i = 1; i < s.size(); ++i) {
            const QChar c = s[i];
            if (c == QLatin1Char('\\') && i + 1 < s.size()) {
                word += s[++i];
            } else if (c == QLatin1Char('"')) {
                return word;
            } else {
                word += c;
            }
        }
        return QString(); // no closing quote
    }
    for (const QChar c : s) {
        if (c.isSpace())
            break;
        word += c;
    }
    return word;
}

QString CSiblingLauncher::FindDesktopEntry(const QString& desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(QLatin1Char('/')))
        return QString();
    // "a-b-c.desktop" may also be "a/b-c.desktop" or "a/b/c.desktop".
    QStringList candidates = {desktopId};
    const QString base = desktopId;
    for (int i = 0; i < base.size(); ++i)
        if (base[i] == QLatin1Char('-'))
            for (const QString& c : QStringList(candidates)) {
                const QString alt = c.left(i) + QLatin1Char('/') + c.mid(i + 1);
                if (!candidates.contains(alt))
                    candidates << alt;
            }
    const QStringList folders =
        QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& folder : folders)
        for (const QString& c : candidates) {
            const QString file = folder + QLatin1Char('/') + c;
            if (QFileInfo(file).isFile())
                return file;
        }
    return QString();
}

bool CSiblingLauncher::FindProgram(const QString& path, QString& program, int& error)
{
    program.clear();
    if (!QFileInfo(path).isFile()) {
        error = ENOENT;
        return false;
    }
    // By name, as the desktop associates documents; an empty project file is
    // still a project.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
        error = ENOENT;
        return false;
    }
    QString entry = FindDesktopEntry(DefaultApplication(type.name()));
    if (entry.isEmpty())
        entry = FindDesktopEntry(DefaultFromMimeAppsLists(type.name()));
    if (entry.isEmpty()) {
        error = ENOENT;
        return false;
    }
    QFile file(entry);
    if (!file.open(QIODevice::ReadOnly)) {
        error = EACCES;
        return false;
    }
    const QString command = ExecProgram(DesktopEntryExec(file.readAll()));
    if (command.isEmpty()) {
        error = ENOEXEC;
        return false;
    }
    program =
        command.contains(QLatin1Char('/')) ? command : QStandardPaths::findExecutable(command);
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        program.clear();
        error = ENOENT;
        return false;
    }
    return true;
}

bool CSiblingLauncher::Start(const QString& program, const QString& path, pid_t& pid, int& error)
{
    // Everything the child needs is made before fork: after it only
    // async-signal-safe calls are allowed.
    const QByteArray file = QFile::encodeName(program);
    const QByteArray arg0 = "figurant";
    const QByteArray arg1 = QFile::encodeName(path);
    char* const argv[] = {const_cast<char*>(arg0.constData()), const_cast<char*>(arg1.constData()),
                          nullptr};
    // The grandchild reports its pid, then either nothing (exec worked: the
    // pipe closes) or exec's errno.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = errno;
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            const int e = errno;
            const pid_t none = 0;
            (void)!::write(fds[1], &none, sizeof none);
            (void)!::write(fds[1], &e, sizeof e);
            ::_exit(1);
        }
        if (grandchild > 0)
            ::_exit(0);
        // The grandchild writes both, so they arrive in order.
        const pid_t self = ::getpid();
        (void)!::write(fds[1], &self, sizeof self);
        ::execv(file.constData(), argv);
        const int e = errno;
        (void)!::write(fds[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    pid_t started = 0;
    int execError = 0;
    ssize_t got = 0;
    do {
        got = ::read(fds[0], &started, sizeof started);
    } while (got < 0 && errno == EINTR);
    bool ok = got == static_cast<ssize_t>(sizeof started);
    if (ok) {
        do {
            got = ::read(fds[0], &execError, sizeof execError);
        } while (got < 0 && errno == EINTR);
        if (got == static_cast<ssize_t>(sizeof execError)) {
            ok = false;
        } else {
            execError = 0;
        }
    } else {
        execError = EAGAIN;
    }
    ::close(fds[0]);
    if (!ok || started <= 0) {
        error = execError ? execError : ECHILD;
        return false;
    }
    pid = started;
    return true;
}

bool CSiblingLauncher::IsRunning(pid_t pid)
{
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH))
        return false;
    // Whoever adopted it may not have collected it yet.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close < 0 || close + 2 >= text.size() || text[close + 2] != 'Z';
}
