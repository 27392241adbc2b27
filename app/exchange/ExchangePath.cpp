#include "ExchangePath.h"

std::string CExchangePath::WithExtension(const std::string& path, const std::string& extension)
{
    std::string base = path;
    for (int n = 0; n < 3 && !base.empty(); ++n) {
        size_t cut = base.size() - 1;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.erase(cut);
    }
    return base + extension;
}
