#include "ExportCsvWizard.h"

#include "AnnaluxDoc.h"
#include "ExchangePath.h"
#include "ExportCSV.h"
#include "FilePathManager.h"
#include "HeaderKind.h"
#include "HostServices.h"
#include "ImportCSV.h"
#include "ShiftJis.h"
#include "TableBase.h"

#include "ui_SelectExportImageType.h"
#include "ui_WizardEndCSV.h"
#include "ui_WizardExpCSVSel.h"
#include "ui_WizardInputFile.h"
#include "ui_WizardSelectLibrary.h"
#include "ui_WizardSetExpImgOutFile.h"
#include "ui_WizardSetOutFile.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>

#include <fstream>
#include <sys/stat.h>

static void InitWizardResources()
{
    Q_INIT_RESOURCE(wizard);
}

namespace {

const char* const kOverwriteQuestion = "ファイルが存在します。上書きしますか？";

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool AskOverwrite(const std::string& path)
{
    return !FileExists(path) ||
           CHostServices::Get().MessageBox(kOverwriteQuestion,
                                           CHostServices::YesNo | CHostServices::IconQuestion) ==
               CHostServices::AnswerYes;
}

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

std::string FieldText(const QLineEdit* edit)
{
    return edit->text().trimmed().toStdString();
}

// The save dialog of an output page: the choice becomes the output path.
void BrowseOutput(CExportCSV& exporter, QLineEdit* edit, const char* title, const char* filter)
{
    SFileDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::OverwritePrompt |
                    SFileDialogRequest::HideReadOnly;
    request.proposedName = FieldText(edit);
    std::string path;
    if (!CHostServices::Get().GetSaveFileName(request, path))
        return;
    exporter.SetOutputPath(path);
    edit->setText(Text(path));
}

// The library file of a table as a host path: a relative name counts from
// the chronology's folder (or the working folder while it has none).
std::string LibraryPath(const CAnnaluxDoc& doc, const CTableBase& table)
{
    const std::string name = CFilePathManager::FromStoredPath(table.GetFileName());
    if (name.empty() || name[0] == '/')
        return name;
    std::string base =
        doc.GetPathName().empty() ? std::string() : CFilePathManager::FolderOf(doc.GetPathName());
    if (base.empty() && !CFilePathManager::GetCurrentDir(base))
        return name;
    return base + "/" + name;
}

void ShowPicture(QLabel* label, int page, bool firstChoice)
{
    label->setPixmap(QPixmap(CExportCsvWizard::PicturePath(page, firstChoice)));
}

// ---- page 1 ---------------------------------------------------------------------

class CWizardExpCSVSel : public CWizardPageBase
{
public:
    CWizardExpCSVSel(CAnnaluxDoc& doc, CExportCSV& exporter) : m_doc(doc), m_export(exporter)
    {
        m_ui.setupUi(this);
        m_ui.radioPerLibrary->setChecked(true);
        for (QRadioButton* radio : {m_ui.radioPerLibrary, m_ui.radioImage})
            connect(radio, &QRadioButton::toggled, this, [this] { UpdatePicture(); });
        UpdatePicture();
    }

    void Activate() override
    {
        const bool events = m_doc.GetEventTableCount() > 0;
        m_ui.radioImage->setEnabled(events);
        m_ui.labelImage->setEnabled(events);
        if (!events)
            m_ui.radioPerLibrary->setChecked(true);
    }

    bool validatePage() override
    {
        m_export.SetPerLibraryMode(!m_ui.radioImage->isChecked());
        return true;
    }

    int nextId() const override
    {
        return m_ui.radioImage->isChecked() ? CExportCsvWizard::PAGE_IMAGE_TYPE
                                            : CExportCsvWizard::PAGE_LIBRARY;
    }

private:
    void UpdatePicture()
    {
        ShowPicture(m_ui.picture, CExportCsvWizard::PAGE_SELECT, !m_ui.radioImage->isChecked());
    }

