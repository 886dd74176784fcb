// Sorting files by the four columns, as the result list shows them.
//
// Two texts compare unit by unit after folding A-Z onto a-z (CompareFiles); the first key that
// differs decides. Comparing whole texts is slow for a million paths that share long beginnings,
// so files are sorted by ranks: a column's rank of a file is the place of its text among the
// column's distinct texts, files alike in the column sharing one. A stable counting sort by the
// ranks of each key in turn, from the last key to the first, then sorts by all of them.
//
// Names: many files share one, so the distinct names are found by hashing (NameRanks) and ranked
// by a radix sort of their texts (RankTexts): each text gets a 64-bit key of its next few folded
// units, the texts are sorted in place by the first byte in which their keys differ, and each
// group whose keys tie loads the units after them. Paths are never compared whole. A path is its
// folder (up to its last slash) and its name; paths compare as the sequences of their
// components, each folder component with its slash. So the files of one folder stand in the
// order of their names, and a folder's files stand among the folders below it where each name
// falls between the next components of those folders (a name holds no slash: comparing it with a
// folder below is decided within that folder's next component). The few distinct folders are
// ranked by RankTexts, and the files placed among them by their names (PathOrder). Project names
// and paths are strings that many files share: their ranks come from sorting their few distinct
// strings.
//
// The order of all files for one set of keys is kept (FileOrder), and with it each column's
// ranks: after a header click the files already stand in the order of the other keys, and a
// stable counting sort by the clicked column's ranks gives the new order (SortFiles).
#include "filter/SortOrder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

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

using Indices = std::vector<std::uint32_t>;

// The files being sorted: every file of the catalogue, a file's place being its index, or some
// of them, given by their indices.
class FileSet {
public:
    FileSet(const std::deque<FileEntry>& files, const Indices* some) : files_(files), some_(some) {}
    std::size_t size() const { return some_ ? some_->size() : files_.size(); }
    const FileEntry& operator[](std::size_t place) const { return files_[some_ ? (*some_)[place] : place]; }

private:
    const std::deque<FileEntry>& files_;
    const Indices* some_;
};

// A text that ends at its terminator or after `length` units, whichever comes first.
struct TextView {
    const char16_t* text;
    std::size_t length;
};
constexpr std::size_t Unbounded = std::numeric_limits<std::size_t>::max();

char16_t UnitAt(const TextView& view, std::size_t i) { return i < view.length ? view.text[i] : u'\0'; }

// CompareIgnoringAsciiCase for views, from unit `from` on, where both agree before it.
int CompareViews(const TextView& a, const TextView& b, std::size_t from) {
    for (std::size_t i = from;; ++i) {
        const char16_t ua = UnitAt(a, i), ub = UnitAt(b, i);
        if (ua == ub) {
            if (ua == u'\0') return 0;
            continue;
        }
        const int fa = FoldAscii(ua), fb = FoldAscii(ub);
        if (fa != fb) return fa - fb;
    }
}

// One text while RankTexts sorts it: a key made of its units from the depth being sorted, and its
// place among the texts ranked.
struct TextItem {
    std::uint32_t high, low, place;
};

// Two forms of key, both ordered as the units they hold when read as one 64-bit number. Narrow:
// eight folded units of one byte each, so that paths, nearly all ASCII, take eight units a step.
// A unit that does not fit a byte (0xFF and up) ends the exact part: its byte and all after it are
// 0xFF, which still orders it after every narrower unit; texts tied on such a key continue from
// that unit. Wide: four folded units of 16 bits, for a step that begins with such a unit. In
// both, units past the end of the text are 0, below every unit.
constexpr std::uint32_t WideMark = 0xFF;

