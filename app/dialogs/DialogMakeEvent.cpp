#include "DialogMakeEvent.h"

#include "AnnaluxDoc.h"
#include "DialogButtons.h"
#include "DialogProperty.h"
#include "EventData.h"
#include "HostServices.h"
#include "HostText.h"
#include "InputMethod.h"
#include "ManageGengou.h"
#include "SjisInput.h"
#include "TableBase.h"
#include "YearEvent.h"

#include "ui_DialogMakeEvent.h"
#include "YearInput.h"

#include <QApplication>
#include <QDate>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <algorithm>

const char* const CDialogMakeEvent::kYearRangeMessage =
    "年には-2147483647～2147483646までの数値を入れてください";
const char* const CDialogMakeEvent::kEraRangeMessage = "元号の年範囲を超えています";
const char* const CDialogMakeEvent::kOtherYearAfterMessage =
    "「この年まで」の年はいまの年よりもあとでなければなりません";
const char* const CDialogMakeEvent::kOtherYearBeforeMessage =
    "「この年から」の年はいまの年よりも先でなければなりません";
const char* const CDialogMakeEvent::kNoYearMessage = "年が入力されていません";
const char* const CDialogMakeEvent::kNoEventMessage = "出来事が入力されていません";
const char* const CDialogMakeEvent::kNothingMessage = "何も入力されていません";
const char* const CDialogMakeEvent::kDeleteQuestion = "このデータを削除します。よろしいですか？";
const char* const CDialogMakeEvent::kCancelQuestion = "入力をキャンセルしますか？";
const char* const CDialogMakeEvent::kDayRangeMessage = "日は1～31の範囲で選んでください";

namespace {

enum EApply
{
    AP_STORED = 0,
    AP_NOTHING = 1,
    AP_REFUSED = 2,
    AP_UNCHANGED = 3
};
enum ELinkTarget
{
    LT_EVENT = 0,
    LT_SUPPLEMENT = 1,
    LT_NONE = 2
};

// The other year as the library file reads it: an unsigned number whose
// base follows its prefix (0x hexadecimal, a leading 0 octal), a minus
// negating it. False when the digits do not fit in 32 bits.
bool ParseOtherYear(const QString& text, int64_t& value)
{
    const QString t = text.trimmed();
    int pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == '-' || t[pos] == '+'))
        negative = t[pos++] == '-';
    int base = 10;
    if (pos + 1 < t.size() && t[pos] == '0' && (t[pos + 1] == 'x' || t[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    } else if (pos < t.size() && t[pos] == '0') {
        base = 8;
    }
    uint64_t magnitude = 0;
    for (; pos < t.size(); ++pos) {
        const char c = t[pos].toLatin1();
        int digit = base;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit >= base)
            break;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull)
            return false;
    }
    value = negative ? -int64_t(magnitude) : int64_t(magnitude);
    return true;
}

// A year a record may carry: the two limits of the type stand for "no year"
// and "none" elsewhere in the program.
bool IsStorableYear(int64_t year)
{
    return year > kNoneYear && year < kNoYear;
}

} // namespace

struct CDialogMakeEvent::SImpl
{
    Ui::DialogMakeEvent ui;
    CAnnaluxDoc* doc = nullptr;
    std::unique_ptr<CYearEvent> table;
    std::unique_ptr<CManageGengou> eras;
    int index = 0;
    bool newEntry = false;
    bool editingAllowed = false;
    int linkTarget = LT_NONE;
    SEventData shown;
    std::vector<int32_t> touched;
    // Something was stored in or removed from the working copy.
    bool tableChanged = false;
    // The Western year typed before an era was chosen, given back when the
    // user returns to "西暦".
    QString savedWesternYear;
    int yearKind = 0;

    int Filter() const { return doc ? doc->GetPriorityFilter() : EP_ALL; }
    int VisibleCount() const;
    void SetDay(int day);
    void LayoutRange(int kind, int32_t otherYear, uint32_t flags);
    void ShowCurrent();
    void UpdateCounter();
    void SetNewEntry(bool on);
    bool ReadForm(SEventData& rec, bool check);
    int Judge(const SEventData& rec);
    int Apply();
    void Touch(int32_t year);
    static int SelectedItem(const QComboBox* combo);
    void Refuse(QWidget* field, const char* message);
};

int CDialogMakeEvent::SImpl::VisibleCount() const
{
    const int filter = Filter();
    if (filter >= EP_ALL)
        return table->GetLen();
    int count = 0;
    for (int i = 0; i < table->GetLen(); ++i)
        count += table->GetRecord(i).IsVisible(filter) ? 1 : 0;
    return count;
}

