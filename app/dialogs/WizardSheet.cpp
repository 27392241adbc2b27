#include "WizardSheet.h"

#include "CsvInputText.h"
#include "LinkOpener.h"
#include "ShiftJis.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>

CWizardSheet::CWizardSheet(QWidget* parent) : QWizard(parent)
{
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    setOption(QWizard::HaveHelpButton, false);
    setButtonText(QWizard::BackButton, QStringLiteral("< 戻る(&B)"));
    setButtonText(QWizard::NextButton, QStringLiteral("次へ(&N) >"));
    setButtonText(QWizard::CommitButton, QStringLiteral("次へ(&N) >"));
    setButtonText(QWizard::FinishButton, QStringLiteral("完了"));
    setButtonText(QWizard::CancelButton, QStringLiteral("キャンセル"));
    connect(this, &QWizard::currentIdChanged, this, &CWizardSheet::OnPageChanged);
}

void CWizardSheet::AddPage(int id, CWizardPageBase* page, const QString& title)
{
    page->setProperty("wizardTitle", title);
    setPage(id, page);
}

void CWizardSheet::OnPageChanged(int id)
{
    auto* page = qobject_cast<CWizardPageBase*>(this->page(id));
    if (!page)
        return;
    setWindowTitle(page->property("wizardTitle").toString());
    page->Activate();
}

void CWizardSheet::ShowFile(const std::string& path, QWidget* parent)
{
    const QString file = QString::fromStdString(path);
    if (CLinkOpener::OpenUrlQuietly(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath())))
        return;
    CCsvInputText text;
    if (text.Load(path) == CCsvInputText::CannotOpen)
        return;
    auto* window = new QDialog(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("fileTextWindow"));
    window->setWindowTitle(QFileInfo(file).fileName());
    auto* edit = new QPlainTextEdit(window);
    edit->setReadOnly(true);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit->setPlainText(QString::fromStdString(CShiftJis::ToUtf8Lossy(text.Text())));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit);
    window->resize(720, 480);
    window->show();
}
