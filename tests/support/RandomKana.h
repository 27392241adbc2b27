#pragma once

// Random hiragana for generated libraries, shared by the tests and the
// benchmarks so that both read the same kind of text.

#include <random>
#include <string>

// characters random hiragana, two Shift-JIS bytes each.
inline std::string RandomKana(std::mt19937& rng, int characters)
{
    std::uniform_int_distribution<int> kana(0x829F, 0x82F1);
    std::string s;
    for (int i = 0; i < characters; ++i) {
        const int c = kana(rng);
        s += static_cast<char>(c >> 8);
        s += static_cast<char>(c & 0xFF);
    }
    return s;
}