int CDialogMakeEvent::SImpl::SelectedItem(const QComboBox* combo)
{
    // Only a listed item counts; typed text that names none is no choice.
    return combo->findText(combo->currentText(), Qt::MatchExactly);
}

void CDialogMakeEvent::SImpl::SetDay(int day)
{
    if (day <= 0) { // 0 is what a fresh record holds: no day, like -1
        ui.comboDayTens->setCurrentIndex(0);
        ui.comboDayUnits->setCurrentIndex(0);
        return;
    }
    ui.comboDayTens->setCurrentIndex(std::min(day / 10 + 1, ui.comboDayTens->count() - 1));
    ui.comboDayUnits->setCurrentIndex(day % 10 + 1);
}

void CDialogMakeEvent::SImpl::LayoutRange(int kind, int32_t otherYear, uint32_t flags)
{
    const bool ranged = kind == RANGE_FROM || kind == RANGE_UNTIL;
    ui.labelTildeBefore->setVisible(kind == RANGE_FROM);
    ui.labelTildeAfter->setVisible(kind == RANGE_UNTIL);
    ui.labelOtherYearUnit->setVisible(ranged);
    ui.editOtherYear->clear();
    ui.editOtherYear->setEnabled(ranged);
    ui.checkOtherAbout->setEnabled(ranged);
    if (!ranged)
        return;
    if (otherYear != 0)
        ui.editOtherYear->setText(QString::number(otherYear));
    ui.checkOtherAbout->setChecked((flags & RANGE_OTHER_YEAR_ABOUT) != 0);
}

void CDialogMakeEvent::SImpl::UpdateCounter()
{
    const int count = VisibleCount();
    ui.editCounter->setText(index >= count ? QStringLiteral("新規入力/%1").arg(count)
                                           : QStringLiteral("%1/%2").arg(index + 1).arg(count));
}

void CDialogMakeEvent::SImpl::ShowCurrent()
{
    UpdateCounter();
    SEventData rec;
    if (index >= VisibleCount() || !table->GetAt(index, &rec, Filter())) {
        // A blank form for the next record: the date and range settings stay
        // for entering several records of one kind in a row.
        ui.editEvent->clear();
        ui.editSupplement->clear();
        ui.editYear->clear();
        ui.comboPriority->setCurrentIndex(0);
        shown.Initialize();
        return;
    }
    ui.comboYearKind->setCurrentIndex(0);
    yearKind = 0;
    ui.editYear->setText(rec.year == kNoYear ? QString() : QString::number(rec.year));
    ui.editEvent->setPlainText(CSjisInput::FromSjis(rec.text));
    ui.editSupplement->setPlainText(CSjisInput::FromSjisLines(rec.supplement));
    ui.comboPriority->setCurrentIndex(rec.priority >= 0 && rec.priority <= 2 ? rec.priority : 0);
    ui.comboMonth->setCurrentIndex(rec.month >= 1 && rec.month <= 12 ? rec.month : 0);
    SetDay(rec.day);
    ui.checkLeapMonth->setChecked(rec.leapMonth);
    ui.checkFrom->setChecked((rec.rangeFlags & RANGE_FROM) != 0);
    ui.checkUntil->setChecked((rec.rangeFlags & RANGE_UNTIL) != 0);
    ui.checkAbout->setChecked((rec.rangeFlags & RANGE_ABOUT) != 0);
    shown = rec;
    LayoutRange(int(rec.rangeFlags & ~0xF00u), rec.otherYear, rec.rangeFlags);
}

void CDialogMakeEvent::SImpl::SetNewEntry(bool on)
{
    newEntry = on;
    QPushButton* ok = ui.buttonBox->button(QDialogButtonBox::Ok);
    // While entering records one after another, Enter stores and moves on.
    ui.buttonNext->setDefault(on);
    ok->setDefault(!on);
}

void CDialogMakeEvent::SImpl::Refuse(QWidget* field, const char* message)
{
    CHostServices::Get().MessageBox(message, CHostServices::IconWarning);
    if (field)
        field->setFocus();
}

