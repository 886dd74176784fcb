// The registry entries that make the DLL a COM server and an add-in of the environment, held as
// data, and the text rules of registration. The registry itself is written on the Windows side.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sprig {

enum class RegistryRoot { ClassesRoot, CurrentUser };

// What registration and unregistration do to a key besides writing and deleting its values.
enum class KeyMarking {
    Plain,     // created; deleted at unregistration unless something not ours is left below it
    Kept,      // created if missing, never deleted
    Replaced,  // deleted whole and written anew; deleted whole at unregistration
};

struct RegistryValue {
    enum class Type { Text, Number };
    Type type;
    std::u16string_view name;  // empty for the key's default value
    std::u16string_view text;  // a Text value's data; "%MODULE%" stands for the DLL's full path
    std::uint32_t number;      // a Number value's data
};

struct RegistryKey {
    std::u16string_view name;
    KeyMarking marking;
    std::vector<RegistryValue> values;  // in the order they are written
    std::vector<RegistryKey> subkeys;   // in the order they are written
};

// One top-level key under a root, with everything below it.
struct RegistryTree {
    RegistryRoot root;
    RegistryKey key;
};

// The class keys, the ProgIDs and the add-in's key under the environment's AddIns key, in the
// order they are written.
const std::vector<RegistryTree>& ServerRegistration();

// `text` with every "%MODULE%" replaced by `modulePath`, which is taken as it stands.
std::u16string ExpandModule(std::u16string_view text, std::u16string_view modulePath);

// The type library file that stands beside the DLL: its extension (from the last point after the
// last backslash) replaced by ".tlb", or ".tlb" appended when it has none.
std::u16string TypeLibraryFileBeside(std::u16string_view modulePath);

}  // namespace sprig
