// Zero-terminated UTF-16 strings on the heap, each owned by exactly one record or container.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace sprig {

using OwnedText = std::unique_ptr<char16_t[]>;

// A new zero-terminated copy of `text`.
OwnedText CopyText(std::u16string_view text);

// Length in UTF-16 units of a zero-terminated text; 0 for null.
std::size_t TextLength(const char16_t* text);

// Folds the ASCII capitals A to Z onto a to z; every other unit stays as it is.
inline char16_t FoldAscii(char16_t unit) {
    return static_cast<char16_t>(static_cast<unsigned>(unit - u'A') < 26u ? unit + (u'a' - u'A') : unit);
}

// Compares two zero-terminated texts unit by unit after FoldAscii: negative when a sorts first,
// positive when b does, 0 when alike; a text that ends first sorts first.
inline int CompareIgnoringAsciiCase(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        // Equal units need no folding; texts that are compared are mostly alike for a while.
        if (*a == *b) {
            if (*a == 0) return 0;
            continue;
        }
        const int fa = FoldAscii(*a), fb = FoldAscii(*b);
        if (fa != fb) return fa - fb;
    }
}

// Copies at most size - 1 units of `text` into `buffer` and always terminates it; does nothing
// when size is not positive. The one rule by which every control gets its texts.
void CopyTextCut(const char16_t* text, char16_t* buffer, int size);

}  // namespace sprig
