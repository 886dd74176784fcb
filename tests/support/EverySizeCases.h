// Each value of the settings key stored alone, at every size from none to twelve bytes, and
// loaded into a record that held other values: shared by the test of the decoding rules and the
// test of the load from the real registry.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "dialog/core/SettingsRules.h"

namespace sprig::testing {

// `load` replaces `settings` by what a key holding only value `id`, as `stored`, gives.
inline void CheckEveryValueAtEverySize(const std::function<void(StoredSettings& settings, std::size_t id,
                                                                const std::vector<std::uint8_t>& stored)>& load) {
    // Bytes with no zero unit among them, so that a string's length shows how much was taken.
    std::vector<std::uint8_t> pattern;
    for (std::uint8_t b = 0x41; b < 0x41 + 12; ++b) pattern.push_back(b);
    StoredSettings before;
    before.Location = {-7, -9};
    before.Project = u"old";
    before.Filter = u"old";
    // With the key there, a missing value leaves its number alone and makes its string absent.
    StoredSettings missing = before;
    missing.Project.reset();
    missing.Filter.reset();

    for (std::size_t id = 0; id < StoredValueCount; ++id) {
        const StoredValue& value = StoredValues[id];
        for (std::size_t size = 0; size <= pattern.size(); ++size) {
            SCOPED_TRACE(::testing::Message() << "value " << id << " of " << size << " bytes");
            const std::vector<std::uint8_t> stored(pattern.begin(), pattern.begin() + static_cast<long>(size));
            StoredSettings settings = before;
            load(settings, id, stored);
            for (std::size_t other = 0; other < StoredValueCount; ++other) {
                if (other != id) {
                    EXPECT_EQ(EncodeStoredValue(settings, other), EncodeStoredValue(missing, other))
                        << "value " << other;
                }
            }
            // A number at its own size only; a string by its whole units, the last taken as the
            // terminator.
            std::vector<std::uint8_t> expected;
            if (value.size != 0) {
                expected = size == value.size ? stored : EncodeStoredValue(before, id);
            } else if (size >= 2) {
                expected.assign(stored.begin(), stored.begin() + static_cast<long>(size / 2 * 2 - 2));
                expected.insert(expected.end(), {0, 0});
            }
            EXPECT_EQ(EncodeStoredValue(settings, id), expected);
        }
    }
}

}  // namespace sprig::testing
