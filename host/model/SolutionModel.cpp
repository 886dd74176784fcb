#include "host/model/SolutionModel.h"

#include "catalogue/SolutionWalker.h"

namespace sprig::model {

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

}  // namespace sprig::model
