#include "solution/loader/TextDecoding.h"

#include <rapidxml.hpp>

#include "catalogue/Text.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {
namespace {

// Bytes 0x80 to 0x9F; every other byte of the code page stands for the character of its value.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LittleMark = "\xFF\xFE";
constexpr std::string_view Utf16BigMark = "\xFE\xFF";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

// A lone surrogate becomes U+FFFD; a last odd byte is dropped.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto high = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
        const auto low = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
        text[i] = static_cast<char16_t>(high << 8 | low);
    }
    return ToUtf8(text);
}

std::string FromSingleByte(std::string_view bytes, bool windows1252) {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = windows1252 ? FromWindows1252(byte) : byte;
    }
    return ToUtf8(text);
}

// The encoding that the declaration at the start of `text` names; empty when there is no
// declaration or it names none. The declaration itself is read by the XML parser.
bool DeclaredEncoding(std::string_view text, std::string& encoding, std::string& error, std::size_t& errorLine) {
    encoding.clear();
    if (!StartsWith(text, "<?xml") || text.size() < 6 ||
        std::string_view(" \t\r\n").find(text[5]) == std::string_view::npos) {
        return true;
    }
    const std::size_t end = text.find("?>");
    if (end == std::string_view::npos) {
        error = "the XML declaration is not closed", errorLine = 1;
        return false;
    }
    std::string declaration(text.substr(0, end + 2));
    rapidxml::xml_document<char> document;
    try {
        document.parse<rapidxml::parse_declaration_node>(declaration.data());
    } catch (const rapidxml::parse_error& failure) {
        error = std::string("malformed XML declaration: ") + failure.what();
        errorLine = LineAt(declaration, failure.where<char>() - declaration.data());
        return false;
    }
    const rapidxml::xml_node<char>* node = document.first_node();
    const rapidxml::xml_attribute<char>* attribute = node ? node->first_attribute("encoding") : nullptr;
    if (attribute) encoding.assign(attribute->value(), attribute->value_size());
    return true;
}

}  // namespace

char16_t FromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? Windows1252High[byte - 0x80] : byte;
}

std::string DecodeSolutionText(std::string_view bytes) {
    if (StartsWith(bytes, Utf16LittleMark)) return FromUtf16(bytes.substr(2), false);
    if (StartsWith(bytes, Utf16BigMark)) return FromUtf16(bytes.substr(2), true);
    if (StartsWith(bytes, Utf8Mark)) bytes.remove_prefix(Utf8Mark.size());
    std::u16string scratch;
    if (AppendUtf16(bytes, scratch)) return std::string(bytes);
    return FromSingleByte(bytes, true);
}

bool DecodeXmlText(std::string_view bytes, std::string& utf8, std::string& error, std::size_t& errorLine) {
    if (StartsWith(bytes, Utf8Mark)) {
        utf8 = bytes.substr(Utf8Mark.size());
        return true;
    }
    const bool little = StartsWith(bytes, Utf16LittleMark) || StartsWith(bytes, std::string_view("<\0?\0", 4));
    const bool big = StartsWith(bytes, Utf16BigMark) || StartsWith(bytes, std::string_view("\0<\0?", 4));
    if (little || big) {
        const bool marked = StartsWith(bytes, Utf16LittleMark) || StartsWith(bytes, Utf16BigMark);
        utf8 = FromUtf16(bytes.substr(marked ? 2 : 0), big);
        return true;
    }
    std::string encoding;
    if (!DeclaredEncoding(bytes, encoding, error, errorLine)) return false;
    if (encoding.empty() || EqualIgnoringAsciiCase(encoding, "UTF-8") || EqualIgnoringAsciiCase(encoding, "US-ASCII")) {
        utf8 = bytes;
    } else if (EqualIgnoringAsciiCase(encoding, "Windows-1252")) {
        utf8 = FromSingleByte(bytes, true);
    } else if (EqualIgnoringAsciiCase(encoding, "ISO-8859-1")) {
        utf8 = FromSingleByte(bytes, false);
    } else {
        error = "encoding '" + encoding + "' is not supported" +
                (EqualIgnoringAsciiCase(encoding, "UTF-16") ? " without a byte order mark" : "");
        errorLine = 1;
        return false;
    }
    return true;
}

std::size_t LineAt(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) line += text[i] == '\n';
    return line;
}

}  // namespace sprig::loader
