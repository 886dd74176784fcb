// An in-memory solution in the shape of the host's automation model: a solution with its
// collection of projects, projects with their items, and items that are files, folders or stand
// for sub-projects; beside it the environment's commands, its command bars, its ItemOperations and
// the add-in's own description object. Plain data: tests build one in code, a loader can fill one
// from solution files, and the stand-in environment serves it through COM. Any single operation on
// any object can be made to fail or to give nothing, and every object counts the calls it answers.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace sprig::model {

// The operations of the automation model that an object can answer.
enum class Member : std::uint8_t {
    Solution,          // root
    Projects,          // solution
    Count,             // collections
    Item,              // collections
    Name,              // project, item
    ProjectItems,      // project, item
    Kind,              // project, item
    FileNames,         // item
    SubProject,        // item
    Commands,          // root
    CommandBars,       // root
    AddNamedCommand2,  // commands
    Bindings,          // command
    AddControl,        // command
    Controls,          // command bar
    CommandBar,        // popup control
    ItemOperations,    // root
    OpenFile,          // item operations
    Selection,         // window
    GotoLine,          // text selection
    Interface,         // any object: asking for its published interfaces
    LocaleID,          // root
    Caption,           // command bar control
};
constexpr std::size_t MemberCount = 23;

enum class Fault : std::uint8_t {
    None,
    Fail,     // the call fails with a negative status
    Nothing,  // the call succeeds with a null object, an empty text or no count
};
// A fault on Member::Interface of either kind makes the object refuse its published interfaces.

// Published kind strings besides the file kind (sprig::PhysicalFileKind).
inline constexpr char16_t PhysicalFolderKind[] = u"{6BB5F8EF-4483-11D3-8BCF-00C04F8EC28C}";
inline constexpr char16_t VirtualFolderKind[] = u"{6BB5F8F0-4483-11D3-8BCF-00C04F8EC28C}";
inline constexpr char16_t SubProjectKind[] = u"{EA6618E8-6E24-4528-94BE-6889FE16485C}";
inline constexpr char16_t SolutionFolderKind[] = u"{66A26720-8FB5-11D2-AA7E-00C04F688DDE}";

// Every object carries the faults injected into its own operations, and counts the calls that
// reached each of them (a call counts before its fault applies).
struct Node {
    std::array<Fault, MemberCount> faults{};
    // Counting a call changes nothing the object answers, so a const object counts too.
    mutable std::array<std::uint32_t, MemberCount> calls{};

    Fault& FaultOf(Member member) { return faults[static_cast<std::size_t>(member)]; }
    Fault FaultOf(Member member) const { return faults[static_cast<std::size_t>(member)]; }
    std::uint32_t CallsOf(Member member) const { return calls[static_cast<std::size_t>(member)]; }
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
    std::u16string fileName;             // FileNames(0), or its end when `within` is set; empty gives nothing
    const Item* within = nullptr;        // a folder whose FileNames(0) comes before fileName
    std::int16_t fileNameIndex = 0;      // the one index FileNames answers: 1 for a solution folder's items
    ItemCollection* children = nullptr;  // null: ProjectItems gives nothing
    Project* subProject = nullptr;       // null: SubProject gives nothing
};

// What FileNames(0) gives for `item`. A folder's full path is its parent folder's and one name
// more: each folder keeps only its own part, so that a deep tree holds its path text once.
std::u16string FileNameOf(const Item& item);

// The add-in's own description object, which the environment hands to the add-in.
struct AddIn : Node {
    std::u16string progId;  // the add-in's name towards the environment
};

struct Command;
struct CommandBar;

// A control on a command bar: a popup menu with a bar of its own, or a button for a command.
struct CommandBarControl : Node {
    std::u16string name;          // the caption by which Item finds it
    std::u16string caption;       // what Caption gives, with the access key's mark; empty: the name
    CommandBar* popup = nullptr;  // a popup's own bar; null: the control is no popup
    Command* command = nullptr;   // the command that AddControl placed here
};
using ControlCollection = Collection<CommandBarControl>;

