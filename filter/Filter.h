// The filter query language: parsing a typed query into terms, and testing files against them.
//
// White space separates terms and double quotes group. Prefixes before a term choose the column
// ("/" or "\" the path, ":" the project name, both the project path), negate it ("!" or "-") and
// make it required ("&", the default) or alternative ("|"). What a term then means, and how the
// terms decide together, is said in Term.h.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/FileEntry.h"
#include "catalogue/Text.h"
#include "filter/Term.h"
#include "filter/TermIndex.h"

namespace sprig {

// One parsed query. Read-only once parsed: everything that matching keeps from file to file
// lives in a FilterMatcher.
struct ParsedFilter {
    OwnedText buffer;               // null when the query was empty
    std::vector<FilterTerm> terms;  // in the order the terms stand in the query
    bool hasAlternatives = false;   // some term is an alternative: a file must hold one of them
    TermIndex index;                // the terms arranged for testing many files; long queries only
};

// Replaces `filter`'s buffer and terms with those of `text`.
void ParseFilter(std::u16string_view text, ParsedFilter& filter);

// Cuts the pattern of term `i` to its first `length` units while the query is being parsed, and
// keeps the index in step with it.
void ShortenTerm(ParsedFilter& filter, std::size_t i, std::uint32_t length);

// A copy of `filter` that owns its text, to be kept after the parse it came from is gone.
ParsedFilter CopyFilter(const ParsedFilter& filter);

// Whether every file that passes `next` passes `shown` too, as far as the terms tell: each
// required term of `shown` is implied by a required term of `next` and, when `shown` has
// alternatives, `next` has some and each of them implies one of those.
bool Narrows(const ParsedFilter& next, const ParsedFilter& shown);

// Tests files against one parsed filter. It keeps the term index's work space from file to file,
// so each refresh owns one (one for each thread that tests files); the filter outlives it.
class FilterMatcher {
public:
    explicit FilterMatcher(const ParsedFilter& filter);

    // Whether the file passes (see Term.h). `position` becomes the smallest position among the
    // terms that hold (-1 when there are no terms).
    bool Matches(const FileEntry& file, std::int32_t& position) {
        if (plain_) {
            position = FindPlain(ColumnText(file, plain_->column), *plain_);
            return position >= 0;
        }
        return MatchTerms(file, position);
    }

private:
    bool MatchTerms(const FileEntry& file, std::int32_t& position);

    const ParsedFilter& filter_;
    // The one term of a query of one term without wildcards, not negated (what most typing
    // makes): the file passes where its text is found, at that place. Null for other queries.
    const FilterTerm* plain_;
    IndexScratch scratch_;
};

}  // namespace sprig
