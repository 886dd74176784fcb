// An in-memory solution in the shape of the host's automation model: a solution with its
// collection of projects, projects with their items, and items that are files, folders or stand
// for sub-projects. Plain data: tests build one in code, a loader can fill one from solution files,
// and the stand-in environment serves it through COM. Any single operation on any object can be
// made to fail or to give nothing.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace sprig::model {

// The operations of the automation model that an object can answer.
enum class Member : std::uint8_t {
    Solution,      // root
    Projects,      // solution
    Count,         // collections
    Item,          // collections
    Name,          // project, item
    ProjectItems,  // project, item
    Kind,          // project, item
    FileNames,     // item
    SubProject,    // item
    ItemOperations,  // root
    OpenFile,        // item operations
};
constexpr std::size_t MemberCount = 11;

enum class Fault : std::uint8_t {
    None,
    Fail,     // the call fails with a negative status
    Nothing,  // the call succeeds with a null object, an empty text or no count
};

// Published kind strings besides the file kind (sprig::PhysicalFileKind).
inline constexpr char16_t PhysicalFolderKind[] = u"{6BB5F8EF-4483-11D3-8BCF-00C04F8EC28C}";
inline constexpr char16_t VirtualFolderKind[] = u"{6BB5F8F0-4483-11D3-8BCF-00C04F8EC28C}";
inline constexpr char16_t SubProjectKind[] = u"{EA6618E8-6E24-4528-94BE-6889FE16485C}";
inline constexpr char16_t SolutionFolderKind[] = u"{66A26720-8FB5-11D2-AA7E-00C04F688DDE}";

// Every object carries the faults injected into its own operations.
struct Node {
    std::array<Fault, MemberCount> faults{};

    Fault& FaultOf(Member member) { return faults[static_cast<std::size_t>(member)]; }
    Fault FaultOf(Member member) const { return faults[static_cast<std::size_t>(member)]; }
};

// A collection in the host's order; Item(i) gives entry i - 1. Each entry may carry a fault of
// its own for the Item call that reaches it.
template <class T>
struct Collection : Node {
    struct Entry {
        T* object;
        Fault fault = Fault::None;
    };
    std::vector<Entry> entries;

    void Add(T& object) { entries.push_back({&object}); }
};

struct Item;
using ItemCollection = Collection<Item>;

struct Project : Node {
    std::u16string name;
    std::u16string kind;
    ItemCollection* items = nullptr;  // null: ProjectItems gives nothing
};
using ProjectCollection = Collection<Project>;

struct Item : Node {
    std::u16string name;
    std::u16string kind;
    std::u16string fileName;            // FileNames(0); empty gives nothing
    ItemCollection* children = nullptr;  // null: ProjectItems gives nothing
    Project* subProject = nullptr;       // null: SubProject gives nothing
};

// The environment's ItemOperations: it records every OpenFile call, refused or not, and answers
// each with a new window unless told otherwise.
struct ItemOperations : Node {
    struct Call {
        std::u16string fileName;
        std::u16string viewKind;
    };
    std::vector<Call> calls;
    std::vector<std::u16string> refused;  // OpenFile fails for these file names
    bool givesWindows = true;             // false: OpenFile succeeds with no window
};

// The whole model. It owns every object; objects refer to each other by address, so a tree may
// share parts or loop back on itself. Addresses stay valid for the model's life.
class SolutionModel {
public:
    SolutionModel() = default;
    SolutionModel(const SolutionModel&) = delete;
    SolutionModel& operator=(const SolutionModel&) = delete;

    Node root;                 // the environment's root object: Solution, ItemOperations
    Node solution;             // the solution: Projects
    ProjectCollection projects;
    ItemOperations itemOperations;  // the root's ItemOperations

    // A project with an empty item collection, listed in the solution.
    Project& AddProject(std::u16string name, std::u16string kind);
    // A project with an empty item collection that only a sub-project item leads to.
    Project& NewProject(std::u16string name, std::u16string kind);

    Item& AddFile(ItemCollection& into, std::u16string name, std::u16string fileName);
    // A folder with an empty child collection.
    Item& AddFolder(ItemCollection& into, std::u16string name, std::u16string kind = PhysicalFolderKind);
    // An item that stands for `project`, as a solution folder holds its nested projects.
    Item& AddSubProject(ItemCollection& into, Project& project);
    // Any item, filled in by the caller.
    Item& AddItem(ItemCollection& into);

    // The child collection of an item, made empty on first use.
    ItemCollection& Children(Item& item);

private:
    ItemCollection& NewCollection();

    std::deque<Project> projectStore_;
    std::deque<Item> itemStore_;
    std::deque<ItemCollection> collectionStore_;
};

}  // namespace sprig::model
