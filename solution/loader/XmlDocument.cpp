#include "solution/loader/XmlDocument.h"

#include <algorithm>
#include <vector>

#include "solution/loader/TextDecoding.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {

namespace {

using Tables = rapidxml::internal::lookup_tables<0>;
bool IsXmlSpace(char c) { return Tables::lookup_whitespace[static_cast<unsigned char>(c)]; }
bool InNodeName(char c) { return Tables::lookup_node_name[static_cast<unsigned char>(c)]; }
bool InAttributeName(char c) { return Tables::lookup_attribute_name[static_cast<unsigned char>(c)]; }

bool IsXmlCharacter(unsigned long code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// The character of the reference at the start of `text` (which starts with "&") into `out`;
// the length of the reference, or 0 with `reason` set.
std::size_t ResolveReference(std::string_view text, std::string& out, std::string& reason) {
    const std::size_t semicolon = text.find(';');
    // A reference as a message quotes it: up to its ";", or a few characters when it has none.
    const auto quoted = [&] {
        return "'" + std::string(text.substr(0, semicolon == std::string_view::npos ? 8 : semicolon + 1)) + "'";
    };
    if (text.size() > 1 && text[1] == '#') {
        const bool hex = text.size() > 2 && (text[2] == 'x');
        std::size_t i = hex ? 3 : 2;
        unsigned long code = 0;
        const std::size_t digits = i;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            int digit = c >= '0' && c <= '9' ? c - '0' : -1;
            if (hex && digit < 0 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) digit = (c | 0x20) - 'a' + 10;
            if (digit < 0) break;
            code = std::min(code * (hex ? 16 : 10) + digit, 0x110000ul);  // past the last character stays past it
        }
        if (i == digits || i >= text.size() || text[i] != ';') {
            reason = quoted() + " is no character reference: digits and \";\" must follow \"&#\"";
            return 0;
        }
        if (!IsXmlCharacter(code)) {
            reason = quoted() + " refers to no character that XML allows";
            return 0;
        }
        if (code < 0x10000) {
            const char16_t unit = static_cast<char16_t>(code);
            AppendUtf8(std::u16string_view(&unit, 1), out);
        } else {
            const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)),
                                      static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF))};
            AppendUtf8(std::u16string_view(pair, 2), out);
        }
        return i + 1;
    }
    std::size_t i = 1;
    while (i < text.size() && InNodeName(text[i]) && text[i] != ';') ++i;
    if (i == 1 || i >= text.size() || text[i] != ';') {
        reason = "'&' begins no reference (a '&' of its own is written &amp;)";
        return 0;
    }
    constexpr std::pair<std::string_view, char> known[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [name, character] : known) {
        if (text.substr(1, i - 1) == name) {
            out += character;
            return i + 1;
        }
    }
    reason = "unknown entity " + quoted() + " (only &amp; &lt; &gt; &quot; &apos; are known)";
    return 0;
}

// Resolves the references of one value in place; the result is never longer than the value.
template <class Node>
bool ResolveValue(Node& node, const char*& where, std::string& reason) {
    const std::string_view value(node.value(), node.value_size());
    std::size_t at = value.find('&');
    if (at == std::string_view::npos) return true;
    std::string resolved(value.substr(0, at));
    while (at != std::string_view::npos) {
        const std::size_t length = ResolveReference(value.substr(at), resolved, reason);
        if (length == 0) {
            where = node.value() + at;
            return false;
        }
        const std::size_t next = value.find('&', at + length);
        resolved.append(value.substr(at + length, next - (at + length)));
        at = next;
    }
    std::copy(resolved.begin(), resolved.end(), node.value());
    node.value(node.value(), resolved.size());
    return true;
}

}  // namespace

bool ResolveXmlReferences(rapidxml::xml_document<char>& document, const char*& where, std::string& reason) {
    std::vector<XmlNode*> pending{&document};
    while (!pending.empty()) {
        XmlNode& node = *pending.back();
        pending.pop_back();
        for (rapidxml::xml_attribute<char>* attribute = node.first_attribute(); attribute;
             attribute = attribute->next_attribute()) {
            if (!ResolveValue(*attribute, where, reason)) return false;
        }
        for (XmlNode* child = node.first_node(); child; child = child->next_sibling()) {
            if (child->type() == rapidxml::node_element) {
                pending.push_back(child);
            } else if (child->type() == rapidxml::node_data) {
                // An element's own value is the text of its first data node, where both begin.
                const bool elementValue = node.value() == child->value();
                if (!ResolveValue(*child, where, reason)) return false;
                if (elementValue) node.value(child->value(), child->value_size());
            }
        }
    }
    return true;
}

