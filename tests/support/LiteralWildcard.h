// The wildcard procedure transcribed step by step, recursion and all: exponential, and the yardstick
// that the fast matcher must agree with.
#pragma once

#include <cstdint>

#include "filter/Filter.h"

namespace sprig::testing {

inline std::int32_t LiteralMatchWildcard(const char16_t* text, const char16_t* pattern, int column) {
    std::size_t t = 0, p = 0;
    std::int32_t first = -1;
    for (;;) {
        if (pattern[p] == u'\0') {
            if (text[t] == u'\0') return first >= 0 ? first : 0;
            return -1;
        }
        if (pattern[p] == u'*') {
            if (pattern[p + 1] == u'*') {
                ++p;
                continue;
            }
            ++p;
            if (pattern[p] == u'\0') return 0;
            if (text[t] == u'\0') return -1;
            for (std::size_t k = t; text[k] != u'\0'; ++k) {
                const std::int32_t r = LiteralMatchWildcard(text + k, pattern + p, column);
                if (r >= 0) return first >= 0 ? first : static_cast<std::int32_t>(k) + r;
            }
            return -1;
        }
        if (pattern[p] == u'?') {
            if (text[t] == u'\0') return -1;
            ++t;
            ++p;
            continue;
        }
        if (text[t] == u'\0' || FoldChar(text[t], column) != pattern[p]) return -1;
        if (first < 0) first = static_cast<std::int32_t>(t);
        ++t;
        ++p;
    }
}

}  // namespace sprig::testing
