#include "solution/loader/XmlDocument.h"

#include <algorithm>

#include "solution/loader/TextDecoding.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {

namespace {

using Tables = rapidxml::internal::lookup_tables<0>;
bool IsXmlSpace(char c) { return Tables::lookup_whitespace[static_cast<unsigned char>(c)]; }
bool InNodeName(char c) { return Tables::lookup_node_name[static_cast<unsigned char>(c)]; }
bool InAttributeName(char c) { return Tables::lookup_attribute_name[static_cast<unsigned char>(c)]; }

}  // namespace

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
    try {
        document_->parse<XmlParseFlags>(buffer_.data());
    } catch (const rapidxml::parse_error& failure) {
        context.Report(path, LineAtOffset(failure.where<char>() - buffer_.data()),
                       std::string("malformed XML: ") + failure.what());
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
    line_ += std::count(text_.begin() + lineOffset_, text_.begin() + offset, '\n');
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
    // A reference to NUL would cut every name made of the text short.
    if (value.find('\0') == std::string_view::npos && AppendUtf16(value, text)) return true;
    context.Report(path_, LineOf(node), std::string(name) + " is not valid text (bad UTF-8 or character reference)");
    text.clear();
    return false;
}

}  // namespace sprig::loader
