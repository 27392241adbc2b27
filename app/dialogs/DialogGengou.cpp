#include "DialogGengou.h"

#include "DialogButtons.h"
#include "DialogProperty.h"
#include "HostServices.h"
#include "HostText.h"
#include "InputMethod.h"
#include "SjisInput.h"

#include "ui_DialogGengou.h"
#include "YearInput.h"

#include <QEvent>

const char* const CDialogGengou::kOrderMessage =
    "開始年の方が終了年よりも大きな数値になっています。";
const char* const CDialogGengou::kNoNameMessage = "元号名が入力されていません";
const char* const CDialogGengou::kNoStartMessage = "開始西暦年が入力されていません";
const char* const CDialogGengou::kNothingMessage = "何も入力されていません";
const char* const CDialogGengou::kDeleteQuestion = "このデータを削除します。よろしいですか？";
const char* const CDialogGengou::kCancelQuestion = "入力をキャンセルしますか？";
const char* const CDialogGengou::kStartNumberMessage = "開始西暦年には整数を入力してください。";
const char* const CDialogGengou::kEndNumberMessage = "終了西暦年には整数を入力してください。";
const char* const CDialogGengou::kDuplicateMessage =
    "「%1」は既に登録されています。別の名前にしてください。";

namespace {

enum EJudge
{
    Complete = 0,
    Nothing = 1,
    Incomplete = 2
};

// Empty text is no year; anything else must be a whole year of the 32-bit
// range (the sentinel of "no year" is not one).
bool ParseYear(const QString& text, int32_t& year)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        year = kNoYear;
        return true;
    }
    bool ok = false;
    const qlonglong value = t.toLongLong(&ok);
    if (!ok || value < INT32_MIN || value >= kNoYear)
        return false;
    year = static_cast<int32_t>(value);
    return true;
}

struct SFormText
{
    QString name, start, end, supplement;
    bool operator==(const SFormText& o) const
    {
        return name == o.name && start == o.start && end == o.end && supplement == o.supplement;
    }
};

} // namespace

struct CDialogGengou::SImpl
{
    Ui::DialogGengou ui;
    CGengouEra table;
    int kind = 1;
    int index = 0;
    bool newEntry = false;
    int32_t lastEndYear = kNoYear;
    QWidget* linkTarget = nullptr;
    SFormText shown;
    bool changed = false; // rows stored or removed during this run

    int Count() const { return table.GetSize(); }
    SFormText Form() const
    {
        return {ui.editName->text(), ui.editStart->text(), ui.editEnd->text(),
                ui.editSupplement->toPlainText()};
    }

    void Refuse(QWidget* field, const QString& message)
    {
        CHostServices::Get().MessageBox(CHostText::ToUtf8(message), CHostServices::IconWarning);
        field->setFocus();
    }

    // The form as a row; with checks, refusals are told and fail the read.
    bool Read(SGengouEraTable& row)
    {
        if (!ParseYear(ui.editStart->text(), row.startYear)) {
            Refuse(ui.editStart, QString::fromUtf8(kStartNumberMessage));
            return false;
        }
        if (!ParseYear(ui.editEnd->text(), row.endYear)) {
            Refuse(ui.editEnd, QString::fromUtf8(kEndNumberMessage));
            return false;
        }
        if (row.startYear == 0 || row.endYear == 0) {
            CYearInput::RefuseZero(row.startYear == 0 ? ui.editStart : ui.editEnd);
            return false;
        }
        if (row.startYear != kNoYear && row.endYear != kNoYear && row.endYear < row.startYear) {
            Refuse(ui.editStart, QString::fromUtf8(kOrderMessage));
            return false;
        }
        if (!CSjisInput::ToSjis(ui.editName->text(), row.name, ui.editName))
            return false;
        std::string supplement;
        if (!CSjisInput::ToSjis(ui.editSupplement->toPlainText(), supplement, ui.editSupplement))
            return false;
        row.supplement = CSjisInput::WithCrLf(supplement);
        return true;
    }

    int Judge(const SGengouEraTable& row)
    {
        if (!row.name.empty() && row.startYear != kNoYear)
            return Complete;
        if (row.name.empty() && row.endYear == kNoYear)
            return Nothing;
        if (row.name.empty()) {
            Refuse(ui.editName, QString::fromUtf8(kNoNameMessage));
            return Incomplete;
        }
        Refuse(ui.editStart, QString::fromUtf8(kNoStartMessage));
        return Incomplete;
    }