void LoadKey(TextItem& item, const TextView& view, std::size_t depth, bool wide) {
    std::uint32_t key[2] = {0, 0};
    if (wide) {
        for (std::size_t i = 0; i < 4; ++i) {
            const char16_t unit = UnitAt(view, depth + i);
            if (unit == u'\0') break;
            key[i / 2] |= std::uint32_t{FoldAscii(unit)} << (i % 2 ? 0 : 16);
        }
    } else {
        for (std::size_t i = 0; i < 8; ++i) {
            const char16_t unit = UnitAt(view, depth + i);
            if (unit == u'\0') break;
            const std::uint32_t folded = FoldAscii(unit);
            if (folded >= WideMark) {
                for (; i < 8; ++i) key[i / 4] |= WideMark << (24 - 8 * (i % 4));
                break;
            }
            key[i / 4] |= folded << (24 - 8 * (i % 4));
        }
    }
    item.high = key[0];
    item.low = key[1];
}

// Byte `byte` of an item's key, from the most significant.
std::uint32_t KeyByte(const TextItem& item, int byte) {
    return (byte < 4 ? item.high >> (24 - 8 * byte) : item.low >> (56 - 8 * byte)) & 0xFF;
}

// How far texts tied on a whole key agree: they end within it, or agree on `units` units, after
// which a wide key follows when a narrow one met a unit that does not fit a byte.
struct Step {
    std::size_t units;
    bool ended, wide;
};

Step KeyStep(const TextItem& item, bool wide) {
    if (wide) return {4, (item.low & 0xFFFF) == 0, false};
    for (int byte = 0; byte < 8; ++byte) {
        const std::uint32_t unit = KeyByte(item, byte);
        if (unit == 0) return {std::size_t(byte), true, false};
        if (unit == WideMark) return {std::size_t(byte), false, true};
    }
    return {8, false, false};
}

// Files whose texts agree before `depth` and on the first `byte` bytes of their keys from there.
// An ended run holds texts that are alike.
struct Run {
    std::size_t begin, end, depth;
    int byte;
    bool wide, ended;
};

// Below this many texts a run is sorted by comparing them.
constexpr std::ptrdiff_t SmallRun = 32;

// How many texts ahead of the one whose key is loaded its entry, then its text, is asked for: the
// texts lie anywhere in memory, and asking ahead keeps several on their way.
constexpr std::ptrdiff_t Ahead = 8;

