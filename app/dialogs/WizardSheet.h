#pragma once

#include <QWizard>
#include <QWizardPage>

#include <string>

// A page of the program's wizards. Activate runs each time the page is
// shown, whichever way the user came (Next or Back), as the pages fill
// their fields from the shared export or import object every time.
class CWizardPageBase : public QWizardPage
{
    Q_OBJECT

public:
    using QWizardPage::QWizardPage;
    virtual void Activate() {}
    // Going back keeps what the user typed: the shared object holds it.
    void cleanupPage() override {}
};

// The wizards of the import and export commands: the buttons carry the
// program's own Japanese texts, the window title is the current page's
// title, there is no help button, and a page marked final (setFinalPage
// and the page before it a commit page) offers only Finish.
class CWizardSheet : public QWizard
{
    Q_OBJECT

public:
    explicit CWizardSheet(QWidget* parent = nullptr);

    // Adds a page under an id; its title is the window title while shown.
    void AddPage(int id, CWizardPageBase* page, const QString& title);

    // Shows a file with the desktop's program for it; when none opens it, a
    // read-only text window of our own shows it. The file may be Shift-JIS
    // or UTF-8.
    static void ShowFile(const std::string& path, QWidget* parent);

private:
    void OnPageChanged(int id);
};
