// Arbitrary bytes as every project file of a solution, or as the solution file itself. The load
// must end, with full normalized file names and a message for whatever it did not take.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalogue/SolutionWalker.h"
#include "solution/loader/SolutionLoader.h"
#include "solution/loader/WindowsPath.h"
#include "solution/model/ModelSolutionView.h"
#include "support/MemoryFiles.h"

namespace {

void CheckItems(const sprig::model::ItemCollection& items, int depth) {
    if (depth > 2000) std::abort();
    for (const auto& entry : items.entries) {
        const sprig::model::Item& item = *entry.object;
        if (!item.fileName.empty() &&
            (!sprig::loader::IsFullPath(item.fileName) ||
             sprig::loader::NormalizePath(item.fileName) + (item.fileName.back() == u'\\' ? u"\\" : u"") !=
                 item.fileName)) {
            std::abort();
        }
        if (item.children) CheckItems(*item.children, depth + 1);
    }
}

void LoadAndWalk(sprig::testing::MemoryFiles& files) {
    sprig::model::SolutionModel model;
    std::vector<sprig::loader::LoadMessage> messages;
    if (!sprig::loader::LoadSolution(u"C:\\s\\S.sln", files, model, messages) && messages.empty()) std::abort();
    for (const auto& message : messages) {
        if (message.file.empty() || message.text.empty()) std::abort();
    }
    for (const auto& entry : model.projects.entries) CheckItems(*entry.object->items, 0);
    sprig::model::ModelSolutionView view(model);
    sprig::Catalogue catalogue;
    sprig::BuildCatalogue(view, catalogue);
}

}  // namespace

// The first byte chooses what the rest stands for: the solution file, or every project file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    sprig::testing::MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] =
        "Microsoft Visual Studio Solution File, Format Version 9.00\n"
        "Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"A\", \"A.vcproj\", \"{A}\"\nEndProject\n"
        "Project(\"{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}\") = \"B\", \"B.csproj\", \"{B}\"\nEndProject\n"
        "Project(\"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}\") = \"C\", \"C.vcxproj\", \"{C}\"\nEndProject\n";
    if (data[0] & 1) {
        files.files[u"C:\\s\\S.sln"] = bytes;
    } else {
        for (const char16_t* name :
             {u"C:\\s\\A.vcproj", u"C:\\s\\B.csproj", u"C:\\s\\C.vcxproj", u"C:\\s\\C.vcxproj.filters"}) {
            files.files[name] = bytes;
        }
    }
    LoadAndWalk(files);
    return 0;
}