std::size_t XmlNestingDepth(std::string_view text) {
    // The parser reads up to the first NUL; past the end, at() gives the NUL it would find there.
    text = text.substr(0, text.find('\0'));
    std::size_t i = 0, depth = 0, deepest = 0;
    const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    const auto startsAt = [&](std::size_t k, std::string_view prefix) {
        return text.compare(k, prefix.size(), prefix) == 0;
    };
    const auto skipSpace = [&] {
        while (IsXmlSpace(at(i))) ++i;
    };
    // Each return below is a place where the parser fails: it goes no deeper than it has been.
    const auto skipPast = [&](std::string_view end) {
        const std::size_t found = text.find(end, i);
        i = found == std::string_view::npos ? found : found + end.size();
        return found != std::string_view::npos;
    };
    if (startsAt(0, "\xEF\xBB\xBF")) i = 3;
    for (;;) {
        // Between the top-level nodes only white space; inside an element, text up to the next "<".
        if (depth == 0) {
            skipSpace();
            if (at(i) != '<') return deepest;
        } else if ((i = text.find('<', i)) == std::string_view::npos) {
            return deepest;
        }
        ++i;
        if (depth > 0 && at(i) == '/') {
            // Closing names are not compared: where they differ the parser stops anyway.
            for (++i; InNodeName(at(i));) ++i;
            skipSpace();
            if (at(i) != '>') return deepest;
            ++i, --depth;
        } else if (at(i) == '?') {
            // The XML declaration and processing instructions alike.
            if (++i, !skipPast("?>")) return deepest;
        } else if (startsAt(i, "!--")) {
            if (i += 3, !skipPast("-->")) return deepest;
        } else if (startsAt(i, "![CDATA[")) {
            if (i += 8, !skipPast("]]>")) return deepest;
        } else if (startsAt(i, "!DOCTYPE") && IsXmlSpace(at(i + 8))) {
            // Its internal subset in brackets may hold ">".
            for (i += 9; at(i) != '>'; ++i) {
                if (at(i) == '\0') return deepest;
                if (at(i) != '[') continue;
                for (int brackets = 1; brackets > 0;) {
                    ++i;
                    if (at(i) == '\0') return deepest;
                    brackets += at(i) == '[' ? 1 : at(i) == ']' ? -1 : 0;
                }
            }
            ++i;
        } else if (at(i) == '!') {
            // Any other "<!" node reaches to the first ">", brackets or not.
            if (!skipPast(">")) return deepest;
        } else {
            const std::size_t name = i;
            while (InNodeName(at(i))) ++i;
            if (i == name) return deepest;
            skipSpace();
            while (InAttributeName(at(i))) {
                while (InAttributeName(at(i))) ++i;
                skipSpace();
                if (at(i) != '=') return deepest;
                ++i;
                skipSpace();
                const char quote = at(i);
                if (quote != '"' && quote != '\'') return deepest;
                ++i;
                if (!skipPast(std::string_view(&quote, 1))) return deepest;
                skipSpace();
            }
            deepest = std::max(deepest, depth + 1);
            if (at(i) == '>') {
                ++i, ++depth;
            } else if (at(i) == '/' && at(i + 1) == '>') {
                i += 2;
            } else {
                return deepest;
            }
        }
    }
}

LoadResult XmlDocument::Load(LoadContext& context, const std::u16string& path, const Origin& origin, bool optional) {
    path_ = path;
    std::string bytes, reason;
    const ReadResult read = context.files.Read(path, bytes, reason);
    if (read == ReadResult::Missing && optional) return LoadResult::Missing;
    if (read != ReadResult::Read) {
        context.Report(origin.file, origin.line, "cannot read " + ToUtf8(path) + ": " + reason);
        return LoadResult::Failed;
    }
    std::size_t line = 0;
    if (!DecodeXmlText(bytes, text_, reason, line)) {
        context.Report(path, line, reason);
        return LoadResult::Failed;
    }
    bytes = std::string();
    if (XmlNestingDepth(text_) > MaxXmlDepth) {
        context.Report(path, 0, "elements nest more than " + std::to_string(MaxXmlDepth) + " levels deep");
        return LoadResult::Failed;
    }
    buffer_ = text_;
    const char* where = nullptr;
    try {
        document_->parse<XmlParseFlags>(buffer_.data());
    } catch (const rapidxml::parse_error& failure) {
        reason = failure.what(), where = failure.where<char>();
    }
    if (!where) ResolveXmlReferences(*document_, where, reason);
    if (where) {
        context.Report(path, LineAtOffset(where - buffer_.data()), "malformed XML: " + reason);
        return LoadResult::Failed;
    }
    if (!Root()) {
        context.Report(path, 0, "no root element");
        return LoadResult::Failed;
    }
    return LoadResult::Loaded;
}

bool XmlDocument::Expect(LoadContext& context, const char* rootName) const {
    if (Root()->name() == std::string_view(rootName)) return true;
    context.Report(path_, LineOf(*Root()), std::string("the root element is not ") + rootName);
    return false;
}

std::size_t XmlDocument::LineAtOffset(std::size_t offset) const {
    // Messages mostly come in the order of the file: go on from the last line found.
    if (offset < lineOffset_) lineOffset_ = 0, line_ = 1;
    offset = std::min(offset, text_.size());
    line_ += LineEndsBetween(text_, lineOffset_, offset);
    lineOffset_ = offset;
    return line_;
}

std::size_t XmlDocument::LineOf(const XmlNode& node) const {
    const std::ptrdiff_t offset = node.name() - buffer_.data();
    return offset >= 0 && static_cast<std::size_t>(offset) <= buffer_.size() ? LineAtOffset(offset) : 0;
}

bool XmlDocument::Attribute(LoadContext& context, const XmlNode& node, const char* name, std::u16string& text) const {
    const rapidxml::xml_attribute<char>* attribute = node.first_attribute(name);
    return Convert(context, node, name, attribute ? std::string_view(attribute->value(), attribute->value_size()) : "",
                   text);
}

bool XmlDocument::Metadata(LoadContext& context, const XmlNode& node, const char* name, std::u16string& text) const {
    std::string_view value;
    if (const XmlNode* child = node.first_node(name)) {
        value = {child->value(), child->value_size()};
    } else if (const rapidxml::xml_attribute<char>* attribute = node.first_attribute(name)) {
        value = {attribute->value(), attribute->value_size()};
    }
    return Convert(context, node, name, TrimXmlSpace(value), text);
}

bool XmlDocument::Convert(LoadContext& context, const XmlNode& node, const char* name, std::string_view value,
                          std::u16string& text) const {
    text.clear();
    if (AppendUtf16(value, text)) return true;
    context.Report(path_, LineOf(node), std::string(name) + " is not valid UTF-8");
    text.clear();
    return false;
}

}  // namespace sprig::loader
