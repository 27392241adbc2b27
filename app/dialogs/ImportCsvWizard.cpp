#include "ImportCsvWizard.h"

#include "HostServices.h"
#include "ImportCSV.h"
#include "ShiftJis.h"

#include "ui_WizardCSVInput.h"
#include "ui_WizardImportEnd.h"
#include "ui_WizardOutLibFile.h"

#include <QApplication>
#include <sys/stat.h>

namespace {

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

class CWizardCSVInput : public CWizardPageBase
{
public:
    explicit CWizardCSVInput(CImportCSV& import) : m_import(import)
    {
        m_ui.setupUi(this);
        m_ui.buttonView->setEnabled(false);
        connect(m_ui.editPath, &QLineEdit::textChanged, this,
                [this] { m_ui.buttonView->setEnabled(true); });
        connect(m_ui.buttonBrowse, &QPushButton::clicked, this, [this] { Browse(); });
        connect(m_ui.buttonView, &QPushButton::clicked, this, [this] {
            CWizardSheet::ShowFile(m_ui.editPath->text().trimmed().toStdString(), wizard());
        });
    }

    void Activate() override
    {
        if (!m_import.GetInputPath().empty())
            m_ui.editPath->setText(Text(m_import.GetInputPath()));
    }

    bool validatePage() override
    {
        m_import.SetInputPath(m_ui.editPath->text().trimmed().toStdString());
        return m_import.ClassifyInputFile();
    }

private:
    void Browse()
    {
        SFileDialogRequest request;
        request.title = "変換対象のCSVファイルの選択";
        request.filter = "CSV (*.csv)|*.csv|すべてのファイル(*.*)|*.*||";
        request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::OverwritePrompt |
                        SFileDialogRequest::HideReadOnly;
        request.proposedName = m_ui.editPath->text().trimmed().toStdString();
        std::string path;
        if (!CHostServices::Get().GetOpenFileName(request, path))
            return;
        m_import.SetInputPath(path);
        m_ui.editPath->setText(Text(path));
    }

    CImportCSV& m_import;
    Ui::WizardCSVInput m_ui;
};

class CWizardOutLibFile : public CWizardPageBase
{
public:
    explicit CWizardOutLibFile(CImportCSV& import) : m_import(import)
    {
        m_ui.setupUi(this);
        // The conversion runs on Next: there is no way back from the end page.
        setCommitPage(true);
        connect(m_ui.buttonBrowse, &QPushButton::clicked, this, [this] { Browse(); });
    }

    void Activate() override
    {
        if (m_import.GetOutputPath().empty())
            m_import.SetOutputPath(m_import.MakeDefaultOutputPath());
        m_ui.editPath->setText(Text(m_import.GetOutputPath()));
        m_ui.editTitle->setText(Text(CShiftJis::ToUtf8Lossy(m_import.GetTitle())));
        m_ui.editKind->setText(Text(CImportCSV::KindName(m_import.GetImportKind())));
    }

    bool validatePage() override
    {
        m_import.SetOutputPath(m_ui.editPath->text().trimmed().toStdString());
        if (FileExists(m_import.GetOutputPath()) &&
            CHostServices::Get().MessageBox("ファイルが存在します。上書きしますか？",
                                            CHostServices::YesNo | CHostServices::IconQuestion) !=
                CHostServices::AnswerYes)
            return false;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool converted = m_import.Convert();
        QApplication::restoreOverrideCursor();
        return converted;
    }

private:
    void Browse()
    {
        const std::string name = CImportCSV::KindName(m_import.GetImportKind());
        const std::string extension = CImportCSV::KindExtension(m_import.GetImportKind());
        SFileDialogRequest request;
        request.title = "出力するライブラリファイル名の設定";
        request.filter =
            name + "ﾃﾞｰﾀ(*." + extension + ")|*." + extension + "|すべてのﾌｧｲﾙ (*.*)|*.*||";
        request.defaultExtension = extension;
        request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::OverwritePrompt |
                        SFileDialogRequest::HideReadOnly;
        request.proposedName = m_ui.editPath->text().trimmed().toStdString();
        std::string path;
        if (!CHostServices::Get().GetSaveFileName(request, path))
            return;
        m_import.SetOutputPath(path);
        m_ui.editPath->setText(Text(path));
    }

    CImportCSV& m_import;
    Ui::WizardOutLibFile m_ui;
};

class CWizardImportEnd : public CWizardPageBase
{
public:
    explicit CWizardImportEnd(CImportCSV& import) : m_import(import)
    {
        m_ui.setupUi(this);
        setFinalPage(true);
    }

    void Activate() override
    {
        m_ui.editTitle->setText(Text(CShiftJis::ToUtf8Lossy(m_import.GetTitle())));
        m_ui.editKind->setText(Text(CImportCSV::KindName(m_import.GetImportKind())));
        m_ui.editPath->setText(Text(m_import.GetOutputPath()));
    }

    bool AddChecked() const { return m_ui.checkAdd->isChecked(); }

private:
    CImportCSV& m_import;
    Ui::WizardImportEnd m_ui;
};

} // namespace

CImportCsvWizard::CImportCsvWizard(CImportCSV& import, AddLibrary addLibrary, QWidget* parent)
    : CWizardSheet(parent), m_import(import), m_addLibrary(std::move(addLibrary))
{
    AddPage(PAGE_INPUT, new CWizardCSVInput(import), QStringLiteral("CSVファイルの指定"));
    AddPage(PAGE_OUTPUT, new CWizardOutLibFile(import),
            QStringLiteral("出力ライブラリファイルの指定"));
    AddPage(PAGE_END, new CWizardImportEnd(import), QStringLiteral("インポート完了"));
    setStartId(PAGE_INPUT);
}

void CImportCsvWizard::accept()
{
    const auto* end = static_cast<const CWizardImportEnd*>(page(PAGE_END));
    if (end && end->AddChecked() && m_addLibrary)
        m_addLibrary(CImportCSV::HeaderType(m_import.GetImportKind()), m_import.GetOutputPath());
    CWizardSheet::accept();
}
