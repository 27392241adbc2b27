#include "RowInfoAll.h"

#include "Settings.h"

#include <stdexcept>

CRowInfoAll::CRowInfoAll()
{
    ResetToBuiltIn();
}

int CRowInfoAll::BuiltInWidth(int kind)
{
    // Wide enough for what the columns show in the default font: an era
    // name with its year ("平成13") and a period name of four characters
    // ("平成時代"), not only for a year.
    switch (kind) {
    case CK_EVENT:
        return 500;
    case CK_GENGOU:
        return 64;
    case CK_ERA:
        return 80;
    default:
        return 50;
    }
}

void CRowInfoAll::ResetToBuiltIn()
{
    for (int kind = 0; kind < kColumnKindCount; ++kind)
        m_info[kind].Set(BuiltInWidth(kind), false);
}

CRowInfo& CRowInfoAll::At(int kind)
{
    if (!IsValidColumnKind(kind))
        throw std::out_of_range("column kind out of range");
    return m_info[kind];
}

const CRowInfo& CRowInfoAll::Get(int kind) const
{
    return const_cast<CRowInfoAll*>(this)->At(kind);
}

void CRowInfoAll::Get(int kind, int& width, bool& sameWidth) const
{
    const CRowInfo& info = Get(kind);
    width = info.GetWidth();
    sameWidth = info.GetSameWidth();
}

void CRowInfoAll::SetWidth(int kind, int width)
{
    At(kind).SetWidth(width);
}

void CRowInfoAll::SetSameWidth(int kind, bool sameWidth)
{
    At(kind).SetSameWidth(sameWidth);
}

void CRowInfoAll::Set(int kind, int width, bool sameWidth)
{
    At(kind).Set(width, sameWidth);
}

std::string CRowInfoAll::InitWidthKey(int kind)
{
    const char* word = ColumnKindWord(kind);
    if (!word)
        throw std::out_of_range("column kind out of range");
    return std::string("InitWidth_") + word;
}

std::string CRowInfoAll::SameWidthKey(int kind)
{
    const char* word = ColumnKindWord(kind);
    if (!word)
        throw std::out_of_range("column kind out of range");
    return std::string("SameWidth_") + word;
}

void CRowInfoAll::LoadFromSettings(const CSettings& settings)
{
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        // A width the column dialog could never have stored (0, negative,
        // huge) would make columns vanish or swamp the table: keep the
        // built-in width instead.
        int width = settings.GetInitWidth(kind, BuiltInWidth(kind));
        if (width < kMinWidth || width > kMaxWidth)
            width = BuiltInWidth(kind);
        m_info[kind].Set(width, settings.GetSameWidth(kind));
    }
}

void CRowInfoAll::SaveToSettings(CSettings& settings) const
{
    for (int kind = 0; kind < kColumnKindCount; ++kind) {
        settings.SetInitWidth(kind, m_info[kind].GetWidth());
        settings.SetSameWidth(kind, m_info[kind].GetSameWidth());
    }
}

bool CRowInfoAll::operator==(const CRowInfoAll& other) const
{
    for (int kind = 0; kind < kColumnKindCount; ++kind)
        if (!(m_info[kind] == other.m_info[kind]))
            return false;
    return true;
}
