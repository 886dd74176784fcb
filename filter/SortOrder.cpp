// Sorting files by the four columns, as the result list shows them.
//
// Two texts compare unit by unit after folding A-Z onto a-z (CompareFiles); the first key that
// differs decides. Comparing whole texts this way is slow for a million paths that share long
// beginnings, so the whole catalogue is sorted by a radix sort over the texts (SortByKeys): each
// file gets a 64-bit key made of the next few folded units of its text, the files are sorted by
// that key, and every run of files whose keys tie goes on from the units after it. Most keys hold
// eight units of one byte (paths are nearly all ASCII); a unit that does not fit a byte ends the
// key with a mark that still orders it after every narrower unit, and the tie goes on with keys of
// four 16-bit units. A run whose files all share one key skips the units they share beyond it in
// one pass (the common folders of a path), and a run of fewer than SmallRun files is finished by
// comparing texts. Files alike on one column go on to the next; ties on all four keep the order
// they came in, so the sort is stable.
//
// Each text unit is read about once per run that still ties on it, and the keys lie side by side,
// so most comparisons touch no text: the cost grows with the files times the units that tell
// them apart, not with the comparisons of a comparison sort. The work space is one item of four
// words per file. The order of all files for one set of keys is kept (FileOrder): after a header
// click the files already stand in the order of the other keys, and a stable sort by the clicked
// column alone gives the new order (SortFiles).
#include "filter/SortOrder.h"

#include <algorithm>
#include <unordered_map>

#include "catalogue/ResultRow.h"

namespace sprig {

SortOrder ProcessSortOrder;

void ApplyColumnClick(SortOrder& order, int column) {
    int place = 0;
    while (place < ColumnCount && order.keys[place] != column) ++place;
    if (place == ColumnCount) return;
    if (place == 0) {
        order.descending = !order.descending;
        return;
    }
    for (; place > 0; --place) order.keys[place] = order.keys[place - 1];
    order.keys[0] = column;
}

int CompareFiles(const FileEntry& a, const FileEntry& b, const std::int32_t* keys, int count) {
    for (int k = 0; k < count; ++k) {
        const char16_t* ta = ColumnText(a, keys[k]);
        const char16_t* tb = ColumnText(b, keys[k]);
        // Project names and paths are shared strings: the same pointer is the same text.
        if (ta == tb) continue;
        const int result = CompareIgnoringAsciiCase(ta, tb);
        if (result != 0) return result;
    }
    return 0;
}

int CompareRows(const void* a, const void* b) {
    const int result = CompareFiles(*static_cast<const ResultRow*>(a)->file, *static_cast<const ResultRow*>(b)->file,
                                    ProcessSortOrder.keys, ColumnCount);
    return ProcessSortOrder.descending ? -result : result;
}

namespace {

// One file while it is sorted: its text of the key being sorted by, a key made of the units of
// that text from the depth being sorted, and its place in the order before the sort.
struct SortItem {
    std::uint32_t high, low, place;
    const char16_t* text;
};

bool SameKey(const SortItem& a, const SortItem& b) { return a.high == b.high && a.low == b.low; }

bool ItemLess(const SortItem& a, const SortItem& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    return a.place < b.place;
}

// Two forms of key. Narrow: eight folded units of one byte each, so that paths, nearly all ASCII,
// take eight units a step. A unit that does not fit a byte (0xFF and up) ends the exact part: its
// byte and all after it are 0xFF, which still orders it after every narrower unit; texts tied on
// such a key continue from that unit. Wide: four folded units of 16 bits, for a step that begins
// with such a unit. In both, units past the end of the text are 0, below every unit.
constexpr std::uint32_t WideMark = 0xFF;

void LoadKey(SortItem& item, std::size_t depth, bool wide) {
    const char16_t* text = item.text + depth;
    std::uint32_t key[2] = {0, 0};
    if (wide) {
        for (int i = 0; i < 4 && text[i] != u'\0'; ++i) {
            key[i / 2] |= std::uint32_t{FoldAscii(text[i])} << (i % 2 ? 0 : 16);
        }
    } else {
        for (int i = 0; i < 8 && text[i] != u'\0'; ++i) {
            const std::uint32_t unit = FoldAscii(text[i]);
            if (unit >= WideMark) {
                for (; i < 8; ++i) key[i / 4] |= WideMark << (24 - 8 * (i % 4));
                break;
            }
            key[i / 4] |= unit << (24 - 8 * (i % 4));
        }
    }
    item.high = key[0];
    item.low = key[1];
}

// How far texts tied on a key agree beyond it, and the form of the next key: they end within the
// key, or agree on all its units, or, for a narrow key, on the units before the first that does
// not fit a byte, from which a wide step follows.
struct Step {
    std::size_t units;
    bool ended, wide;
};

Step NextStep(const SortItem& item, bool wide) {
    if (wide) return {4, (item.low & 0xFFFF) == 0, false};
    if ((item.low & 0xFF) == 0) return {0, true, false};
    std::size_t exact = 0;
    while (exact < 8 && ((exact < 4 ? item.high : item.low) >> (24 - 8 * (exact % 4)) & 0xFF) != WideMark) ++exact;
    return {exact, false, exact < 8};
}

// Files whose texts agree on keys before `key`, and on the first `depth` units of keys[key]; the
// form of key to sort them by next.
struct Run {
    std::size_t begin, end;
    int key;
    std::size_t depth;
    bool wide;
};

constexpr std::size_t SmallRun = 24;

// Sorts `order` stably by the first `count` of `keys`: a radix sort by several text units at a
// time from the front. The keys lie side by side, so most comparisons touch no text; each unit of text
// is read once per run that still ties on it. Small runs are sorted by comparing texts.
void SortByKeys(std::vector<std::uint32_t>& order, const std::deque<FileEntry>& files, const std::int32_t* keys,
                int count) {
    std::vector<SortItem> items(order.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].place = static_cast<std::uint32_t>(i);
        items[i].text = ColumnText(files[order[i]], keys[0]);
    }
    const auto fileAt = [&](const SortItem& item) -> const FileEntry& { return files[order[item.place]]; };