bool CDialogMakeEvent::SImpl::ReadForm(SEventData& rec, bool check)
{
    rec.Initialize();
    auto readText = [&](QPlainTextEdit* edit, QString text, CRecordText& out) {
        std::string sjis;
        // Unconvertible text without checks only compares as changed.
        const bool ok =
            check ? CSjisInput::ToSjis(text, sjis, edit) : CSjisInput::TryToSjis(text, sjis);
        out = sjis;
        return ok;
    };
    auto readTexts = [&] {
        QString event = ui.editEvent->toPlainText();
        event.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
        QString supplement = ui.editSupplement->toPlainText();
        supplement.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        return readText(ui.editEvent, event, rec.text) &&
               readText(ui.editSupplement, supplement, rec.supplement);
    };

    const QString yearText = ui.editYear->text();
    if (yearText.isEmpty()) {
        rec.year = kNoYear;
        return readTexts();
    }
    int32_t year = CTableBase::ParseInt(CHostText::ToUtf8(yearText));
    if (check && !IsStorableYear(year)) {
        Refuse(ui.editYear, kYearRangeMessage);
        return false;
    }
    if (check && year == 0 && ui.comboYearKind->currentIndex() <= 0) {
        CYearInput::RefuseZero(ui.editYear);
        return false;
    }
    if (!readTexts())
        return false;

    if (ui.comboYearKind->currentIndex() > 0) {
        // An era has no year 0 or before; such a year is outside it.
        year = year >= 1 ? eras->GetWesternYear(ui.comboYearKind->currentText(), year) : kNoYear;
        if (check && year == kNoYear) {
            Refuse(ui.editYear, kEraRangeMessage);
            return false;
        }
    }
    rec.year = year;

    rec.priority = static_cast<int8_t>(std::max(0, ui.comboPriority->currentIndex()));
    const int month = SelectedItem(ui.comboMonth);
    rec.month = static_cast<int16_t>(month > 0 ? month : -1);
    const int tens = SelectedItem(ui.comboDayTens);
    const int units = SelectedItem(ui.comboDayUnits);
    int day = tens > 0 ? (tens - 1) * 10 : 0;
    day = units > 0 ? day + units - 1 : -1;
    // The two lists can spell days no month has (0, 32..39); stored, such a
    // day would be shown back as no day or as a date that does not exist.
    if (check && (day == 0 || day > 31)) {
        Refuse(ui.comboDayTens, kDayRangeMessage);
        return false;
    }
    rec.day = static_cast<int16_t>(day);
    rec.leapMonth = ui.checkLeapMonth->isChecked() && rec.month != -1;

    uint32_t kind = 0;
    if (ui.checkFrom->isChecked())
        kind = RANGE_FROM;
    else if (ui.checkUntil->isChecked())
        kind = RANGE_UNTIL;
    rec.rangeFlags = static_cast<uint16_t>(kind);
    if (ui.checkAbout->isChecked())
        rec.rangeFlags |= RANGE_ABOUT;
    rec.otherYear = 0;
    if (kind == 0)
        return true;

    const QString otherText = ui.editOtherYear->text();
    if (!otherText.isEmpty()) {
        int64_t other = 0;
        const bool fits = ParseOtherYear(otherText, other);
        // Stored, 0 would mean "no other year": the year typed would vanish.
        if (check && fits && other == 0) {
            CYearInput::RefuseZero(ui.editOtherYear);
            return false;
        }
        if (!fits || !IsStorableYear(other)) {
            if (check) {
                Refuse(ui.editOtherYear, kYearRangeMessage);
                return false;
            }
            other = 0;
        }
        rec.otherYear = static_cast<int32_t>(other);
    }
    if (ui.checkOtherAbout->isChecked())
        rec.rangeFlags |= RANGE_OTHER_YEAR_ABOUT;
    if (check && rec.otherYear != 0 && rec.year != kNoYear) {
        if (kind == RANGE_FROM && rec.otherYear < rec.year) {
            Refuse(ui.editOtherYear, kOtherYearAfterMessage);
            return false;
        }
        if (kind == RANGE_UNTIL && rec.otherYear > rec.year) {
            Refuse(ui.editOtherYear, kOtherYearBeforeMessage);
            return false;
        }
    }
    return true;
}

int CDialogMakeEvent::SImpl::Judge(const SEventData& rec)
{
    if (rec.year != kNoYear && !rec.text.empty())
        return AP_STORED;
    // A year alone on a new form may be the pre-filled one: no input yet.
    if (newEntry && rec.year != kNoYear && rec.supplement.empty())
        return AP_NOTHING;
    if (rec.year == kNoYear) {
        if (rec.text.empty())
            return AP_NOTHING;
        Refuse(ui.editYear, kNoYearMessage);
        return AP_REFUSED;
    }
    Refuse(ui.editEvent, kNoEventMessage);
    return AP_REFUSED;
}