    CAnnaluxDoc& m_doc;
    CExportCSV& m_export;
    Ui::WizardExpCSVSel m_ui;
};

// ---- page 2 ---------------------------------------------------------------------

class CWizardSelectLibrary : public CWizardPageBase
{
public:
    CWizardSelectLibrary(CAnnaluxDoc& doc, CExportCSV& exporter) : m_doc(doc), m_export(exporter)
    {
        m_ui.setupUi(this);
        QTreeWidget* list = m_ui.listLibraries;
        list->setSelectionMode(QAbstractItemView::NoSelection);
        list->header()->setStretchLastSection(false);
        list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        m_checked = CheckImage(true);
        m_unchecked = CheckImage(false);
        const CHeaderManager& columns = m_doc.GetColumns();
        for (int c = 0; c < columns.GetCount(); ++c) {
            const CTableBase* table = columns.GetTable(c);
            if (!table)
                continue;
            auto* item = new QTreeWidgetItem(list);
            item->setText(0, Text(CShiftJis::ToUtf8Lossy(table->GetTableName())));
            item->setText(1, Text(ColumnKindLabel(columns.GetKind(c))));
            m_columns.push_back(c);
        }
        m_chosen = m_columns.empty() ? -1 : 0;
        m_previous = m_chosen;
        m_ui.checkInputFile->setChecked(m_columns.empty());
        if (m_columns.empty())
            m_chosen = -1;
        connect(list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
            Choose(m_ui.listLibraries->indexOfTopLevelItem(item));
        });
        connect(m_ui.checkInputFile, &QCheckBox::toggled, this, [this](bool on) {
            if (on) {
                if (m_chosen >= 0)
                    m_previous = m_chosen;
                m_chosen = -1;
            } else {
                m_chosen = m_previous;
            }
            m_export.SetOutputPath(std::string());
            ShowChoice();
        });
        list->installEventFilter(this);
        ShowChoice();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_ui.listLibraries && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            if (QTreeWidgetItem* item = m_ui.listLibraries->currentItem())
                Choose(m_ui.listLibraries->indexOfTopLevelItem(item));
            return true;
        }
        return CWizardPageBase::eventFilter(watched, event);
    }

    bool validatePage() override
    {
        if (m_ui.checkInputFile->isChecked())
            return true;
        if (m_chosen < 0 || m_chosen >= static_cast<int>(m_columns.size()))
            return false;
        const CTableBase* table =
            m_doc.GetColumns().GetTable(m_columns[static_cast<size_t>(m_chosen)]);
        m_export.SetInputPath(LibraryPath(m_doc, *table));
        m_export.SetTitle(table->GetTableName());
        m_export.SetInputFileMode(false);
        return true;
    }

    int nextId() const override
    {
        return m_ui.checkInputFile->isChecked() ? CExportCsvWizard::PAGE_INPUT_FILE
                                                : CExportCsvWizard::PAGE_OUTPUT;
    }

    bool isComplete() const override { return m_ui.checkInputFile->isChecked() || m_chosen >= 0; }

private:
    void Choose(int row)
    {
        if (row < 0)
            return;
        if (row != m_chosen)
            m_export.SetOutputPath(std::string());
        m_chosen = row;
        m_previous = row;
        const QSignalBlocker block(m_ui.checkInputFile);
        if (m_ui.checkInputFile->isChecked()) {
            m_ui.checkInputFile->setChecked(false);
            m_export.SetOutputPath(std::string());
        }
        ShowChoice();
    }

    void ShowChoice()
    {
        QTreeWidget* list = m_ui.listLibraries;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setIcon(0, i == m_chosen ? m_checked : m_unchecked);
        if (m_chosen >= 0)
            list->setCurrentItem(list->topLevelItem(m_chosen));
        emit completeChanged();
    }

    // The check-box look of the style, as an image for the list's rows.
    QIcon CheckImage(bool checked) const
    {
        const int size = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
        QPixmap pixmap(size * 2, size * 2);
        pixmap.setDevicePixelRatio(2);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = QRect(0, 0, size, size);
        option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
        painter.end();
        return QIcon(pixmap);
    }

    CAnnaluxDoc& m_doc;
    CExportCSV& m_export;
    Ui::WizardSelectLibrary m_ui;
    std::vector<int> m_columns; // document column of each row
    int m_chosen = -1;
    int m_previous = -1;
    QIcon m_checked;
    QIcon m_unchecked;
};

// ---- page 3 ---------------------------------------------------------------------

class CWizardSetOutFile : public CWizardPageBase
{
public:
    explicit CWizardSetOutFile(CExportCSV& exporter) : m_export(exporter)
    {
        m_ui.setupUi(this);
        setCommitPage(true);
        connect(m_ui.buttonBrowse, &QPushButton::clicked, this, [this] {
            BrowseOutput(m_export, m_ui.editPath, "出力するCSVファイルの設定",
                         "CSV (*.csv)|*.csv|すべてのファイル(*.*)|*.*||");
        });
    }

