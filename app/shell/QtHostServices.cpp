#include "QtHostServices.h"

#include "HostText.h"
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QWidget>

#include <utility>

namespace {

// Windows-style patterns to Qt's: ';' separates, "*.*" is "every file".
QString ToQtPatterns(const QString& windowsPatterns)
{
    QStringList out;
    for (QString p : windowsPatterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        p = p.trimmed();
        if (p.isEmpty())
            continue;
        if (p == QLatin1String("*.*"))
            p = QStringLiteral("*");
        if (!out.contains(p))
            out << p;
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

QStringList CQtHostServices::ToQtFilters(const std::string& barFilter)
{
    const QStringList parts = CHostText::FromUtf8(barFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = ToQtPatterns(parts[i + 1]);
        if (description.isEmpty() && patterns.isEmpty())
            break; // the "||" that ends the list
        if (patterns.isEmpty())
            continue;
        // Qt reads the patterns from the last parentheses of the entry, so
        // a description that already names exactly them is kept as it is.
        QString entry = description;
        const int open = description.lastIndexOf(QLatin1Char('('));
        const bool namesThem = description.endsWith(QLatin1Char(')')) && open >= 0 &&
                               description.mid(open + 1, description.size() - open - 2) == patterns;
        if (!namesThem)
            entry = (description.isEmpty() ? patterns : description) + QStringLiteral(" (") +
                    patterns + QLatin1Char(')');
        filters << entry;
    }
    if (filters.isEmpty())
        filters << QStringLiteral("* (*)");
    return filters;
}

int CQtHostServices::AnswerFor(unsigned style, int standardButton)
{
    switch (standardButton) {
    case QMessageBox::Ok:
        return AnswerOk;
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    case QMessageBox::Cancel:
        return AnswerCancel;
    default:
        break;
    }
    // Closed without a button: the box's own way out.
    switch (style & 0xF) {
    case OkCancel:
    case YesNoCancel:
        return AnswerCancel;
    case YesNo:
        return AnswerNo;
    default:
        return AnswerOk;
    }
}

QString CQtHostServices::DisplayText(const std::string& text)
{
    QString s = CHostText::FromUtf8(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

QString CQtHostServices::InitialFolder(const SFileDialogRequest& request)
{
    if (!request.initialFolder.empty()) {
        const QFileInfo folder(QDir::current(), CHostText::FromHostPath(request.initialFolder));
        if (folder.isDir())
            return folder.absoluteFilePath();
    }
    return QDir::currentPath();
}

QString CQtHostServices::InitialSelection(const SFileDialogRequest& request)
{
    const QString folder = InitialFolder(request);
    if (request.proposedName.empty())
        return folder;
    const QString name = CHostText::FromHostPath(request.proposedName);
    if (QDir::isAbsolutePath(name) || name.contains(QLatin1Char('/')))
        return QFileInfo(QDir(folder), name).absoluteFilePath();
    return QDir(folder).filePath(name);
}

QWidget* CQtHostServices::DialogParent()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    // Between one dialog and the next nothing is active: the main window
    // still owns the box, which is then centred over it, not the screen.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && qobject_cast<QMainWindow*>(top))
            return top;
    return nullptr;
}

int CQtHostServices::MessageBox(const std::string& text, unsigned style)
{
    return ShowMessage(QApplication::applicationName(), text, style);
}

int CQtHostServices::CaptionedMessageBox(const std::string& caption, const std::string& text,
                                         unsigned style)
{
    return ShowMessage(caption.empty() ? QApplication::applicationName()
                                       : CHostText::FromUtf8(caption),
                       text, style);
}

int CQtHostServices::ShowMessage(const QString& caption, const std::string& text, unsigned style)
{
    QMessageBox box(DialogParent());
    box.setWindowTitle(caption);
    box.setText(DisplayText(text));
    switch (style & 0xF0) {
    case IconError:
        box.setIcon(QMessageBox::Critical);
        break;
    case IconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case IconWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case IconInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    switch (style & 0xF) {
    case OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    // The buttons carry the words the messages refer to, whatever language
    // Qt's own texts are in.
    const std::pair<QMessageBox::StandardButton, const char*> labels[] = {
        {QMessageBox::Yes, "はい(&Y)"},
        {QMessageBox::No, "いいえ(&N)"},
        {QMessageBox::Cancel, "キャンセル"},
    };
    for (const auto& label : labels) {
        if (QAbstractButton* button = box.button(label.first))
            button->setText(QString::fromUtf8(label.second));
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return AnswerFor(style,
                     clicked ? int(box.standardButton(clicked)) : int(QMessageBox::NoButton));
}

bool CQtHostServices::GetOpenFileName(const SFileDialogRequest& request, std::string& path)
{
    return RunFileDialog(request, false, path);
}

bool CQtHostServices::GetSaveFileName(const SFileDialogRequest& request, std::string& path)
{
    return RunFileDialog(request, true, path);
}

bool CQtHostServices::RunFileDialog(const SFileDialogRequest& request, bool save, std::string& path)
{
    QFileDialog dialog(DialogParent());
    if (!request.title.empty())
        dialog.setWindowTitle(CHostText::FromUtf8(request.title));
    else
        dialog.setWindowTitle(save ? QStringLiteral("名前を付けて保存")
                                   : QStringLiteral("ファイルを開く"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else if (request.flags & SFileDialogRequest::FileMustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    if (save && !(request.flags & SFileDialogRequest::OverwritePrompt))
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(ToQtFilters(request.filter));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(CHostText::FromUtf8(request.defaultExtension));
    dialog.setDirectory(InitialFolder(request));
    if (!request.proposedName.empty())
        dialog.selectFile(InitialSelection(request));

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return false;
    path = CHostText::ToHostPath(files.front());
    return true;
}