struct CommandBar : Node {
    std::u16string name;  // by which Item finds it
    ControlCollection controls;
};
using CommandBarCollection = Collection<CommandBar>;

// How a by-reference array argument arrived: no reference at all, a reference to no array, or a
// reference to an array.
enum class ArrayArgument : std::uint8_t { NoReference, NoArray, Array };

// What one AddNamedCommand2 call brought, argument by argument.
struct CommandRequest {
    const AddIn* addIn = nullptr;  // null when the argument was no add-in object of this model
    std::u16string name, buttonText, tooltip;
    bool msoButton = false;
    std::uint16_t bitmapType = 0;  // the Bitmap VARIANT's type, and its value when 32-bit
    std::int32_t bitmap = 0;
    ArrayArgument contextGuids = ArrayArgument::Array;
    std::int32_t status = 0, style = 0, controlType = 0;
};

// Where one AddControl call asked for a control.
struct Placement {
    const CommandBar* owner;  // null when the owner was no command bar of this model
    std::int32_t position;
};

struct Command : Node {
    std::u16string name;  // full: the add-in's ProgID, a point, the name it asked for
    std::u16string buttonText;
    std::vector<std::u16string> bindings;  // every text put as Bindings, in order
    std::vector<Placement> placements;     // every AddControl call, in order
};

// The environment's command collection.
struct CommandTable : Node {
    std::vector<CommandRequest> requests;  // every AddNamedCommand2 call that reached it, in order
    std::deque<Command> commands;
    Node newCommand;  // the faults that every command it makes starts with
};

// The environment's ItemOperations: it records every OpenFile call, refused or not, and answers
// each with a new window unless told otherwise. The window's Selection is a text selection whose
// GotoLine records the line on the window's request. Its faults on Selection and GotoLine apply
// to every window and selection it gives.
struct ItemOperations : Node {
    struct Request {
        std::u16string fileName;
        std::u16string viewKind;
        std::int32_t line = 0;  // the line the window's selection was last sent to, 0 for none
    };
    std::vector<Request> requests;        // every OpenFile call that reached it, in order
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

    Node root;      // the environment's root object: Solution, Commands, CommandBars, ItemOperations
    Node solution;  // the solution: Projects
    ProjectCollection projects;
    AddIn addIn;
    CommandTable commands;
    CommandBarCollection commandBars;
    ItemOperations itemOperations;  // the root's ItemOperations
    // The command bars answer the older office library's interface identifiers instead of the
    // environment's own, as some hosts do.
    bool officeCommandBars = false;
    std::int32_t localeId = 1033;  // the root's LocaleID: the user-interface language, an LCID

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

    // A command bar listed among the environment's command bars.
    CommandBar& AddCommandBar(std::u16string name);
    // A plain control at the end of `bar`.
    CommandBarControl& AddControl(CommandBar& bar, std::u16string name);
    // A popup control at the end of `bar`; gives the popup's own bar.
    CommandBar& AddPopup(CommandBar& bar, std::u16string name);

    // What AddNamedCommand2 does with `request`, which it records: the new command, or null when
    // the request names no add-in or the command's full name is taken (in any letter case).
    Command* AddNamedCommand(const CommandRequest& request);
    // What AddControl does, which the command records: a control for `command` at `position`
    // (from 1) on `owner`; null when there is no owner or the position lies outside 1 to count + 1.
    CommandBarControl* AddCommandControl(Command& command, CommandBar* owner, std::int32_t position);

private:
    ItemCollection& NewCollection();

    std::deque<Project> projectStore_;
    std::deque<Item> itemStore_;
    std::deque<ItemCollection> collectionStore_;
    std::deque<CommandBar> barStore_;
    std::deque<CommandBarControl> controlStore_;
};

}  // namespace sprig::model