// Ranks the texts of places 0 to count - 1 of `source` (Source::View(place) gives a text,
// Source::Entry(place) what to ask for first to reach it): alike texts share a rank, ranks ascend
// in the order of the texts. Answers the ranks by place.
template <class Source>
Indices RankTexts(const Source& source, std::size_t count) {
    Indices ranks(count);
    std::vector<TextItem> items(count);
    for (std::size_t i = 0; i < count; ++i) items[i].place = static_cast<std::uint32_t>(i);
    std::uint32_t rank = 0;

    // Runs are taken from the back, and a run's parts pushed last to first, so that runs end in
    // the order of their texts and take their ranks in turn.
    std::vector<Run> runs;
    if (count > 0) runs.push_back({0, count, 0, 0, false, false});
    const auto push = [&runs](std::size_t begin, std::size_t end, std::size_t depth, int byte, bool wide, bool ended) {
        runs.push_back({begin, end, depth, byte, wide, ended});
    };
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        TextItem* const first = items.data() + run.begin;
        TextItem* const last = items.data() + run.end;
        if (run.ended || last - first == 1) {
            for (TextItem* item = first; item != last; ++item) ranks[item->place] = rank;
            ++rank;
            continue;
        }
        if (run.byte == 0) {
            for (TextItem* item = first; item != last; ++item) {
                if (last - item > 2 * Ahead) __builtin_prefetch(source.Entry(item[2 * Ahead].place));
                if (last - item > Ahead) __builtin_prefetch(source.View(item[Ahead].place).text + run.depth);
                LoadKey(*item, source.View(item->place), run.depth, run.wide);
            }
        }
        if (last - first < SmallRun) {
            // Texts tied on their keys go on from the units after them.
            const auto compare = [&](const TextItem& a, const TextItem& b) {
                if (a.high != b.high) return a.high < b.high ? -1 : 1;
                if (a.low != b.low) return a.low < b.low ? -1 : 1;
                const Step step = KeyStep(a, run.wide);
                if (step.ended) return 0;
                const int result = CompareViews(source.View(a.place), source.View(b.place), run.depth + step.units);
                return result < 0 ? -1 : result > 0 ? 1 : 0;
            };
            for (TextItem* item = first + 1; item != last; ++item) {
                const TextItem moving = *item;
                TextItem* to = item;
                for (; to != first && compare(moving, to[-1]) < 0; --to) *to = to[-1];
                *to = moving;
            }
            for (TextItem* item = first; item != last; ++item) {
                if (item != first && compare(item[-1], *item) != 0) ++rank;
                ranks[item->place] = rank;
            }
            ++rank;
            continue;
        }

        // The first byte in which the keys differ: texts whose keys are all alike go on after the
        // whole key at once, and bytes alike in all keys are passed over.
        std::uint32_t differHigh = 0, differLow = 0;
        for (const TextItem* item = first + 1; item != last; ++item) {
            differHigh |= item->high ^ first->high;
            differLow |= item->low ^ first->low;
        }
        if (differHigh == 0 && differLow == 0) {
            const Step step = KeyStep(*first, run.wide);
            push(run.begin, run.end, run.depth + step.units, 0, step.wide, step.ended);
            continue;
        }
        int byte = 0;
        for (std::uint32_t differ = differHigh ? differHigh : differLow; differ < 0x1000000u; differ <<= 8) ++byte;
        if (differHigh == 0) byte += 4;

        // The run sorted by that byte of its keys, in place: counted, then each item swapped into
        // its byte's part (an American flag sort).
        std::size_t starts[257] = {};
        std::uint32_t low = 255, high = 0;
        for (const TextItem* item = first; item != last; ++item) {
            const std::uint32_t digit = KeyByte(*item, byte);
            ++starts[digit + 1];
            low = std::min(low, digit);
            high = std::max(high, digit);
        }
        for (std::uint32_t digit = low; digit <= high; ++digit) starts[digit + 1] += starts[digit];
        std::size_t next[256];
        std::copy(starts + low, starts + high + 1, next + low);
        for (std::uint32_t digit = low; digit <= high; ++digit) {
            while (next[digit] < starts[digit + 1]) {
                TextItem item = first[next[digit]];
                for (std::uint32_t other = KeyByte(item, byte); other != digit; other = KeyByte(item, byte)) {
                    std::swap(item, first[next[other]++]);
                }
                first[next[digit]++] = item;
            }
        }
        for (std::uint32_t digit = high + 1; digit-- > low;) {
            const std::size_t begin = run.begin + starts[digit], end = run.begin + starts[digit + 1];
            if (begin == end) continue;
            if (!run.wide) {
                // A zero unit ends the texts; the mark starts wide keys from its unit.
                if (digit == 0) {
                    push(begin, end, run.depth, 0, false, true);
                } else if (digit == WideMark) {
                    push(begin, end, run.depth + std::size_t(byte), 0, true, false);
                } else if (byte == 7) {
                    push(begin, end, run.depth + 8, 0, false, false);
                } else {
                    push(begin, end, run.depth, byte + 1, false, false);
                }
            } else if (byte == 7) {
                push(begin, end, run.depth + 4, 0, false, false);
            } else {
                push(begin, end, run.depth, byte + 1, true, false);
            }
        }
    }
    return ranks;
}

// The names of a set of files, for RankTexts.
struct NameSource {
    const FileSet& set;
    const void* Entry(std::uint32_t place) const { return &set[place]; }
    TextView View(std::uint32_t place) const {
        const FileEntry& file = set[place];
        return {file.path + file.nameOffset, Unbounded};
    }
};

// Texts given by their pointers, for RankTexts.
struct TextListSource {
    const std::vector<const char16_t*>& texts;
    const void* Entry(std::uint32_t place) const { return texts[place]; }
    TextView View(std::uint32_t place) const { return {texts[place], Unbounded}; }
};

