#include "catalogue/Text.h"

#include <algorithm>

namespace sprig {

OwnedText CopyText(std::u16string_view text) {
    OwnedText copy(new char16_t[text.size() + 1]);
    std::copy(text.begin(), text.end(), copy.get());
    copy[text.size()] = u'\0';
    return copy;
}

std::size_t TextLength(const char16_t* text) {
    if (!text) return 0;
    return std::char_traits<char16_t>::length(text);
}

void CopyTextCut(const char16_t* text, char16_t* buffer, int size) {
    if (size <= 0 || !buffer) return;
    int n = 0;
    if (text) {
        while (n < size - 1 && text[n] != u'\0') {
            buffer[n] = text[n];
            ++n;
        }
    }
    buffer[n] = u'\0';
}

}  // namespace sprig
