#include "ShellRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

const char* const CShellRegistration::kMimeType = "application/x-annalux.document";
const char* const CShellRegistration::kTypeName = "Annaluxﾄﾞｷｭﾒﾝﾄ";
const char* const CShellRegistration::kEntryName = "annalux.document.desktop";

namespace {

bool WriteText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

// One argument of an Exec line (the desktop entry rules): quoted when it
// holds a reserved character, % doubled, then escaped as a string value.
QString ExecArgument(const QString& argument)
{
    QString text = argument;
    text.replace(QLatin1Char('%'), QLatin1String("%%"));
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (QChar c : text)
        quote = quote || kReserved.contains(c);
    if (quote) {
        QString quoted;
        for (QChar c : text) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        text = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
}

// mimeapps.list with the type's default added when it has none; a default
// the user chose stays.
QByteArray WithDefault(const QByteArray& text, const QByteArray& line)
{
    const QByteArray header = "[Default Applications]";
    const QByteArray key = QByteArray(CShellRegistration::kMimeType) + '=';
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    int at = -1;
    bool inGroup = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = lines[i].trimmed();
        if (trimmed.startsWith('[')) {
            inGroup = trimmed == header;
            if (inGroup)
                at = i + 1;
            continue;
        }
        if (inGroup && trimmed.startsWith(key))
            return text;
    }
    if (at < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QByteArray());
        lines.append(header);
        at = lines.size();
    }
    lines.insert(at, line);
    return lines.join('\n') + '\n';
}

void Refresh(const QString& tool, const QString& folder)
{
    if (!QStandardPaths::findExecutable(tool).isEmpty())
        QProcess::execute(tool, {folder});
}

} // namespace

bool CShellRegistration::IsRegistered()
{
    QMimeDatabase db;
    if (db.mimeTypeForFile(QStringLiteral("x.anx"), QMimeDatabase::MatchExtension).name() !=
        QLatin1String(kMimeType))
        return false;
    // Some program opens the type: its entry, or the desktop's index of them.
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        if (QFileInfo::exists(dir + QLatin1Char('/') + QLatin1String(kEntryName)))
            return true;
        QFile cache(dir + QStringLiteral("/mimeinfo.cache"));
        if (cache.open(QIODevice::ReadOnly) &&
            cache.readAll().contains(QByteArray("\n") + kMimeType + '='))
            return true;
    }
    return false;
}

bool CShellRegistration::Register(const QString& program)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (data.isEmpty() || config.isEmpty())
        return false;
    const QByteArray type(kMimeType);
    // Weighted above the default so that the desktop's own database, which
    // gives *.anx to Annodex media as well, does not win the tie.
    const QByteArray mime =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" + type + "\">\n"
        "    <comment>" + QByteArray(kTypeName) + "</comment>\n"
        "    <icon name=\"application-x-annalux.document\"/>\n"
        "    <glob pattern=\"*.anx\" weight=\"60\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const QByteArray exec = ExecArgument(QFileInfo(program).canonicalFilePath()).toUtf8();
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Annalux\n"
                             "Comment=" + QByteArray(kTypeName) + "\n"
                             "Exec=" + exec + " %f\n"
                             "Icon=annalux\n"
                             "MimeType=" + type + ";\n"
                             "NoDisplay=true\n"
                             "Actions=Print;\n"
                             "\n[Desktop Action Print]\n"
                             "Name=印刷\n"
                             "Exec=" + exec + " /p %f\n";
    const QString listPath = config + QStringLiteral("/mimeapps.list");
    QFile list(listPath);
    QByteArray listText;
    if (list.exists()) {
        if (!list.open(QIODevice::ReadOnly))
            return false;
        listText = list.readAll();
        list.close();
    }
    const bool ok =
        WriteText(data + QStringLiteral("/mime/packages/annalux.document.xml"), mime) &&
        WriteText(data + QStringLiteral("/applications/") + QLatin1String(kEntryName), entry) &&
        WriteText(listPath, WithDefault(listText, type + '=' + kEntryName));
    Refresh(QStringLiteral("update-mime-database"), data + QStringLiteral("/mime"));
    Refresh(QStringLiteral("update-desktop-database"), data + QStringLiteral("/applications"));
    return ok;
}

void CShellRegistration::EnsureRegistered(const QString& program)
{
    if (!IsRegistered())
        Register(program);
}