// The ranks of the names of a set. Many files share a name, and names read in the order of the
// set mostly lie in the order of memory: the distinct names are found by hashing them as they
// lie, and only those are sorted. Where most names differ, all are sorted at once instead.
Indices NameRanks(const FileSet& set) {
    constexpr std::uint32_t None = std::numeric_limits<std::uint32_t>::max();
    const std::size_t count = set.size();
    Indices ranks(count);  // each place's distinct name, then its rank
    std::vector<const char16_t*> distinctNames;
    Indices hashes;  // by distinct name
    Indices slots(1024, None);
    bool many = false;
    for (std::size_t place = 0; place < count && !many; ++place) {
        const FileEntry& file = set[place];
        const char16_t* name = file.path + file.nameOffset;
        std::uint32_t hash = 2166136261u;
        for (const char16_t* unit = name; *unit != u'\0'; ++unit) hash = (hash ^ FoldAscii(*unit)) * 16777619u;
        hash ^= hash >> 15;
        std::size_t slot = hash & (slots.size() - 1);
        for (;; slot = (slot + 1) & (slots.size() - 1)) {
            const std::uint32_t found = slots[slot];
            if (found == None) break;
            if (hashes[found] != hash) continue;
            if (CompareIgnoringAsciiCase(distinctNames[found], name) == 0) break;
        }
        std::uint32_t distinct = slots[slot];
        if (distinct == None) {
            // Past half the files, sorting the names of all costs less than sorting the distinct.
            if (distinctNames.size() >= count / 2) {
                many = true;
                break;
            }
            distinct = slots[slot] = static_cast<std::uint32_t>(distinctNames.size());
            distinctNames.push_back(name);
            hashes.push_back(hash);
            // At most half the slots full: the table doubles.
            if (2 * distinctNames.size() > slots.size()) {
                slots.assign(2 * slots.size(), None);
                for (std::uint32_t known = 0; known < hashes.size(); ++known) {
                    std::size_t free = hashes[known] & (slots.size() - 1);
                    while (slots[free] != None) free = (free + 1) & (slots.size() - 1);
                    slots[free] = known;
                }
            }
        }
        ranks[place] = distinct;
    }
    Indices().swap(slots);
    Indices().swap(hashes);
    if (many) {
        std::vector<const char16_t*>().swap(distinctNames);
        Indices().swap(ranks);
        return RankTexts(NameSource{set}, count);
    }
    const Indices distinctRanks = RankTexts(TextListSource{distinctNames}, distinctNames.size());
    for (std::uint32_t& rank : ranks) rank = distinctRanks[rank];
    return ranks;
}

// Sorts `order` stably by the ranks of its entries: one counting pass up to 65536 ranks, else two,
// by the low half and then the high half of the ranks, so that the counts stay small.
void SortByRank(Indices& order, const Indices& ranks) {
    std::uint32_t most = 0;
    for (const std::uint32_t rank : ranks) most = std::max(most, rank);
    Indices sorted(order.size());
    // A pass by the digits (rank >> shift) & mask, of which `most` is the largest.
    const auto pass = [&ranks](const Indices& from, Indices& to, int shift, std::uint32_t mask, std::uint32_t most) {
        Indices starts(std::size_t{most} + 2, 0);
        for (const std::uint32_t entry : from) ++starts[((ranks[entry] >> shift) & mask) + 1];
        for (std::size_t digit = 1; digit < starts.size(); ++digit) starts[digit] += starts[digit - 1];
        for (const std::uint32_t entry : from) to[starts[(ranks[entry] >> shift) & mask]++] = entry;
    };
    if (most <= 0xFFFF) {
        pass(order, sorted, 0, 0xFFFF, most);
        order.swap(sorted);
    } else {
        pass(order, sorted, 0, 0xFFFF, 0xFFFF);
        pass(sorted, order, 16, 0xFFFF, most >> 16);
    }
}

