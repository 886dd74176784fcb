// A project file read, decoded and parsed into rapidxml's tree, with the means to turn its texts
// into UTF-16 and its nodes into line numbers for messages.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include <rapidxml.hpp>

#include "solution/loader/LoadContext.h"

namespace sprig::loader {

using XmlNode = rapidxml::xml_node<char>;

// Elements nested deeper than this are refused before parsing: the parser descends recursively,
// and real project files nest a few dozen levels at most.
constexpr std::size_t MaxXmlDepth = 1000;

// How project files are parsed. References (&amp;, &#65;) are resolved after parsing, by
// ResolveXmlReferences, since the parser keeps unknown ones as text and takes bad ones unevenly.
constexpr int XmlParseFlags = rapidxml::parse_validate_closing_tags | rapidxml::parse_no_entity_translation;

// Resolves the references in every attribute value and text of the elements under `document`,
// in place. The environment's XML reader refuses a file with any reference it cannot resolve, so
// this does too: false, with `where` pointing at the reference and `reason` saying why, at an
// unknown entity (only the five of XML are known: a DOCTYPE's are not read), a "&" that begins
// no reference, a reference without ";", and a character reference to a character that XML
// does not allow (NUL and other controls but tab, LF and CR, surrogates, U+FFFE, U+FFFF, and
// anything beyond U+10FFFF).
bool ResolveXmlReferences(rapidxml::xml_document<char>& document, const char*& where, std::string& reason);

// How deep the parser, given `text`, nests elements before it ends or fails (a root element is at
// depth 1). Found without recursion by reading the text as the parser reads it, with the parser's
// own character classes, so that no quote, name or declaration can make the two see different
// nestings.
std::size_t XmlNestingDepth(std::string_view text);

enum class LoadResult { Loaded, Missing, Failed };

// `text` without the XML white space (space, tab, CR, LF) at either end.
template <class Ch>
std::basic_string_view<Ch> TrimXmlSpace(std::basic_string_view<Ch> text) {
    constexpr Ch space[] = {Ch(' '), Ch('\t'), Ch('\r'), Ch('\n'), Ch(0)};
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::basic_string_view<Ch>::npos) return {};
    return text.substr(first, text.find_last_not_of(space) + 1 - first);
}

class XmlDocument {
public:
    // Reads, decodes and parses the file. Failed, with a message naming the file and the line,
    // when it cannot be decoded or parsed, or cannot be read (that message points at `origin`,
    // where the file is named). Missing, with no message, when an `optional` file is not there.
    LoadResult Load(LoadContext& context, const std::u16string& path, const Origin& origin, bool optional = false);

    // True when the root element has this name; else false with a message.
    bool Expect(LoadContext& context, const char* rootName) const;

    const XmlNode* Root() const { return document_->first_node(); }
    const std::u16string& Path() const { return path_; }

    // The line of a node's name in the file.
    std::size_t LineOf(const XmlNode& node) const;

    // An attribute of `node` as UTF-16, empty when there is none. False, with a message, when its
    // value is not valid UTF-8.
    bool Attribute(LoadContext& context, const XmlNode& node, const char* name, std::u16string& text) const;

    // MSBuild metadata of an item: the text of its child element of that name or else its
    // attribute of that name, with white space at either end taken off. As Attribute otherwise.
    bool Metadata(LoadContext& context, const XmlNode& node, const char* name, std::u16string& text) const;

private:
    std::size_t LineAtOffset(std::size_t offset) const;
    bool Convert(LoadContext& context, const XmlNode& node, const char* name, std::string_view value,
                 std::u16string& text) const;

    std::u16string path_;
    std::string text_;    // as decoded: line numbers are counted here
    std::string buffer_;  // a copy that the parser changes in place
    // On the heap: the parser's document carries a pool of 64 KB.
    std::unique_ptr<rapidxml::xml_document<char>> document_ = std::make_unique<rapidxml::xml_document<char>>();
    mutable std::size_t lineOffset_ = 0, line_ = 1;  // the last line found, and where
};

}  // namespace sprig::loader