    void Activate() override
    {
        if (m_export.GetOutputPath().empty())
            m_export.SetOutputPath(m_export.MakeDefaultOutputPath());
        m_ui.labelTitle->setText(Text(CShiftJis::ToUtf8Lossy(m_export.GetTitle())));
        m_ui.labelInput->setText(Text(m_export.GetInputPath()));
        m_ui.editPath->setText(Text(m_export.GetOutputPath()));
    }

    bool validatePage() override
    {
        m_export.SetOutputPath(FieldText(m_ui.editPath));
        return !m_export.GetOutputPath().empty() && AskOverwrite(m_export.GetOutputPath());
    }

    int nextId() const override { return CExportCsvWizard::PAGE_END; }

private:
    CExportCSV& m_export;
    Ui::WizardSetOutFile m_ui;
};

// ---- page 4 ---------------------------------------------------------------------

class CWizardEndCSV : public CWizardPageBase
{
public:
    CWizardEndCSV(CExportCSV& exporter, IDisplayedLayout* layout)
        : m_export(exporter), m_layout(layout)
    {
        m_ui.setupUi(this);
        setFinalPage(true);
        connect(m_ui.buttonView, &QPushButton::clicked, this,
                [this] { CWizardSheet::ShowFile(m_export.GetOutputPath(), wizard()); });
    }

    void Activate() override
    {
        m_ui.editPath->setText(Text(m_export.GetOutputPath()));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool done = m_export.Export(m_layout);
        QApplication::restoreOverrideCursor();
        // A failed export says so here too, after its own message.
        m_ui.labelDone->setText(done ? QStringLiteral("CSVファイルを出力しました")
                                     : QStringLiteral("CSVファイルを出力できませんでした"));
        m_ui.buttonView->setEnabled(done);
    }

    int nextId() const override { return -1; }

private:
    CExportCSV& m_export;
    IDisplayedLayout* m_layout;
    Ui::WizardEndCSV m_ui;
};

// ---- page 5 ---------------------------------------------------------------------

class CWizardInputFile : public CWizardPageBase
{
public:
    explicit CWizardInputFile(CExportCSV& exporter) : m_export(exporter)
    {
        m_ui.setupUi(this);
        connect(m_ui.buttonBrowse, &QPushButton::clicked, this, [this] {
            SFileDialogRequest request;
            request.title = "変換対象のライブラリファイルの選択";
            request.filter = "全ﾗｲﾌﾞﾗﾘﾃﾞｰﾀ(*.lby;*.lgn;*.ler;*.lev)|*.lby;*.lgn;*.ler;*.lev|"
                             "基点年ﾃﾞｰﾀ (*.lby)|*.lby|元号ﾃﾞｰﾀ (*.lgn)|*.lgn|"
                             "時代ﾃﾞｰﾀ (*.ler)|*.ler|出来事ﾃﾞｰﾀ (*.lev)|*.lev|"
                             "すべてのﾌｧｲﾙ (*.*)|*.*||";
            request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::OverwritePrompt |
                            SFileDialogRequest::HideReadOnly;
            request.proposedName = m_export.GetInputPath();
            std::string path;
            if (CHostServices::Get().GetOpenFileName(request, path))
                m_ui.editPath->setText(Text(path));
        });
    }

    bool validatePage() override
    {
        const std::string field = FieldText(m_ui.editPath);
        if (!m_export.GetInputPath().empty() && m_export.GetInputPath() != field)
            m_export.SetOutputPath(std::string());
        m_export.SetInputPath(field);
        if (field.empty() || !std::ifstream(field, std::ios::binary)) {
            CHostServices::Get().MessageBox("指定したファイルがありません",
                                            CHostServices::Ok | CHostServices::IconError);
            return false;
        }
        // The library's name (its second line) stands for it on the next page.
        CImportCSV probe;
        probe.SetInputPath(field);
        probe.CheckInputFile();
        m_export.SetTitle(probe.GetTitle());
        m_export.SetInputFileMode(true);
        return true;
    }

    int nextId() const override { return CExportCsvWizard::PAGE_OUTPUT; }

private:
    CExportCSV& m_export;
    Ui::WizardInputFile m_ui;
};

// ---- page 6 ---------------------------------------------------------------------