// Project names and project paths are strings that many files share: the ranks of such a column
// come from sorting its few distinct strings, not the files.
Indices SharedTextRanks(const FileSet& set, int column) {
    Indices ranks(set.size());
    std::unordered_map<const char16_t*, std::uint32_t> slots;  // by string: its place in `texts`
    std::vector<const char16_t*> texts;
    const char16_t* before = nullptr;
    std::uint32_t slot = 0;
    for (std::size_t i = 0; i < set.size(); ++i) {
        // Files of one folder follow one another: most share the string of the file before.
        const char16_t* text = ColumnText(set[i], column);
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

// A folder: the beginning of a path up to its last slash.
struct Folder {
    const char16_t* path;
    std::size_t length;
};

struct FolderSource {
    const std::vector<Folder>& folders;
    const void* Entry(std::uint32_t place) const { return folders[place].path; }
    TextView View(std::uint32_t place) const { return {folders[place].path, folders[place].length}; }
};

std::size_t FolderLength(const FileEntry& file) {
    // The offset is 0 for a name without a folder, and for a folder too long for it.
    return file.nameOffset > 0 ? file.nameOffset : NameStart(file.path);
}

std::uint64_t FoldedHash(const char16_t* text, std::size_t length) {
    std::uint64_t hash = 14695981039346656037u;
    for (std::size_t i = 0; i < length; ++i) hash = (hash ^ FoldAscii(text[i])) * 1099511628211u;
    return hash;
}

// Each place's folder, folders alike ignoring ASCII case being one, and the folders themselves.
Indices FoldersOf(const FileSet& set, std::vector<Folder>& folders) {
    constexpr std::uint32_t None = std::numeric_limits<std::uint32_t>::max();
    Indices folderOf(set.size());
    std::unordered_map<std::uint64_t, std::uint32_t> byHash;  // the first folder of each hash
    Indices sameHash;                                         // by folder: the next one of its hash
    Folder before{nullptr, 0};
    for (std::size_t place = 0; place < set.size(); ++place) {
        const Folder folder{set[place].path, FolderLength(set[place])};
        // Files of one folder mostly follow one another, and their paths then begin alike.
        if (place > 0 && folder.length == before.length &&
            std::equal(folder.path, folder.path + folder.length, before.path)) {
            folderOf[place] = folderOf[place - 1];
            continue;
        }
        before = folder;
        const auto found = byHash.try_emplace(FoldedHash(folder.path, folder.length), None).first;
        std::uint32_t* link = &found->second;
        while (*link != None &&
               !(folders[*link].length == folder.length &&
                 CompareViews({folders[*link].path, folder.length}, {folder.path, folder.length}, 0) == 0)) {
            link = &sameHash[*link];
        }
        if (*link == None) {
            *link = static_cast<std::uint32_t>(folders.size());
            folders.push_back(folder);
            sameHash.push_back(None);
        }
        folderOf[place] = *link;
    }
    return folderOf;
}

// The places of `set` in the order of their paths, given the ranks of their names. `folderOf` is
// left with each place's folder, by the folders' order; `sharedPaths` tells whether two places
// have one path.
Indices PathOrder(const FileSet& set, const Indices& names, Indices& folderOf, bool& sharedPaths) {
    std::vector<Folder> folders;
    folderOf = FoldersOf(set, folders);
    const std::size_t count = folders.size();
    {
        // Alike folders are one, so every folder has a rank of its own.
        const Indices folderRank = RankTexts(FolderSource{folders}, count);
        std::vector<Folder> ranked(count);
        for (std::size_t folder = 0; folder < count; ++folder) ranked[folderRank[folder]] = folders[folder];
        folders.swap(ranked);
        for (std::uint32_t& folder : folderOf) folder = folderRank[folder];
    }

    // The folders below a folder follow it in the order of the folders: the last of them.
    Indices lastBelow(count);
    std::vector<std::uint32_t> open;
    for (std::uint32_t rank = 0; rank < count; ++rank) {
        const Folder& folder = folders[rank];
        while (!open.empty()) {
            const Folder& above = folders[open.back()];
            if (above.length < folder.length &&
                CompareViews({above.path, above.length}, {folder.path, above.length}, 0) == 0) {
                break;
            }
            lastBelow[open.back()] = rank - 1;
            open.pop_back();
        }
        open.push_back(rank);
    }
    for (const std::uint32_t rank : open) lastBelow[rank] = static_cast<std::uint32_t>(count - 1);

    // The files grouped by folder, in the order of the folders, each folder's by name. Files of
    // one folder mostly follow one another, so the groups fill in runs.
    Indices starts(count + 1, 0);
    for (const std::uint32_t folder : folderOf) ++starts[folder + 1];
    for (std::size_t rank = 0; rank < count; ++rank) starts[rank + 1] += starts[rank];
    Indices grouped(folderOf.size());
    {
        Indices next(starts.begin(), starts.end() - 1);
        for (std::uint32_t place = 0; place < folderOf.size(); ++place) grouped[next[folderOf[place]]++] = place;
    }
    // A folder's files are sorted by their ranks and places in one number each, which compare
    // without reading the ranks again; a folder of very many files is sorted where it lies.
    constexpr std::size_t MostKeyed = 4096;
    std::vector<std::uint64_t> keyed;
    sharedPaths = false;
    for (std::size_t rank = 0; rank < count; ++rank) {
        const auto first = grouped.begin() + starts[rank], last = grouped.begin() + starts[rank + 1];
        if (std::size_t(last - first) > MostKeyed) {
            std::sort(first, last, [&names](std::uint32_t a, std::uint32_t b) { return names[a] < names[b]; });
        } else {
            keyed.clear();
            for (auto place = first; place != last; ++place)
                keyed.push_back(std::uint64_t{names[*place]} << 32 | *place);
            std::sort(keyed.begin(), keyed.end());
            for (std::size_t i = 0; i < keyed.size(); ++i) first[i] = static_cast<std::uint32_t>(keyed[i]);
        }
        for (auto place = first; !sharedPaths && place + 1 < last; ++place)
            sharedPaths = names[place[0]] == names[place[1]];
    }

    // A folder's files in parts, each part standing before the folder of rank `before` (count:
    // after all of them): a name stands before the first folder below whose next component sorts
    // after it; the folders below one that sorts before it are passed at once.
    struct Part {
        std::uint32_t before, rank, begin, end;
    };
    std::vector<Part> parts;
    parts.reserve(count);
    for (std::uint32_t rank = 0; rank < count; ++rank) {
        const std::uint32_t begin = starts[rank], end = starts[rank + 1];
        if (lastBelow[rank] == rank) {
            parts.push_back({rank + 1, rank, begin, end});
            continue;
        }
        const std::size_t length = folders[rank].length;
        std::uint32_t below = rank + 1;
        for (std::uint32_t k = begin; k < end; ++k) {
            if (end - k > 2 * Ahead) __builtin_prefetch(&set[grouped[k + 2 * Ahead]]);
            if (end - k > Ahead) __builtin_prefetch(set[grouped[k + Ahead]].path + length);
            const TextView name{set[grouped[k]].path + length, Unbounded};
            while (below <= lastBelow[rank]) {
                const Folder& folder = folders[below];
                if (CompareViews({folder.path + length, folder.length - length}, name, 0) > 0) break;
                below = lastBelow[below] + 1;
            }
            if (k > begin && parts.back().before == below) {
                parts.back().end = k + 1;
            } else {
                parts.push_back({below, rank, k, k + 1});
            }
        }
    }
    // Parts before one folder: the deeper folder's files first, as they end its folders below.
    std::sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) {
        return a.before != b.before ? a.before < b.before : a.rank > b.rank;
    });
    Indices order;
    order.reserve(grouped.size());
    for (const Part& part : parts) order.insert(order.end(), grouped.begin() + part.begin, grouped.begin() + part.end);
    return order;
}