    // Stores a complete row at the current index. A file holds each name
    // once (a second row of the name is dropped when it is read), so a name
    // another row already has is refused here, where the user can still
    // change it.
    bool Store(const SGengouEraTable& row)
    {
        const CGengouEra::Rows& rows = table.GetGengouEraTable();
        for (int i = 0; i < Count(); ++i) {
            if (i == index || rows[static_cast<size_t>(i)].name != row.name)
                continue;
            if (index == Count() && rows[static_cast<size_t>(i)] == row)
                return true; // the very same row again: nothing to add
            Refuse(ui.editName,
                   QString::fromUtf8(kDuplicateMessage).arg(CSjisInput::FromSjis(row.name)));
            return false;
        }
        if (index == Count()) {
            if (!table.SetData(row.name, row.startYear, row.endYear, row.supplement))
                return false;
            changed = true;
            return true;
        }
        const bool moved = rows[static_cast<size_t>(index)].startYear != row.startYear;
        if (!moved) {
            changed |= table.SetAt(index, row);
            return true;
        }
        // A new first year puts the row where its year belongs, so the table
        // stays in year order; the index follows the row.
        table.RemoveAt(index);
        table.SetData(row.name, row.startYear, row.endYear, row.supplement);
        for (int i = 0; i < Count(); ++i)
            if (table.GetGengouEraTable()[static_cast<size_t>(i)].name == row.name)
                index = i;
        changed = true;
        return true;
    }

    void UpdateButtons()
    {
        ui.buttonDelete->setEnabled(index != Count());
        ui.buttonNew->setEnabled(!newEntry);
    }

    void Show()
    {
        const int count = Count();
        ui.editCounter->setText(index >= count ? QStringLiteral("新規入力/%1").arg(count)
                                               : QStringLiteral("%1/%2").arg(index + 1).arg(count));
        UpdateButtons();
        if (index >= count) {
            ui.editName->clear();
            ui.editStart->clear();
            ui.editEnd->clear();
            ui.editSupplement->clear();
            if (lastEndYear != kNoYear && lastEndYear + int64_t{1} < kNoYear)
                ui.editStart->setText(QString::number(lastEndYear + 1));
        } else {
            const SGengouEraTable row = table.GetAt(index);
            ui.editName->setText(CSjisInput::FromSjis(row.name));
            ui.editStart->setText(QString::number(row.startYear));
            ui.editEnd->setText(row.endYear == kNoYear ? QString() : QString::number(row.endYear));
            ui.editSupplement->setPlainText(CSjisInput::FromSjisLines(row.supplement));
        }
        shown = Form();
    }

    // Reads, judges and stores the form before 前/次 move on; false keeps
    // the form (its input would otherwise be lost).
    bool StoreBeforeMoving(SGengouEraTable& row)
    {
        if (!Read(row))
            return false;
        const int judged = Judge(row);
        if (judged == Incomplete)
            return false;
        return judged == Nothing || Store(row);
    }
};

CDialogGengou::CDialogGengou(const CGengouEra& table, int kind, int32_t startYear, bool openAsNew,
                             QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.table = table;
    d.kind = kind;
    Ui::DialogGengou& ui = d.ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    ui.labelName->setText(kind == 1 ? QStringLiteral("元号名") : QStringLiteral("時代名"));
    CInputMethod::MakeNumberField(ui.editStart, true, 10);
    CInputMethod::MakeNumberField(ui.editEnd, true, 10);
    CInputMethod::SwitchOn(ui.editName);
    CInputMethod::SwitchOn(ui.editSupplement);
    ui.buttonLink->setEnabled(false);

    ui.buttonBox->button(QDialogButtonBox::Ok)->setToolTip(QStringLiteral("画面を閉じます"));
    ui.editName->setToolTip(QStringLiteral("元号/時代名称を入力します。"));
    ui.editStart->setToolTip(QStringLiteral("その元号または、時代の開始西暦年を入力します。"));
    ui.editEnd->setToolTip(QStringLiteral("その元号または、時代の終了西暦年を入力します。"));
    ui.buttonPrev->setToolTip(QStringLiteral("１つ前のデータを表示します"));
    ui.buttonNext->setToolTip(QStringLiteral("１つ次のデータを表示します"));
    ui.editCounter->setToolTip(QStringLiteral("データ番号とデータのトータル数です"));
    ui.buttonDelete->setToolTip(QStringLiteral("現在表示しているデータを削除します"));
    ui.buttonNew->setToolTip(QStringLiteral("元号/時代データの追加画面にします"));
    ui.editSupplement->setToolTip(QStringLiteral("補足説明を入力します。"));

    for (QWidget* w : {static_cast<QWidget*>(ui.editName), static_cast<QWidget*>(ui.editStart),
                       static_cast<QWidget*>(ui.editEnd), static_cast<QWidget*>(ui.editSupplement)})
        w->installEventFilter(this);

    connect(ui.buttonNew, &QPushButton::clicked, this, &CDialogGengou::OnNew);
    connect(ui.buttonNext, &QPushButton::clicked, this, &CDialogGengou::OnNext);
    connect(ui.buttonPrev, &QPushButton::clicked, this, &CDialogGengou::OnPrev);
    connect(ui.buttonDelete, &QPushButton::clicked, this, &CDialogGengou::OnDelete);
    connect(ui.buttonLink, &QPushButton::clicked, this, &CDialogGengou::OnLink);
    connect(ui.buttonInfo, &QPushButton::clicked, this, &CDialogGengou::OnInfo);
    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogGengou::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &CDialogGengou::reject);

    if (startYear != kNoYear) {
        d.index = std::max(0, d.table.GetIndexFromYear(startYear));
    } else if (openAsNew) {
        OnNew();
        return;
    }
    if (d.Count() == 0)
        d.newEntry = true;
    d.index = std::min(d.index, d.Count());
    d.Show();
}

