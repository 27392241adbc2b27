#include "DialogYearRange.h"

#include "AnnaluxDoc.h"

const char* const CDialogYearRange::kOrderMessage =
    "終了年は開始年よりも後になるようにしてください。";
const char* const CDialogYearRange::kStartNumberMessage =
    "表示開始西暦年には整数を入力してください。";
const char* const CDialogYearRange::kEndNumberMessage =
    "表示終了西暦年には整数を入力してください。";

struct CDialogYearRange::SImpl
{
    CAnnaluxDoc* doc = nullptr;
    bool enabled = false;
    int32_t from = 0;
    int32_t to = 0;
};

CDialogYearRange::CDialogYearRange(CAnnaluxDoc* doc, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    m_impl->doc = doc;
    m_impl->enabled = doc->GetRangeEnabled();
    m_impl->from = doc->GetRangeFrom();
    m_impl->to = doc->GetRangeTo();
}

CDialogYearRange::~CDialogYearRange() = default;

bool CDialogYearRange::GetRangeEnabled() const
{
    return m_impl->enabled;
}
int32_t CDialogYearRange::GetRangeFrom() const
{
    return m_impl->from;
}
int32_t CDialogYearRange::GetRangeTo() const
{
    return m_impl->to;
}
void CDialogYearRange::accept()
{
    QDialog::accept();
}