// The ranks of the paths from their order: paths alike ignoring ASCII case are of one folder and
// have names of one rank.
Indices PathRanks(const Indices& order, const Indices& names, const Indices& folderOf) {
    Indices ranks(order.size());
    std::uint32_t rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint32_t place = order[i], before = i > 0 ? order[i - 1] : place;
        if (folderOf[place] != folderOf[before] || names[place] != names[before]) ++rank;
        ranks[place] = rank;
    }
    return ranks;
}

// The ranks of `column` for every place of `set`, from `known[column]` when it holds them, else
// made and left there, with those they were made from.
const Indices& ColumnRanks(const FileSet& set, int column, Indices* known) {
    Indices& ranks = known[column];
    if (ranks.size() == set.size()) return ranks;
    if (column == ColumnFileName) {
        ranks = NameRanks(set);
    } else if (column == ColumnFilePath) {
        const Indices& names = ColumnRanks(set, ColumnFileName, known);
        Indices folderOf;
        bool sharedPaths;
        ranks = PathRanks(PathOrder(set, names, folderOf, sharedPaths), names, folderOf);
    } else {
        ranks = SharedTextRanks(set, column);
    }
    return ranks;
}

// The places of `set` in the order of `keys`. `known` holds each column's ranks by place where
// they are known already, and is left with those made here; the ranks of the paths are made
// when `rankPaths` asks for them.
Indices SortedPlaces(const FileSet& set, const std::int32_t* keys, Indices* known, bool rankPaths) {
    const Indices& names = ColumnRanks(set, ColumnFileName, known);
    Indices folderOf;
    bool sharedPaths;
    Indices order = PathOrder(set, names, folderOf, sharedPaths);
    if (rankPaths) known[ColumnFilePath] = PathRanks(order, names, folderOf);
    // The keys before the path, from the last to the first.
    int path = 0;
    while (keys[path] != ColumnFilePath) ++path;
    for (int k = path - 1; k >= 0; --k) SortByRank(order, ColumnRanks(set, keys[k], known));
    if (!sharedPaths || path + 1 == ColumnCount) return order;

    // Files alike on the keys up to the path (one path listed twice) go on by the keys after it.
    const auto alike = [&](std::uint32_t a, std::uint32_t b) {
        if (folderOf[a] != folderOf[b] || names[a] != names[b]) return false;
        for (int k = 0; k < path; ++k) {
            if (keys[k] != ColumnFileName && known[keys[k]][a] != known[keys[k]][b]) return false;
        }
        return true;
    };
    for (std::size_t start = 0, end; start < order.size(); start = end) {
        for (end = start + 1; end < order.size() && alike(order[start], order[end]);) ++end;
        if (end - start < 2) continue;
        std::sort(order.begin() + start, order.begin() + end, [&](std::uint32_t a, std::uint32_t b) {
            return CompareFiles(set[a], set[b], keys + path + 1, ColumnCount - path - 1) < 0;
        });
    }
    return order;
}

}  // namespace

