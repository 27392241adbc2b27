#include "ContextHelp.h"

#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QWidget>
#include <cstring>

namespace {

struct SHelpPage
{
    const char* className; // a class, or a class-name prefix ending in '*'
    const char* page;
};

// Every dialog of the program and the page that explains it.
const SHelpPage kPages[] = {
    {"CDialogAssistant", "start.html"},
    {"CAboutDlg", "index.html"},
    {"CDialogMakeEvent", "event.html"},
    {"CDialogInsertSelect", "event.html"},
    {"CDialogGengou", "era.html"},
    {"CDialogBaseYear", "era.html"},
    {"CDialogSelectLibrary", "library.html"},
    {"CDialogCreateLibrarySelect", "library.html"},
    {"CDialogProperty", "library.html"},
    {"CDlgInfo", "library.html"},
    {"CSelectData", "library.html"},
    {"CDialogHeaderSelect", "library.html"},
    {"CDialogSearch", "search.html"},
    {"CDialogGotoYear", "search.html"},
    {"CDialogGotoEra", "search.html"},
    {"CDialogSetLink", "link.html"},
    {"CDisplaySupplement", "link.html"},
    {"CDialogFontSet", "settings.html"},
    {"CDialogSetColors", "settings.html"},
    {"CDialogSetRow", "settings.html"},
    {"CDialogYearRange", "settings.html"},
    {"CDialogPageLayout", "print.html"},
    {"QPrintDialog", "print.html"},
    {"QPrintPreviewDialog", "print.html"},
    {"QPageSetupDialog", "print.html"},
    // The wizards, page by page.
    {"CWizardInputFile", "import.html"},
    {"CWizardCSVInput", "import.html"},
    {"CWizardSelectLibrary", "import.html"},
    {"CWizardImportEnd", "import.html"},
    {"CImportCSV", "import.html"},
    {"CWizardExpCSVSel", "export.html"},
    {"CWizardSetOutFile", "export.html"},
    {"CWizardOutLibFile", "export.html"},
    {"CWizardEndCSV", "export.html"},
    {"CExportCSV", "export.html"},
    {"CWizardHTML*", "export.html"},
    {"CWizardHtml*", "export.html"},
    {"CExportHTML", "export.html"},
    {"CWizardSetExpImgOutFile", "export.html"},
    {"CSelectExportImageType", "export.html"},
};

const char* PageOfClass(const char* name)
{
    for (const SHelpPage& entry : kPages) {
        const size_t n = std::strlen(entry.className);
        const bool prefix = entry.className[n - 1] == '*';
        if (prefix ? std::strncmp(name, entry.className, n - 1) == 0
                   : std::strcmp(name, entry.className) == 0)
            return entry.page;
    }
    return nullptr;
}

} // namespace

CContextHelp::CContextHelp(std::function<void(const QString&)> open, QObject* parent)
    : QObject(parent), m_open(std::move(open))
{}

QString CContextHelp::PageFor(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        // A class of our own may derive from one that has a page.
        for (const QMetaObject* meta = w->metaObject(); meta; meta = meta->superClass()) {
            if (const char* page = PageOfClass(meta->className()))
                return QString::fromLatin1(page);
        }
    }
    return QString();
}

QStringList CContextHelp::Pages()
{
    QStringList pages;
    for (const SHelpPage& entry : kPages) {
        if (!pages.contains(QLatin1String(entry.page)))
            pages << QLatin1String(entry.page);
    }
    return pages;
}

bool CContextHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || key->isAutoRepeat())
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    QString page = PageFor(widget);
    if (page.isEmpty()) {
        // Any other dialog (a file or message box) gets the contents.
        if (!qobject_cast<QDialog*>(widget->window()))
            return false;
        page = QStringLiteral("index.html");
    }
    m_open(page);
    return true;
}
