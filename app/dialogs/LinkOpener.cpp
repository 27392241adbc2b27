#include "LinkOpener.h"

#include "FilePathManager.h"
#include "HostServices.h"
#include "SjisInput.h"

#include <QDesktopServices>
#include <QRegularExpression>

const char* const CLinkOpener::kOpenFailedMessage = "リンク先を開けませんでした。\n";

namespace {

CLinkOpener::OpenUrlFunction& OpenFunction()
{
    static CLinkOpener::OpenUrlFunction function;
    return function;
}

bool OpenUrl(const QUrl& url)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    if (OpenFunction())
        return OpenFunction()(url);
    return QDesktopServices::openUrl(url);
}

QString SchemeOf(const QString& target)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.\\-]*):"));
    const QRegularExpressionMatch m = scheme.match(target);
    if (!m.hasMatch() || m.capturedLength(1) < 2) // "C:" is a drive
        return QString();
    return m.captured(1).toLower();
}

} // namespace

bool CLinkOpener::OpenUrlQuietly(const QUrl& url)
{
    return OpenUrl(url);
}

void CLinkOpener::SetOpenUrlFunctionForTesting(OpenUrlFunction function)
{
    OpenFunction() = std::move(function);
}

bool CLinkOpener::IsNonFileUrl(const QString& target)
{
    const QString scheme = SchemeOf(target.trimmed());
    return !scheme.isEmpty() && scheme != QLatin1String("file");
}

QString CLinkOpener::ResolveFile(const QString& target)
{
    QString path = target.trimmed();
    if (SchemeOf(path) == QLatin1String("file")) {
        const QUrl url(path, QUrl::TolerantMode);
        path = url.isLocalFile() ? url.toLocalFile() : url.path();
    }
    std::string host = CFilePathManager::FromStoredPath(path.toStdString());
    const CFilePathManager paths;
    if (!paths.CheckAbsPath(host)) {
        std::string absolute;
        if (paths.RelPathToCurAbsPath(host, absolute))
            host = absolute;
    }
    return QString::fromStdString(CFilePathManager::ResolveExisting(host));
}

bool CLinkOpener::OpenSjis(const std::string& target)
{
    return Open(CSjisInput::FromSjis(target));
}

bool CLinkOpener::Open(const QString& target)
{
    if (target.trimmed().isEmpty())
        return false;
    if (IsNonFileUrl(target)) {
        if (OpenUrl(QUrl(target.trimmed(), QUrl::TolerantMode)))
            return true;
    } else {
        if (OpenUrl(QUrl::fromLocalFile(ResolveFile(target))))
            return true;
        // Whatever the desktop makes of the text as it was written.
        const QUrl asWritten(target.trimmed(), QUrl::TolerantMode);
        if (!asWritten.scheme().isEmpty() && OpenUrl(asWritten))
            return true;
    }
    CHostServices::Get().MessageBox(kOpenFailedMessage + target.toStdString(),
                                    CHostServices::IconWarning);
    return false;
}