bool IsSortedFor(const FileOrder& order, const std::deque<FileEntry>& files, const SortOrder& sortOrder) {
    return order.files.size() == files.size() && std::equal(sortOrder.keys, sortOrder.keys + ColumnCount, order.keys);
}

void SortFileIndices(std::vector<std::uint32_t>& indices, const std::deque<FileEntry>& files,
                     const SortOrder& sortOrder) {
    Indices known[ColumnCount];
    const Indices places = SortedPlaces(FileSet(files, &indices), sortOrder.keys, known, false);
    Indices sorted(places.size());
    for (std::size_t i = 0; i < places.size(); ++i) sorted[i] = indices[places[i]];
    indices.swap(sorted);
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
    // Clear the keys first: should the sort run out of memory, the order counts as unsorted.
    std::fill(order.keys, order.keys + ColumnCount, -1);
    const FileSet all(files, nullptr);
    if (oneClick) {
        SortByRank(order.files, ColumnRanks(all, keys[0], order.ranks));
    } else {
        Indices().swap(order.files);  // not held while the new order is made
        order.files = SortedPlaces(all, keys, order.ranks, order.keepRanks);
    }
    if (!order.keepRanks) {
        for (Indices& ranks : order.ranks) Indices().swap(ranks);
    }
    std::copy(keys, keys + ColumnCount, order.keys);
}

}  // namespace sprig
