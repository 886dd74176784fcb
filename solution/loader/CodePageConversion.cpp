#include "solution/loader/CodePageConversion.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#include <memory>
#include <string>
#endif

namespace sprig::loader {

#ifdef _WIN32
bool ConvertCodePage(unsigned codePage, std::string_view bytes, std::u16string& text) {
    if (bytes.empty()) return true;
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0) return false;
    const std::size_t at = text.size();
    text.resize(at + static_cast<std::size_t>(size));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                               reinterpret_cast<wchar_t*>(&text[at]), size) == size;
}
#else
bool ConvertCodePage(unsigned codePage, std::string_view bytes, std::u16string& text) {
    // glibc leaves this byte of Hebrew undefined; Windows reads it as a point of its own.
    if (codePage == 1255 && bytes == "\xCA") {
        text += u'\u05BA';
        return true;
    }
    const std::string name = "CP" + std::to_string(codePage);
    const iconv_t opened = iconv_open("UTF-16LE", name.c_str());
    if (opened == reinterpret_cast<iconv_t>(-1)) return false;
    const std::unique_ptr<void, int (*)(iconv_t)> converter(opened, iconv_close);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    // The last call, without input, gives what the converter still holds back (some code pages
    // wait for an accent that may follow a letter).
    for (bool flushed = false; !flushed;) {
        char buffer[4096];
        char* out = buffer;
        std::size_t outLeft = sizeof(buffer);
        flushed = inLeft == 0;
        const std::size_t result = iconv(converter.get(), flushed ? nullptr : &in, &inLeft, &out, &outLeft);
        for (const char* unit = buffer; unit + 1 < out; unit += 2) {
            text +=
                static_cast<char16_t>(static_cast<unsigned char>(unit[0]) | static_cast<unsigned char>(unit[1]) << 8);
        }
        if (result == static_cast<std::size_t>(-1)) {
            if (errno != E2BIG) return false;
            flushed = false;
        }
    }
    return true;
}
#endif

}  // namespace sprig::loader