CDialogGengou::~CDialogGengou() = default;

const CGengouEra& CDialogGengou::GetTable() const
{
    return m_impl->table;
}

int CDialogGengou::GetCurrentIndex() const
{
    return m_impl->index;
}

bool CDialogGengou::IsNewEntryMode() const
{
    return m_impl->newEntry;
}

void CDialogGengou::OnNew()
{
    SImpl& d = *m_impl;
    d.newEntry = true;
    d.index = d.Count();
    d.Show();
    d.ui.editName->setFocus();
    d.ui.buttonNext->setDefault(true);
}

void CDialogGengou::OnNext()
{
    SImpl& d = *m_impl;
    SGengouEraTable row;
    if (!d.StoreBeforeMoving(row))
        return;
    d.ui.editName->setFocus();
    if (d.newEntry) {
        d.index = d.Count();
        d.lastEndYear = row.endYear;
    } else {
        d.index = d.index + 1 >= d.Count() ? 0 : d.index + 1;
    }
    d.Show();
}

void CDialogGengou::OnPrev()
{
    SImpl& d = *m_impl;
    SGengouEraTable row;
    if (!d.StoreBeforeMoving(row))
        return;
    d.newEntry = false;
    d.ui.editName->setFocus();
    d.index = d.index <= 0 ? std::max(0, d.Count() - 1) : d.index - 1;
    d.Show();
}

void CDialogGengou::OnDelete()
{
    SImpl& d = *m_impl;
    if (d.index >= d.Count())
        return;
    if (CHostServices::Get().MessageBox(kDeleteQuestion,
                                        CHostServices::YesNo | CHostServices::IconQuestion) !=
        CHostServices::AnswerYes)
        return;
    d.table.RemoveAt(d.index);
    d.changed = true;
    if (d.index >= d.Count())
        d.index = std::max(0, d.index - 1);
    d.Show();
}

void CDialogGengou::OnLink()
{
    if (m_impl->linkTarget)
        SetLink(m_impl->linkTarget);
}

void CDialogGengou::OnInfo()
{
    CDialogProperty dialog(&m_impl->table, m_impl->kind, this);
    dialog.exec();
}

void CDialogGengou::accept()
{
    SImpl& d = *m_impl;
    SGengouEraTable row;
    if (!d.Read(row))
        return;
    switch (d.Judge(row)) {
    case Nothing:
        // A blank new row after rows were entered is where 次 leaves the
        // form; OK there keeps what was entered.
        if (d.index == d.Count() && d.changed)
            break;
        CHostServices::Get().MessageBox(kNothingMessage, CHostServices::IconWarning);
        return;
    case Complete:
        if (!d.Store(row))
            return;
        break;
    default:
        return;
    }
    QDialog::accept();
}

void CDialogGengou::reject()
{
    SImpl& d = *m_impl;
    if ((d.changed || !(d.Form() == d.shown)) &&
        CHostServices::Get().MessageBox(kCancelQuestion,
                                        CHostServices::YesNo | CHostServices::IconQuestion) !=
            CHostServices::AnswerYes)
        return;
    QDialog::reject();
}

bool CDialogGengou::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        SImpl& d = *m_impl;
        Ui::DialogGengou& ui = d.ui;
        if (watched == ui.editName || watched == ui.editSupplement) {
            CInputMethod::SwitchOn(static_cast<QWidget*>(watched));
            ui.buttonLink->setEnabled(true);
            d.linkTarget = static_cast<QWidget*>(watched);
        } else if (watched == ui.editStart || watched == ui.editEnd) {
            ui.buttonLink->setEnabled(false);
            d.linkTarget = nullptr;
            if (watched == ui.editEnd && d.newEntry && ui.editEnd->text().isEmpty()) {
                ui.editEnd->setText(ui.editStart->text());
                ui.editEnd->selectAll();
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