    std::vector<Run> runs{{0, items.size(), 0, 0, false}};
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        SortItem* const first = items.data() + run.begin;
        SortItem* const last = items.data() + run.end;
        if (run.end - run.begin < SmallRun) {
            std::sort(first, last, [&](const SortItem& a, const SortItem& b) {
                int result = CompareIgnoringAsciiCase(a.text + run.depth, b.text + run.depth);
                if (result == 0) result = CompareFiles(fileAt(a), fileAt(b), keys + run.key + 1, count - run.key - 1);
                return result != 0 ? result < 0 : a.place < b.place;
            });
            continue;
        }
        // The texts lie anywhere in memory: asking for them ahead keeps several on their way.
        constexpr std::ptrdiff_t Ahead = 8;
        for (SortItem* item = first; item != last; ++item) {
            if (last - item > Ahead) __builtin_prefetch(item[Ahead].text + run.depth);
            LoadKey(*item, run.depth, run.wide);
        }
        // A run enters in the order of places, so one key for all of it needs no sort; the units
        // its texts share beyond the key (the long common beginnings of paths) are then skipped
        // in one pass instead of four units at a time.
        if (std::any_of(first + 1, last, [first](const SortItem& item) { return !SameKey(item, *first); })) {
            std::sort(first, last, ItemLess);
        } else {
            const Step step = NextStep(*first, run.wide);
            if (!step.ended && !step.wide) {
                const std::size_t depth = run.depth + step.units;
                const char16_t* head = first->text + depth;
                std::size_t common = TextLength(head);
                for (SortItem* item = first + 1; item != last && common > 0; ++item) {
                    const char16_t* other = item->text + depth;
                    if (other == head) continue;
                    std::size_t n = 0;
                    while (n < common && FoldAscii(other[n]) == FoldAscii(head[n])) ++n;
                    common = n;
                }
                runs.push_back({run.begin, run.end, run.key, depth + common, false});
                continue;
            }
        }
        for (SortItem* tie = first; tie != last;) {
            SortItem* end = tie + 1;
            while (end != last && SameKey(*end, *tie)) ++end;
            const std::size_t begin = static_cast<std::size_t>(tie - items.data());
            const std::size_t stop = static_cast<std::size_t>(end - items.data());
            const Step step = NextStep(*tie, run.wide);
            if (end - tie >= 2 && !step.ended)
                runs.push_back({begin, stop, run.key, run.depth + step.units, step.wide});
            if (end - tie >= 2 && step.ended && run.key + 1 < count) {
                for (SortItem* item = tie; item != end; ++item)
                    item->text = ColumnText(fileAt(*item), keys[run.key + 1]);
                runs.push_back({begin, stop, run.key + 1, 0, false});
            }
            tie = end;
        }
    }
    std::vector<std::uint32_t> sorted(order.size());
    for (std::size_t i = 0; i < items.size(); ++i) sorted[i] = order[items[i].place];
    order.swap(sorted);
}

// Sorts `order` stably by the files' ranks.
void SortByRank(std::vector<std::uint32_t>& order, const std::vector<std::uint32_t>& ranks) {
    std::uint32_t most = 0;
    for (const std::uint32_t index : order) most = std::max(most, ranks[index]);
    std::vector<std::uint32_t> starts(std::size_t{most} + 2, 0);
    for (const std::uint32_t index : order) ++starts[ranks[index] + 1];
    for (std::size_t rank = 1; rank < starts.size(); ++rank) starts[rank] += starts[rank - 1];
    std::vector<std::uint32_t> sorted(order.size());
    for (const std::uint32_t index : order) sorted[starts[ranks[index]]++] = index;
    order.swap(sorted);
}

