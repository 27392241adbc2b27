#include "PageLayout.h"
#include "HostText.h"

#include "Settings.h"

#include <QString>

#include <algorithm>

const char* const SPageLayout::kItemTexts[ItemCount] = {
    "ﾌｧｲﾙ名", "日付＆時刻", "日付", "時刻", "- ﾍﾟｰｼﾞ -", "（なし）",
};

SPageLayout SPageLayout::Load(const CSettings& settings)
{
    SPageLayout layout;
    layout.fitToRight = settings.GetFitToRight();
    layout.supplementMarks = settings.GetSupplMark();
    layout.linkMarks = settings.GetLinkMark();
    layout.marginTop = settings.GetMarginTop();
    layout.marginBottom = settings.GetMarginBottom();
    layout.marginLeft = settings.GetMarginLeft();
    layout.marginRight = settings.GetMarginRight();
    layout.rightEdgeYears = settings.GetDisplayYear();
    int read[kSlotCount];
    std::copy(std::begin(layout.items), std::end(layout.items), read);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!settings.GetPageLayoutItem(slot, read[slot]))
            return layout;
    }
    // A code no list offers would print nothing sensible: such a set is
    // ignored as a whole, like an incomplete one.
    for (int code : read) {
        if (code < 0 || code >= ItemCount)
            return layout;
    }
    std::copy(std::begin(read), std::end(read), layout.items);
    return layout;
}

void SPageLayout::Save(CSettings& settings) const
{
    settings.SetFitToRight(fitToRight);
    settings.SetSupplMark(supplementMarks);
    settings.SetLinkMark(linkMarks);
    settings.SetMarginTop(marginTop);
    settings.SetMarginBottom(marginBottom);
    settings.SetMarginLeft(marginLeft);
    settings.SetMarginRight(marginRight);
    for (int slot = 0; slot < kSlotCount; ++slot)
        settings.SetPageLayoutItem(slot, items[slot]);
    settings.SetDisplayYear(rightEdgeYears);
}

bool SPageLayout::SlotsUsed(int first) const
{
    for (int slot = first; slot < first + 3; ++slot) {
        if (items[slot] != ItemNone)
            return true;
    }
    return false;
}

std::string SPageLayout::ItemText(int code, const std::string& title, int page, std::time_t now)
{
    auto format = [now](const char* pattern) {
        std::tm local{};
        localtime_r(&now, &local);
        char buffer[256];
        const size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
        // strftime writes in the user's locale encoding.
        return CHostText::ToUtf8(CHostText::FromLocale(std::string(buffer, n)));
    };
    switch (code) {
    case ItemFileName: {
        const size_t dot = title.find_last_of('.');
        return dot == std::string::npos ? std::string() : title.substr(0, dot);
    }
    case ItemDateTime:
        return format("%c");
    case ItemDate:
        return format("%x");
    case ItemTime:
        return format("%X");
    case ItemPage:
        return "- " + std::to_string(page) + " -";
    default:
        return std::string();
    }
}

bool SPageLayout::operator==(const SPageLayout& o) const
{
    return std::equal(std::begin(items), std::end(items), std::begin(o.items)) &&
           fitToRight == o.fitToRight && supplementMarks == o.supplementMarks &&
           linkMarks == o.linkMarks && marginTop == o.marginTop &&
           marginBottom == o.marginBottom && marginLeft == o.marginLeft &&
           marginRight == o.marginRight && rightEdgeYears == o.rightEdgeYears;
}