void CDialogMakeEvent::SImpl::Touch(int32_t year)
{
    if (year != kNoYear)
        touched.push_back(year);
}

int CDialogMakeEvent::SImpl::Apply()
{
    SEventData rec;
    if (!ReadForm(rec, true))
        return AP_REFUSED;
    const int judged = Judge(rec);
    if (judged == AP_REFUSED)
        return AP_REFUSED;
    int result = judged;
    if (judged == AP_STORED) {
        if (rec == shown) {
            result = AP_UNCHANGED;
        } else {
            const bool replacing = !newEntry && index < VisibleCount();
            if (replacing) {
                // The record may move to another year: that one needs
                // redrawing as well.
                Touch(shown.year);
            }
            table->SetData(rec, true, replacing ? index : -1, Filter());
            tableChanged = true;
        }
    }
    Touch(rec.year);
    return result;
}

CDialogMakeEvent::CDialogMakeEvent(CAnnaluxDoc* doc, const CYearEvent& table, int32_t startYear,
                                   int offset, bool openAsNew, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Init(doc, table);
    SImpl& d = *m_impl;
    d.editingAllowed = openAsNew;
    const int filter = d.Filter();
    if (startYear != kNoYear) {
        int index = d.table->GetIndexFromYear(startYear, filter);
        if (index < 0)
            index = d.table->GetNearestYear(startYear, filter);
        index += offset;
        d.index = std::clamp(index, 0, d.VisibleCount());
        d.ShowCurrent();
    } else if (openAsNew) {
        d.SetNewEntry(true);
        d.index = d.VisibleCount();
        d.ShowCurrent();
        if (offset != -1)
            d.ui.editYear->setText(QString::number(offset));
    } else {
        d.index = 0;
        d.ShowCurrent();
    }
    if (d.newEntry && d.table->GetTodayDate()) {
        const QDate today = QDate::currentDate();
        d.ui.editYear->setText(QString::number(today.year()));
        d.ui.comboMonth->setCurrentIndex(today.month());
        d.SetDay(today.day());
    }
    d.linkTarget = LT_NONE;
}

CDialogMakeEvent::CDialogMakeEvent(CAnnaluxDoc* doc, const SEventData& record,
                                   const CYearEvent& table, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Init(doc, table);
    SImpl& d = *m_impl;
    d.editingAllowed = true;
    d.index = std::max(0, d.table->GetIndexFromEventData(record, d.Filter()));
    d.ShowCurrent();
    d.linkTarget = LT_NONE;
}

