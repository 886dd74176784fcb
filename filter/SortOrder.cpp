#include "filter/SortOrder.h"

#include <algorithm>

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

// One file while it is sorted: its text of the key being sorted by, four folded units of it at
// the depth being sorted (units past its end are 0), and its place in the order before the sort.
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

void LoadKey(SortItem& item, std::size_t depth) {
    const char16_t* text = item.text + depth;
    std::uint32_t units[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && text[i] != u'\0'; ++i) units[i] = FoldAscii(text[i]);
    item.high = units[0] << 16 | units[1];
    item.low = units[2] << 16 | units[3];
}

// Files whose texts agree on keys before `key`, and on the first `depth` units of keys[key].
struct Run {
    std::size_t begin, end;
    int key;
    std::size_t depth;
};

constexpr std::size_t SmallRun = 24;

// Sorts `order` stably by the first `count` of `keys`: a radix sort by four text units at a time
// from the front. The keys lie side by side, so most comparisons touch no text; each unit of text
// is read once per run that still ties on it. Small runs are sorted by comparing texts.
void SortByKeys(std::vector<std::uint32_t>& order, const std::deque<FileEntry>& files, const std::int32_t* keys,
                int count) {
    std::vector<SortItem> items(order.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].place = static_cast<std::uint32_t>(i);
        items[i].text = ColumnText(files[order[i]], keys[0]);
    }
    const auto fileAt = [&](const SortItem& item) -> const FileEntry& { return files[order[item.place]]; };

    std::vector<Run> runs{{0, items.size(), 0, 0}};
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
            LoadKey(*item, run.depth);
        }
        // A run enters in the order of places, so one key for all of it needs no sort; the units
        // its texts share beyond the key (the long common beginnings of paths) are then skipped
        // in one pass instead of four units at a time.
        if (std::any_of(first + 1, last, [first](const SortItem& item) { return !SameKey(item, *first); })) {
            std::sort(first, last, ItemLess);
        } else if ((first->low & 0xFFFF) != 0) {
            const std::size_t depth = run.depth + 4;
            const char16_t* head = first->text + depth;
            std::size_t common = TextLength(head);
            for (SortItem* item = first + 1; item != last && common > 0; ++item) {
                const char16_t* other = item->text + depth;
                if (other == head) continue;
                std::size_t n = 0;
                while (n < common && FoldAscii(other[n]) == FoldAscii(head[n])) ++n;
                common = n;
            }
            runs.push_back({run.begin, run.end, run.key, depth + common});
            continue;
        }
        for (SortItem* tie = first; tie != last;) {
            SortItem* end = tie + 1;
            while (end != last && SameKey(*end, *tie)) ++end;
            const std::size_t begin = static_cast<std::size_t>(tie - items.data());
            const std::size_t stop = static_cast<std::size_t>(end - items.data());
            const bool textEnded = (tie->low & 0xFFFF) == 0;
            if (end - tie >= 2 && !textEnded) runs.push_back({begin, stop, run.key, run.depth + 4});
            if (end - tie >= 2 && textEnded && run.key + 1 < count) {
                for (SortItem* item = tie; item != end; ++item)
                    item->text = ColumnText(fileAt(*item), keys[run.key + 1]);
                runs.push_back({begin, stop, run.key + 1, 0});
            }
            tie = end;
        }
    }
    std::vector<std::uint32_t> sorted(order.size());
    for (std::size_t i = 0; i < items.size(); ++i) sorted[i] = order[items[i].place];
    order.swap(sorted);
}

}  // namespace

void SortFiles(FileOrder& order, const std::deque<FileEntry>& files, const SortOrder& sortOrder) {
    const std::int32_t* keys = sortOrder.keys;
    if (order.files.size() == files.size() && std::equal(keys, keys + ColumnCount, order.keys)) return;

    // The previous keys with keys[0] moved to the front: the files already stand in the order of
    // the other keys, so a stable sort by the new first key alone gives the whole new order.
    bool oneClick = order.files.size() == files.size() && order.keys[0] != keys[0];
    for (int from = 0, to = 1; oneClick && from < ColumnCount; ++from) {
        if (order.keys[from] == keys[0]) continue;
        oneClick = order.keys[from] == keys[to++];
    }
    // Clear the keys first: should the sort run out of memory, the order counts as unsorted.
    std::fill(order.keys, order.keys + ColumnCount, -1);
    if (oneClick) {
        SortByKeys(order.files, files, keys, 1);
    } else {
        order.files.resize(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) order.files[i] = static_cast<std::uint32_t>(i);
        SortByKeys(order.files, files, keys, ColumnCount);
    }
    std::copy(keys, keys + ColumnCount, order.keys);
}

}  // namespace sprig