class CSelectExportImageType : public CWizardPageBase
{
public:
    explicit CSelectExportImageType(CExportCSV& exporter) : m_export(exporter)
    {
        m_ui.setupUi(this);
        connect(m_ui.radioFirstRow, &QRadioButton::clicked, this, [this] { SetFlag(true); });
        connect(m_ui.radioEveryRow, &QRadioButton::clicked, this, [this] { SetFlag(false); });
    }

    void Activate() override { SetFlag(m_export.GetYearOnFirstLineOnly()); }
    int nextId() const override { return CExportCsvWizard::PAGE_IMAGE_OUTPUT; }

private:
    void SetFlag(bool yearOnce)
    {
        m_export.SetYearOnFirstLineOnly(yearOnce);
        (yearOnce ? m_ui.radioFirstRow : m_ui.radioEveryRow)->setChecked(true);
        ShowPicture(m_ui.picture, CExportCsvWizard::PAGE_IMAGE_TYPE, yearOnce);
    }

    CExportCSV& m_export;
    Ui::SelectExportImageType m_ui;
};

// ---- page 7 ---------------------------------------------------------------------

class CWizardSetExpImgOutFile : public CWizardPageBase
{
public:
    CWizardSetExpImgOutFile(CAnnaluxDoc& doc, CExportCSV& exporter) : m_doc(doc), m_export(exporter)
    {
        m_ui.setupUi(this);
        setCommitPage(true);
        connect(m_ui.buttonBrowse, &QPushButton::clicked, this, [this] {
            BrowseOutput(m_export, m_ui.editPath, "出力するCSVファイル名の設定",
                         "CSV (*.csv)|*.csv|すべてのﾌｧｲﾙ (*.*)|*.*||");
        });
    }

    void Activate() override
    {
        m_ui.labelTitle->setText(Text(m_doc.GetTitle()));
        if (m_export.GetOutputPath().empty()) {
            const std::string project = m_doc.GetPathName();
            m_export.SetOutputPath(project.empty() ? m_doc.GetTitle() + ".csv"
                                                   : CExchangePath::WithExtension(project, "csv"));
        }
        m_ui.editPath->setText(Text(m_export.GetOutputPath()));
    }

    bool validatePage() override
    {
        m_export.SetOutputPath(FieldText(m_ui.editPath));
        return !m_export.GetOutputPath().empty() && AskOverwrite(m_export.GetOutputPath());
    }

    int nextId() const override { return CExportCsvWizard::PAGE_END; }

private:
    CAnnaluxDoc& m_doc;
    CExportCSV& m_export;
    Ui::WizardSetExpImgOutFile m_ui;
};

} // namespace

CExportCsvWizard::CExportCsvWizard(CAnnaluxDoc& doc, CExportCSV& exporter, IDisplayedLayout* layout,
                                   QWidget* parent)
    : CWizardSheet(parent)
{
    InitWizardResources();
    AddPage(PAGE_SELECT, new CWizardExpCSVSel(doc, exporter),
            QStringLiteral("CSVファイルへエクスポート"));
    AddPage(PAGE_LIBRARY, new CWizardSelectLibrary(doc, exporter),
            QStringLiteral("変換対象のライブラリ選択"));
    AddPage(PAGE_OUTPUT, new CWizardSetOutFile(exporter), QStringLiteral("出力ファイルの設定"));
    AddPage(PAGE_END, new CWizardEndCSV(exporter, layout),
            QStringLiteral("CSVファイルエクスポート完了"));
    AddPage(PAGE_INPUT_FILE, new CWizardInputFile(exporter), QStringLiteral("入力ファイルの設定"));
    AddPage(PAGE_IMAGE_TYPE, new CSelectExportImageType(exporter),
            QStringLiteral("表示タイプの選択"));
    AddPage(PAGE_IMAGE_OUTPUT, new CWizardSetExpImgOutFile(doc, exporter),
            QStringLiteral("出力ファイルの設定"));
    setStartId(PAGE_SELECT);
}

QString CExportCsvWizard::PicturePath(int page, bool firstChoice)
{
    if (page == PAGE_SELECT)
        return firstChoice ? QStringLiteral(":/wizard/export-per-library.png")
                           : QStringLiteral(":/wizard/export-screen-image.png");
    return firstChoice ? QStringLiteral(":/wizard/year-first-row.png")
                       : QStringLiteral(":/wizard/year-every-row.png");
}
