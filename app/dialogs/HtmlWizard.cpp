#include "HtmlWizard.h"

#include "ExportHTML.h"
#include "HostServices.h"
#include "InputMethod.h"

#include "ui_WizardHTMLFile.h"
#include "ui_WizardHTMLFinish.h"
#include "ui_WizardHTMLYear.h"
#include "ui_WizardHtmlConfirm.h"

#include <QApplication>

namespace {

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

void ShowError(const char* text)
{
    CHostServices::Get().MessageBox(text, CHostServices::Ok | CHostServices::IconError);
}

class CWizardHTMLFile : public CWizardPageBase
{
public:
    explicit CWizardHTMLFile(CExportHTML& exporter) : m_export(exporter)
    {
        m_ui.setupUi(this);
        connect(m_ui.buttonBrowse, &QPushButton::clicked, this, [this] {
            SFileDialogRequest request;
            request.title = "名前を付けて保存";
            request.filter = "Html Files(*.html;*.htm)|*.html; *.htm|すべてのファイル(*.*)|*.*||";
            request.defaultExtension = "html";
            request.proposedName = m_ui.editPath->text().trimmed().toStdString();
            request.flags = SFileDialogRequest::OverwritePrompt | SFileDialogRequest::HideReadOnly;
            std::string path;
            if (CHostServices::Get().GetSaveFileName(request, path))
                m_ui.editPath->setText(Text(path));
        });
    }

    void Activate() override { m_ui.editPath->setText(Text(m_export.DefaultOutputPath())); }

    bool validatePage() override
    {
        const std::string path = m_ui.editPath->text().trimmed().toStdString();
        if (path.empty())
            return false;
        m_export.SetOutputPath(path);
        if (m_export.OutputFileExists() &&
            CHostServices::Get().MessageBox(CExportHTML::ExistsQuestion(),
                                            CHostServices::YesNo | CHostServices::IconQuestion) !=
                CHostServices::AnswerYes)
            return false;
        m_export.SetBackTarget(CExportHTML::PAGE_FILE);
        // A range chosen earlier no longer holds once the box is cleared:
        // the page would otherwise say one thing and write another.
        if (!m_ui.checkRange->isChecked())
            m_export.SetRange(CExportHTML::kNoFirst, CExportHTML::kNoLast);
        return true;
    }

    int nextId() const override
    {
        return m_ui.checkRange->isChecked() ? CExportHTML::PAGE_YEAR : CExportHTML::PAGE_CONFIRM;
    }

private:
    CExportHTML& m_export;
    Ui::WizardHTMLFile m_ui;
};

class CWizardHTMLYear : public CWizardPageBase
{
public:
    explicit CWizardHTMLYear(CExportHTML& exporter) : m_export(exporter)
    {
        m_ui.setupUi(this);
        CInputMethod::MakeNumberField(m_ui.editFirst, true, 11);
        CInputMethod::MakeNumberField(m_ui.editLast, true, 11);
    }

    void Activate() override
    {
        int32_t first = 0, last = 0;
        m_export.DefaultRange(first, last);
        m_ui.editFirst->setText(QString::number(first));
        m_ui.editLast->setText(QString::number(last));
    }

    bool validatePage() override
    {
        int32_t first = 0, last = 0;
        if (!Read(m_ui.editFirst, first) || !Read(m_ui.editLast, last))
            return false;
        if (!(first < last)) {
            ShowError(CExportHTML::RangeOrderMessage());
            m_ui.editFirst->setFocus();
            return false;
        }
        m_export.SetRange(first, last);
        m_export.SetBackTarget(CExportHTML::PAGE_YEAR);
        return true;
    }

    int nextId() const override { return CExportHTML::PAGE_CONFIRM; }

private:
    // An integer as typed; anything else is refused as the standard integer
    // check refuses it.
    static bool Read(QLineEdit* edit, int32_t& value)
    {
        bool ok = false;
        const qlonglong number = edit->text().trimmed().toLongLong(&ok);
        if (!ok || number < -2147483647LL - 1 || number > 2147483647LL) {
            ShowError("整数を入力してください。");
            edit->setFocus();
            edit->selectAll();
            return false;
        }
        value = static_cast<int32_t>(number);
        return true;
    }

    CExportHTML& m_export;
    Ui::WizardHTMLYear m_ui;
};

class CWizardHtmlConfirm : public CWizardPageBase
{
public:
    CWizardHtmlConfirm(CExportHTML& exporter, IDisplayedLayout& layout)
        : m_export(exporter), m_layout(layout)
    {
        m_ui.setupUi(this);
        setCommitPage(true);
    }

    void Activate() override
    {
        m_ui.editPath->setText(Text(m_export.GetOutputPath()));
        m_ui.editRange->setText(Text(m_export.RangeText()));
    }

    bool validatePage() override
    {
        m_export.SetBackTarget(CExportHTML::PAGE_CONFIRM);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool done = m_export.Generate(m_layout);
        QApplication::restoreOverrideCursor();
        if (!done)
            ShowError(CExportHTML::GenerateFailedMessage());
        return done;
    }

    int nextId() const override { return CExportHTML::PAGE_FINISH; }

private:
    CExportHTML& m_export;
    IDisplayedLayout& m_layout;
    Ui::WizardHtmlConfirm m_ui;
};

class CWizardHTMLFinish : public CWizardPageBase
{
public:
    explicit CWizardHTMLFinish(CExportHTML& exporter) : m_export(exporter)
    {
        m_ui.setupUi(this);
        setFinalPage(true);
        connect(m_ui.buttonView, &QPushButton::clicked, this,
                [this] { CWizardSheet::ShowFile(m_export.GetOutputPath(), wizard()); });
    }

    void Activate() override { m_ui.editPath->setText(Text(m_export.GetOutputPath())); }
    int nextId() const override { return -1; }

private:
    CExportHTML& m_export;
    Ui::WizardHTMLFinish m_ui;
};

} // namespace

CHtmlWizard::CHtmlWizard(CExportHTML& exporter, IDisplayedLayout& layout, QWidget* parent)
    : CWizardSheet(parent)
{
    AddPage(CExportHTML::PAGE_FILE, new CWizardHTMLFile(exporter),
            QStringLiteral("HTML出力ファイルの指定"));
    AddPage(CExportHTML::PAGE_YEAR, new CWizardHTMLYear(exporter), QStringLiteral("年範囲の指定"));
    AddPage(CExportHTML::PAGE_CONFIRM, new CWizardHtmlConfirm(exporter, layout),
            QStringLiteral("HTML出力確認"));
    AddPage(CExportHTML::PAGE_FINISH, new CWizardHTMLFinish(exporter),
            QStringLiteral("HTML出力ファイル完了"));
    setStartId(CExportHTML::PAGE_FILE);
}
