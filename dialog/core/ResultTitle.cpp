#include "dialog/core/ResultTitle.h"

#include <cstdint>

namespace sprig {
namespace {

constexpr char16_t Caption[] = u"Open File(s) in Solution";

// Appends the decimal digits of `value` at `out`; answers the end.
char16_t* AppendNumber(char16_t* out, std::uint32_t value) {
    char16_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) *out++ = digits[--n];
    return out;
}

char16_t* AppendText(char16_t* out, const char16_t* text) {
    while (*text) *out++ = *text++;
    return out;
}

}  // namespace

TitleText ResultTitle(const Catalogue& catalogue) {
    // The longest title, with two ten-digit counts, takes 51 units: the buffer never overflows.
    static_assert(sizeof(Caption) / sizeof(Caption[0]) - 1 + 2 + 10 + 4 + 10 + 1 < TitleCapacity);
    TitleText title;
    char16_t* out = AppendText(title.text, Caption);
    if (!catalogue.FileList.empty()) {
        out = AppendText(out, u" (");
        out = AppendNumber(out, static_cast<std::uint32_t>(catalogue.ResultList.size()));
        out = AppendText(out, u" of ");
        out = AppendNumber(out, static_cast<std::uint32_t>(catalogue.FileList.size()));
        out = AppendText(out, u")");
    }
    *out = u'\0';
    return title;
}

}  // namespace sprig
