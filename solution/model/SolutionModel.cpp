#include "solution/model/SolutionModel.h"

#include "catalogue/SolutionWalker.h"
#include "catalogue/Text.h"

namespace sprig::model {

std::u16string FileNameOf(const Item& item) {
    std::vector<const Item*> chain;
    for (const Item* part = &item; part; part = part->within) chain.push_back(part);
    std::u16string fileName;
    for (auto part = chain.rbegin(); part != chain.rend(); ++part) fileName += (*part)->fileName;
    return fileName;
}

Project& SolutionModel::NewProject(std::u16string name, std::u16string kind) {
    Project& project = projectStore_.emplace_back();
    project.name = std::move(name);
    project.kind = std::move(kind);
    project.items = &NewCollection();
    return project;
}

Project& SolutionModel::AddProject(std::u16string name, std::u16string kind) {
    Project& project = NewProject(std::move(name), std::move(kind));
    projects.Add(project);
    return project;
}

Item& SolutionModel::AddItem(ItemCollection& into) {
    Item& item = itemStore_.emplace_back();
    into.Add(item);
    return item;
}

Item& SolutionModel::AddFile(ItemCollection& into, std::u16string name, std::u16string fileName) {
    Item& item = AddItem(into);
    item.name = std::move(name);
    item.kind = sprig::PhysicalFileKind;
    item.fileName = std::move(fileName);
    return item;
}

Item& SolutionModel::AddFolder(ItemCollection& into, std::u16string name, std::u16string kind) {
    Item& item = AddItem(into);
    item.name = std::move(name);
    item.kind = std::move(kind);
    item.children = &NewCollection();
    return item;
}

Item& SolutionModel::AddSubProject(ItemCollection& into, Project& project) {
    Item& item = AddItem(into);
    item.name = project.name;
    item.kind = SubProjectKind;
    item.subProject = &project;
    return item;
}

ItemCollection& SolutionModel::Children(Item& item) {
    if (!item.children) item.children = &NewCollection();
    return *item.children;
}

ItemCollection& SolutionModel::NewCollection() { return collectionStore_.emplace_back(); }

CommandBar& SolutionModel::AddCommandBar(std::u16string name) {
    CommandBar& bar = barStore_.emplace_back();
    bar.name = std::move(name);
    commandBars.Add(bar);
    return bar;
}

CommandBarControl& SolutionModel::AddControl(CommandBar& bar, std::u16string name) {
    CommandBarControl& control = controlStore_.emplace_back();
    control.name = std::move(name);
    bar.controls.Add(control);
    return control;
}

CommandBar& SolutionModel::AddPopup(CommandBar& bar, std::u16string name) {
    CommandBar& popup = barStore_.emplace_back();
    popup.name = name;
    AddControl(bar, std::move(name)).popup = &popup;
    return popup;
}

Command* SolutionModel::AddNamedCommand(const CommandRequest& request) {
    commands.requests.push_back(request);
    if (!request.addIn) return nullptr;
    const std::u16string name = request.addIn->progId + u'.' + request.name;
    for (const Command& command : commands.commands) {
        if (CompareIgnoringAsciiCase(command.name.c_str(), name.c_str()) == 0) return nullptr;
    }
    Command& command = commands.commands.emplace_back();
    command.faults = commands.newCommand.faults;
    command.name = name;
    command.buttonText = request.buttonText;
    return &command;
}

CommandBarControl* SolutionModel::AddCommandControl(Command& command, CommandBar* owner, std::int32_t position) {
    command.placements.push_back({owner, position});
    if (!owner || position < 1 || static_cast<std::size_t>(position) > owner->controls.entries.size() + 1) {
        return nullptr;
    }
    CommandBarControl& control = controlStore_.emplace_back();
    control.name = command.buttonText;
    control.command = &command;
    auto& entries = owner->controls.entries;
    entries.insert(entries.begin() + (position - 1), {&control});
    return &control;
}

}  // namespace sprig::model