// The ranks of `column` read off `order`, which stands sorted by that column first.
std::vector<std::uint32_t> RanksInOrder(const std::vector<std::uint32_t>& order, const std::deque<FileEntry>& files,
                                        int column) {
    std::vector<std::uint32_t> ranks(files.size());
    std::uint32_t rank = 0;
    const char16_t* before = nullptr;
    for (const std::uint32_t index : order) {
        const char16_t* text = ColumnText(files[index], column);
        if (before && text != before && CompareIgnoringAsciiCase(before, text) != 0) ++rank;
        ranks[index] = rank;
        before = text;
    }
    return ranks;
}

// Project names and project paths are strings that many files share: the ranks of such a column
// come from sorting its few distinct strings, not the files.
bool SharesTexts(int column) { return column == ColumnProjectName || column == ColumnProjectPath; }

std::vector<std::uint32_t> SharedTextRanks(const std::deque<FileEntry>& files, int column) {
    std::vector<std::uint32_t> ranks(files.size());
    std::unordered_map<const char16_t*, std::uint32_t> slots;  // by string: its place in `texts`
    std::vector<const char16_t*> texts;
    const char16_t* before = nullptr;
    std::uint32_t slot = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        // Files of one folder follow one another: most share the string of the file before.
        const char16_t* text = ColumnText(files[i], column);
        if (i == 0 || text != before) {
            const auto found = slots.try_emplace(text, static_cast<std::uint32_t>(texts.size())).first;
            if (found->second == texts.size()) texts.push_back(text);
            slot = found->second;
            before = text;
        }
        ranks[i] = slot;
    }
    std::vector<std::uint32_t> bySlot(texts.size());
    for (std::uint32_t i = 0; i < bySlot.size(); ++i) bySlot[i] = i;
    std::sort(bySlot.begin(), bySlot.end(),
              [&texts](std::uint32_t a, std::uint32_t b) { return CompareIgnoringAsciiCase(texts[a], texts[b]) < 0; });
    std::vector<std::uint32_t> rankOfSlot(texts.size());
    std::uint32_t rank = 0;
    for (std::size_t k = 0; k < bySlot.size(); ++k) {
        if (k > 0 && CompareIgnoringAsciiCase(texts[bySlot[k - 1]], texts[bySlot[k]]) != 0) ++rank;
        rankOfSlot[bySlot[k]] = rank;
    }
    for (std::uint32_t& r : ranks) r = rankOfSlot[r];
    return ranks;
}

}  // namespace

bool IsSortedFor(const FileOrder& order, const std::deque<FileEntry>& files, const SortOrder& sortOrder) {
    return order.files.size() == files.size() && std::equal(sortOrder.keys, sortOrder.keys + ColumnCount, order.keys);
}

void SortFileIndices(std::vector<std::uint32_t>& indices, const std::deque<FileEntry>& files,
                     const SortOrder& sortOrder) {
    SortByKeys(indices, files, sortOrder.keys, ColumnCount);
}

void SortFiles(FileOrder& order, const std::deque<FileEntry>& files, const SortOrder& sortOrder) {
    const std::int32_t* keys = sortOrder.keys;
    if (IsSortedFor(order, files, sortOrder)) return;

    // The previous keys with keys[0] moved to the front: the files already stand in the order of
    // the other keys, so a stable sort by the new first key alone gives the whole new order.
    bool oneClick = order.files.size() == files.size() && order.keys[0] != keys[0];
    for (int from = 0, to = 1; oneClick && from < ColumnCount; ++from) {
        if (order.keys[from] == keys[0]) continue;
        oneClick = order.keys[from] == keys[to++];
    }
    const int leaving = order.keys[0];
    // Clear the keys first: should the sort run out of memory, the order counts as unsorted.
    std::fill(order.keys, order.keys + ColumnCount, -1);
    if (oneClick) {
        // Each column's ranks are kept once known, so that a click back to a column sorts by
        // numbers, not texts. The order being left stands sorted by its first column: its ranks
        // are read off as they stand.
        const auto known = [&](int column) { return order.ranks[column].size() == files.size(); };
        if (!known(leaving)) order.ranks[leaving] = RanksInOrder(order.files, files, leaving);
        if (!known(keys[0]) && SharesTexts(keys[0])) order.ranks[keys[0]] = SharedTextRanks(files, keys[0]);
        if (known(keys[0])) {
            SortByRank(order.files, order.ranks[keys[0]]);
        } else {
            SortByKeys(order.files, files, keys, 1);
        }
    } else {
        order.files.resize(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) order.files[i] = static_cast<std::uint32_t>(i);
        SortByKeys(order.files, files, keys, ColumnCount);
    }
    std::copy(keys, keys + ColumnCount, order.keys);
}

}  // namespace sprig
