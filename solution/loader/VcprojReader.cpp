// .vcproj: <VisualStudioProject> <Files> holds <Filter Name=...> and <File RelativePath=...>
// elements; filters nest, and a <File> may hold the <File> elements that depend on it.
#include "solution/loader/ProjectReaders.h"
#include "solution/loader/WindowsPath.h"
#include "solution/loader/XmlDocument.h"

namespace sprig::loader {
namespace {

struct VcprojReader {
    LoadContext& context;
    const XmlDocument& document;
    std::u16string directory;

    // The <Filter> and <File> children of `node` into `into`; under a file only its <File> children.
    void ReadChildren(const XmlNode& node, model::ItemCollection& into, bool inFile) {
        std::u16string text;
        for (const XmlNode* child = node.first_node(); child; child = child->next_sibling()) {
            const std::string_view name(child->name(), child->name_size());
            if (name == "Filter" && !inFile) {
                if (!document.Attribute(context, *child, "Name", text)) continue;
                ReadChildren(*child, *context.model.AddFolder(into, text, model::VirtualFolderKind).children, false);
            } else if (name == "File") {
                if (!document.Attribute(context, *child, "RelativePath", text)) continue;
                if (text.empty()) {
                    context.Report(document.Path(), document.LineOf(*child), "File without RelativePath");
                    continue;
                }
                const std::u16string fileName = JoinPath(directory, text);
                model::Item& item = context.model.AddFile(into, std::u16string(FileNamePart(fileName)), fileName);
                if (child->first_node("File")) ReadChildren(*child, context.model.Children(item), true);
            }
        }
    }
};

}  // namespace

void ReadVcproj(LoadContext& context, const std::u16string& path, const Origin& origin, model::Project& project) {
    XmlDocument document;
    if (document.Load(context, path, origin) != LoadResult::Loaded) return;
    if (!document.Expect(context, "VisualStudioProject")) return;
    const XmlNode* files = document.Root()->first_node("Files");
    if (!files) return;
    VcprojReader reader{context, document, std::u16string(DirectoryPart(path))};
    reader.ReadChildren(*files, *project.items, false);
}

}  // namespace sprig::loader
