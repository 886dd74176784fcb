#include "solution/loader/TextDecoding.h"

#include <rapidxml.hpp>

#include <algorithm>
#include <array>
#include <string>

#include "catalogue/Text.h"
#include "catalogue/Utf8.h"
#include "solution/loader/CodePageConversion.h"

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

// Names that the environment's installations write in XML declarations, and their aliases; besides
// these, "windows-N", "cpN" and "x-cpN" name code page N.
struct EncodingName {
    std::string_view name;
    unsigned codePage;
};
constexpr EncodingName EncodingNames[] = {
    {"dos-874", 874},        {"iso-8859-11", 874},   {"tis-620", 874},         {"shift_jis", 932},
    {"shift-jis", 932},      {"sjis", 932},          {"x-sjis", 932},          {"ms_kanji", 932},
    {"csshiftjis", 932},     {"cswindows31j", 932},  {"windows-31j", 932},     {"x-ms-cp932", 932},
    {"gb2312", 936},         {"gbk", 936},           {"chinese", 936},         {"cn-gb", 936},
    {"csgb2312", 936},       {"csgb231280", 936},    {"csiso58gb231280", 936}, {"gb_2312-80", 936},
    {"gb231280", 936},       {"gb2312-80", 936},     {"iso-ir-58", 936},       {"euc-cn", 936},
    {"ks_c_5601-1987", 949}, {"ks_c_5601", 949},     {"ks_c_5601_1987", 949},  {"ks_c_5601-1989", 949},
    {"ksc_5601", 949},       {"ksc5601", 949},       {"ks-c-5601", 949},       {"ks-c5601", 949},
    {"korean", 949},         {"csksc56011987", 949}, {"iso-ir-149", 949},      {"euc-kr", 949},
    {"big5", 950},           {"big5-hkscs", 950},    {"cn-big5", 950},         {"csbig5", 950},
    {"x-x-big5", 950},
};
constexpr unsigned CodePages[] = {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
constexpr unsigned DoubleByteCodePages[] = {932, 936, 949, 950};

// What the platform's converters give only for bytes that a code page leaves undefined: C1
// controls and private use. Taken as no character, they make both builds read alike.
bool IsUndefinedMark(char16_t unit) { return (unit >= 0x80 && unit <= 0x9F) || (unit >= 0xE000 && unit <= 0xF8FF); }

bool HasUndefinedMark(std::u16string_view text) {
    for (const char16_t unit : text) {
        if (IsUndefinedMark(unit)) return true;
    }
    return false;
}

// Text in a code page other than 1252, line by line (no code page has CR or LF inside a character).
// A single-byte code page is read a byte at a time, so that no converter joins an accent to the
// letter before it. False, with the line, at the first line that holds a byte of no character.
bool FromCodePage(unsigned codePage, std::string_view bytes, std::string& utf8, std::size_t& errorLine) {
    const bool doubleByte = std::find(std::begin(DoubleByteCodePages), std::end(DoubleByteCodePages), codePage) !=
                            std::end(DoubleByteCodePages);
    std::array<char16_t, 128> high{};  // each byte from 0x80 once read; 0 until then
    std::u16string text;
    utf8.clear();
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = NextLineStart(bytes, LineEnd(bytes, start));
        const std::string_view part = bytes.substr(start, end - start);
        const std::size_t partStart = start;
        start = end;
        text.clear();
        bool read = true;
        if (doubleByte) {
            read = ConvertCodePage(codePage, part, text) && !HasUndefinedMark(text);
        } else {
            for (std::size_t i = 0; read && i < part.size(); ++i) {
                const auto byte = static_cast<unsigned char>(part[i]);
                if (byte < 0x80) {
                    text += byte;
                    continue;
                }
                char16_t& unit = high[byte - 0x80];
                std::u16string one;
                if (unit == 0 && ConvertCodePage(codePage, part.substr(i, 1), one) && one.size() == 1 &&
                    !IsUndefinedMark(one[0])) {
                    unit = one[0];
                }
                text += unit;
                read = unit != 0;
            }
        }
        if (!read) {
            errorLine = LineAt(bytes, partStart);
            return false;
        }
        AppendUtf8(text, utf8);
    }
    return true;
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

unsigned CodePageOfEncoding(std::string_view name) {
    for (const EncodingName& known : EncodingNames) {
        if (EqualIgnoringAsciiCase(name, known.name)) return known.codePage;
    }
    for (const std::string_view prefix : {"windows-", "cp", "x-cp"}) {
        if (name.size() <= prefix.size() || !EqualIgnoringAsciiCase(name.substr(0, prefix.size()), prefix)) continue;
        for (const unsigned codePage : CodePages) {
            if (name.substr(prefix.size()) == std::to_string(codePage)) return codePage;
        }
    }
    return 0;
}

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
    } else if (EqualIgnoringAsciiCase(encoding, "ISO-8859-1")) {
        utf8 = FromSingleByte(bytes, false);
    } else if (const unsigned codePage = CodePageOfEncoding(encoding); codePage == 1252) {
        utf8 = FromSingleByte(bytes, true);
    } else if (codePage != 0) {
        if (!FromCodePage(codePage, bytes, utf8, errorLine)) {
            error = "the text is not valid " + encoding;
            return false;
        }
    } else {
        error = "encoding '" + encoding + "' is not supported" +
                (EqualIgnoringAsciiCase(encoding, "UTF-16") ? " without a byte order mark" : "");
        errorLine = 1;
        return false;
    }
    return true;
}

std::size_t LineEnd(std::string_view text, std::size_t start) {
    return std::min(text.find_first_of("\r\n", start), text.size());
}

std::size_t NextLineStart(std::string_view text, std::size_t end) {
    if (end >= text.size()) return text.size();
    return end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
}

std::size_t LineEndsBetween(std::string_view text, std::size_t from, std::size_t to) {
    std::size_t ends = 0;
    for (std::size_t i = from; i < to && i < text.size(); ++i) {
        // The LF of a CR LF belongs to the line end that its CR began.
        ends += text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'));
    }
    return ends;
}

std::size_t LineAt(std::string_view text, std::size_t offset) { return 1 + LineEndsBetween(text, 0, offset); }

}  // namespace sprig::loader