void CDialogMakeEvent::Init(CAnnaluxDoc* doc, const CYearEvent& table)
{
    SImpl& d = *m_impl;
    d.doc = doc;
    d.table = std::make_unique<CYearEvent>(table);
    d.eras = std::make_unique<CManageGengou>(doc);

    Ui::DialogMakeEvent& ui = d.ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);

    // Years take plain digits; the event text and supplement are Japanese.
    CInputMethod::MakeNumberField(ui.editYear, true, 10);
    CInputMethod::SwitchOff(ui.editOtherYear);
    ui.editOtherYear->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[-+]?(0[xX][0-9a-fA-F]{0,8}|[0-9]{0,11})")),
        ui.editOtherYear));
    for (QComboBox* combo : {ui.comboMonth, ui.comboDayTens, ui.comboDayUnits})
        CInputMethod::SwitchOff(combo->lineEdit());
    CInputMethod::SwitchOn(ui.editEvent);
    CInputMethod::SwitchOn(ui.editSupplement);
    ui.editEvent->installEventFilter(this);
    ui.editSupplement->installEventFilter(this);

    ui.comboYearKind->clear();
    ui.comboYearKind->addItem(QStringLiteral("西暦"));
    d.eras->Fill(ui.comboYearKind);
    ui.comboYearKind->setCurrentIndex(0);
    ui.comboPriority->setCurrentIndex(0);
    ui.comboMonth->setCurrentIndex(0);
    d.SetDay(-1);
    d.LayoutRange(0, 0, 0);
    d.SetNewEntry(false);

    const std::pair<QWidget*, const char*> tips[] = {
        {ui.buttonBox->button(QDialogButtonBox::Ok), "画面を閉じます"},
        {ui.comboYearKind,
         "西暦または元号を選べます。元号データが読み込まれていない場合は、西暦のみです"},
        {ui.editYear, "年を入力します。"},
        {ui.editEvent, "その出来事の内容を入力します。"},
        {ui.editCounter, "データ番号とデータのトータル数です"},
        {ui.buttonPrev, "１つ前のデータを表示します"},
        {ui.buttonNext, "１つ次のデータを表示します"},
        {ui.buttonNew, "出来事データの追加画面にします"},
        {ui.buttonDelete, "現在表示しているデータを削除します"},
        {ui.editSupplement, "補足説明を入力します。"},
        {ui.comboPriority, "優先度を設定します。「表示」メニューで表示する優先度を設定できます。"},
        {ui.comboMonth, "月を設定します。設定しない場合は、「無」を選択して下さい"},
        {ui.comboDayTens, "日の１０桁目を設定します。設定しない場合は、「無」を選択して下さい"},
        {ui.comboDayUnits, "日の１桁目を設定します。設定しない場合は、「無」を選択して下さい"},
        {ui.buttonProperty, "このライブラリのタイトルと説明などのライブラリ情報を表示します。"},
        {ui.buttonLink, "リンクを設定します。「出来事」または「補足説明」内のリンクを張りたい"
                        "文字を選択し反転させてからクリックしてください。"},
        {ui.checkFrom, "この年以降出来事が続く場合にチェックを入れます。"},
        {ui.checkAbout, "正確な年が不明な場合にチェックを入れます。"},
        {ui.editOtherYear,
         "この年以降出来事が続く場合、その出来事の終了年を入れます。不要な場合は空欄のままにし"
         "てください。「から」にチェックを入れると有効になります。"},
        {ui.checkOtherAbout, "この出来事の最終年の正確な年が不明な場合にチェックを入れます。"},
    };
    for (const auto& [widget, text] : tips)
        widget->setToolTip(QString::fromUtf8(text));

    connect(ui.comboYearKind, QOverload<int>::of(&QComboBox::activated), this, [this](int kind) {
        SImpl& d = *m_impl;
        // Only leaving the Western year saves it, so that an era year never
        // comes back as a Western one.
        if (kind > 0 && d.yearKind == 0) {
            d.savedWesternYear = d.ui.editYear->text();
            d.ui.editYear->setText(QStringLiteral("1"));
        } else if (kind > 0) {
            d.ui.editYear->setText(QStringLiteral("1"));
        } else if (d.yearKind > 0 && !d.savedWesternYear.isEmpty()) {
            d.ui.editYear->setText(d.savedWesternYear);
        }
        d.yearKind = kind;
    });
    connect(ui.checkFrom, &QCheckBox::clicked, this, [this](bool on) {
        SImpl& d = *m_impl;
        d.ui.checkUntil->setChecked(false);
        d.LayoutRange(on ? int(RANGE_FROM) : 0, 0, 0);
    });
    connect(ui.checkUntil, &QCheckBox::clicked, this, [this](bool on) {
        SImpl& d = *m_impl;
        d.ui.checkFrom->setChecked(false);
        d.LayoutRange(on ? int(RANGE_UNTIL) : 0, 0, 0);
    });
    connect(ui.buttonPrev, &QPushButton::clicked, this, &CDialogMakeEvent::OnPrevious);
    connect(ui.buttonNext, &QPushButton::clicked, this, &CDialogMakeEvent::OnNext);
    connect(ui.buttonNew, &QPushButton::clicked, this, &CDialogMakeEvent::OnNew);
    connect(ui.buttonDelete, &QPushButton::clicked, this, &CDialogMakeEvent::OnDelete);
    connect(ui.buttonLink, &QPushButton::clicked, this, &CDialogMakeEvent::OnLink);
    connect(ui.buttonProperty, &QPushButton::clicked, this, &CDialogMakeEvent::OnLibraryInfo);
    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogMakeEvent::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &CDialogMakeEvent::reject);
}

CDialogMakeEvent::~CDialogMakeEvent() = default;

const CYearEvent& CDialogMakeEvent::GetTable() const
{
    return *m_impl->table;
}

const std::vector<int32_t>& CDialogMakeEvent::GetTouchedYears() const
{
    return m_impl->touched;
}

int32_t CDialogMakeEvent::GetFirstTouchedYear() const
{
    const std::vector<int32_t>& years = m_impl->touched;
    return years.empty() ? 0 : *std::min_element(years.begin(), years.end());
}

