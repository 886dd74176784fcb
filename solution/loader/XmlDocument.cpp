#include "solution/loader/XmlDocument.h"

#include <algorithm>

#include "solution/loader/TextDecoding.h"
#include "catalogue/Utf8.h"

namespace sprig::loader {

std::size_t XmlDepthBound(std::string_view text) {
    std::size_t depth = 0, deepest = 0, i = 0;
    const auto startsAt = [&](std::string_view prefix) { return text.compare(i, prefix.size(), prefix) == 0; };
    const auto skipPast = [&](std::string_view end) {
        const std::size_t at = text.find(end, i);
        i = at == std::string_view::npos ? text.size() : at + end.size();
    };
    while ((i = text.find('<', i)) != std::string_view::npos) {
        if (startsAt("<!--")) {
            i += 4, skipPast("-->");
        } else if (startsAt("<![CDATA[")) {
            i += 9, skipPast("]]>");
        } else if (startsAt("<?")) {
            i += 2, skipPast("?>");
        } else if (startsAt("<!")) {
            // A declaration such as DOCTYPE: its internal subset in brackets may hold ">".
            int brackets = 0;
            for (++i; i < text.size() && (brackets > 0 || text[i] != '>'); ++i) {
                brackets += text[i] == '[' ? 1 : text[i] == ']' ? -1 : 0;
            }
            ++i;
        } else {
            const bool closing = startsAt("</");
            char quote = 0, last = 0;
            for (++i; i < text.size() && (quote || text[i] != '>'); ++i) {
                if (quote) {
                    if (text[i] == quote) quote = 0;
                } else if (text[i] == '"' || text[i] == '\'') {
                    quote = text[i];
                }
                last = text[i];
            }
            ++i;
            if (closing) {
                depth -= depth > 0;
            } else if (last != '/') {
                deepest = std::max(deepest, ++depth);
            }
        }
    }
    return deepest;
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
    if (XmlDepthBound(text_) > MaxXmlDepth) {
        context.Report(path, 0, "elements nest more than " + std::to_string(MaxXmlDepth) + " levels deep");
        return LoadResult::Failed;
    }
    buffer_ = text_;
    try {
        document_->parse<rapidxml::parse_validate_closing_tags>(buffer_.data());
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
    if (AppendUtf16(value, text)) return true;
    context.Report(path_, LineOf(node), std::string(name) + " is not valid text (bad UTF-8 or character reference)");
    text.clear();
    return false;
}

}  // namespace sprig::loader