void CDialogMakeEvent::OnPrevious()
{
    SImpl& d = *m_impl;
    // A refused record keeps the form, so that the input can be corrected
    // instead of being lost.
    if (d.Apply() == AP_REFUSED)
        return;
    d.SetNewEntry(false);
    const int count = d.VisibleCount();
    d.index = d.index <= 0 ? count - 1 : std::min(d.index, count) - 1;
    d.index = std::max(d.index, 0);
    d.ShowCurrent();
}

void CDialogMakeEvent::OnNext()
{
    SImpl& d = *m_impl;
    const QString yearText = d.ui.editYear->text();
    if (d.Apply() == AP_REFUSED)
        return;
    const int count = d.VisibleCount();
    if (d.newEntry)
        d.index = count;
    else
        d.index = d.index + 1 >= count ? 0 : d.index + 1;
    d.ShowCurrent();
    if (d.newEntry) {
        d.ui.editYear->setText(yearText);
        d.ui.editYear->setFocus();
        d.ui.editYear->selectAll();
    }
}

void CDialogMakeEvent::OnNew()
{
    SImpl& d = *m_impl;
    d.editingAllowed = true;
    d.SetNewEntry(true);
    d.index = d.VisibleCount();
    d.ShowCurrent();
    d.ui.editYear->setFocus();
}

void CDialogMakeEvent::OnDelete()
{
    SImpl& d = *m_impl;
    if (CHostServices::Get().MessageBox(kDeleteQuestion,
                                        CHostServices::YesNo | CHostServices::IconQuestion) !=
        CHostServices::AnswerYes)
        return;
    // The blank form of a new record holds no stored record: deleting it
    // only throws away what was typed there.
    SEventData removed;
    if (d.index < d.VisibleCount() && d.table->RemoveAt(d.index, d.Filter(), &removed)) {
        d.Touch(removed.year);
        d.tableChanged = true;
        const int count = d.VisibleCount();
        if (d.index >= count)
            d.index = count - 1;
        if (d.index < 0) {
            d.index = 0;
            d.SetNewEntry(true);
        }
    }
    d.ShowCurrent();
}

void CDialogMakeEvent::OnLink()
{
    SImpl& d = *m_impl;
    if (d.linkTarget == LT_EVENT)
        SetLink(d.ui.editEvent);
    else if (d.linkTarget == LT_SUPPLEMENT)
        SetLink(d.ui.editSupplement);
}

bool CDialogMakeEvent::ShowLibraryInfo(CYearEvent& table)
{
    CDialogProperty dialog(&table, HT_EVENT, this);
    return dialog.exec() == QDialog::Accepted;
}

void CDialogMakeEvent::OnLibraryInfo()
{
    SImpl& d = *m_impl;
    if (ShowLibraryInfo(*d.table))
        d.tableChanged = true;
}

bool CDialogMakeEvent::eventFilter(QObject* watched, QEvent* event)
{
    SImpl& d = *m_impl;
    if (event->type() == QEvent::FocusIn &&
        (watched == d.ui.editEvent || watched == d.ui.editSupplement)) {
        if (d.editingAllowed) {
            d.linkTarget = watched == d.ui.editEvent ? LT_EVENT : LT_SUPPLEMENT;
            d.ui.buttonLink->setEnabled(true);
        }
    } else if (event->type() == QEvent::KeyPress && watched == d.ui.editEvent) {
        // The event text is one line: Enter presses the default button.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            (d.newEntry ? d.ui.buttonNext : d.ui.buttonBox->button(QDialogButtonBox::Ok))->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDialogMakeEvent::accept()
{
    SImpl& d = *m_impl;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int result = d.Apply();
    QApplication::restoreOverrideCursor();
    if (result == AP_STORED || result == AP_UNCHANGED) {
        QDialog::accept();
        return;
    }
    if (result == AP_NOTHING) {
        // After records were stored, an empty form at the end is simply the
        // next one not taken.
        if (d.tableChanged) {
            QDialog::accept();
            return;
        }
        CHostServices::Get().MessageBox(kNothingMessage, CHostServices::IconWarning);
    }
}

void CDialogMakeEvent::reject()
{
    SImpl& d = *m_impl;
    SEventData rec;
    const bool same = d.ReadForm(rec, false) && rec == d.shown;
    // Records already stored by 前 or 次 are lost as well: ask about them too.
    if (!same || d.tableChanged) {
        if (CHostServices::Get().MessageBox(kCancelQuestion,
                                            CHostServices::YesNo | CHostServices::IconQuestion) !=
            CHostServices::AnswerYes)
            return;
    }
    QDialog::reject();
}
