// Arbitrary bytes as every project file of a solution, or as the solution file itself. The load
// must end, with full normalized file names and a message for whatever it did not take; and the
// depth check must see each project file nested exactly as the parser does.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/SolutionWalker.h"
#include "solution/loader/SolutionLoader.h"
#include "solution/loader/WindowsPath.h"
#include "solution/loader/XmlDocument.h"
#include "solution/model/ModelSolutionView.h"
#include "support/MemoryFiles.h"

namespace {

// Without recursion: a load may make folders many thousands of levels deep.
void CheckItems(const sprig::model::ItemCollection& top) {
    std::vector<const sprig::model::ItemCollection*> pending{&top};
    while (!pending.empty()) {
        const sprig::model::ItemCollection& items = *pending.back();
        pending.pop_back();
        for (const auto& entry : items.entries) {
            const sprig::model::Item& item = *entry.object;
            const std::u16string fileName = sprig::model::FileNameOf(item);
            if (!fileName.empty() &&
                (!sprig::loader::IsFullPath(fileName) ||
                 sprig::loader::NormalizePath(fileName) + (fileName.back() == u'\\' ? u"\\" : u"") != fileName)) {
                std::abort();
            }
            if (item.children) pending.push_back(item.children);
        }
    }
}

void LoadAndWalk(sprig::testing::MemoryFiles& files) {
    sprig::model::SolutionModel model;
    std::vector<sprig::loader::LoadMessage> messages;
    if (!sprig::loader::LoadSolution(u"C:\\s\\S.sln", files, model, messages) && messages.empty()) std::abort();
    for (const auto& message : messages) {
        if (message.file.empty() || message.text.empty()) std::abort();
    }
    for (const auto& entry : model.projects.entries) CheckItems(*entry.object->items);
    sprig::model::ModelSolutionView view(model);
    sprig::Catalogue catalogue;
    sprig::BuildCatalogue(view, catalogue);
}

// The depth of the elements that the parser made of `text`, when it takes it.
bool ParsedDepth(std::string text, std::size_t& deepest) {
    rapidxml::xml_document<char> document;
    try {
        document.parse<sprig::loader::XmlParseFlags>(text.data());
    } catch (const rapidxml::parse_error&) {
        return false;
    }
    deepest = 0;
    std::vector<std::pair<const sprig::loader::XmlNode*, std::size_t>> pending{{&document, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        for (const sprig::loader::XmlNode* child = node->first_node(); child; child = child->next_sibling()) {
            if (child->type() != rapidxml::node_element) continue;
            deepest = std::max(deepest, depth + 1);
            pending.emplace_back(child, depth + 1);
        }
    }
    return true;
}

}  // namespace

// The first byte chooses what the rest stands for: bit 0 the solution file, or else every project
// file. With bit 1 set, the rest is "prefix \xFF middle \xFF suffix", and the middle is repeated
// as many times as 20 times the first byte's upper six bits say (up to 16 KB in all), so that
// short inputs reach nestings deeper than the depth check allows.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string bytes(rest);
    const std::size_t first = rest.find('\xFF'), second = rest.find('\xFF', first + 1);
    if ((data[0] & 2) && second != std::string_view::npos) {
        const std::string_view middle = rest.substr(first + 1, second - first - 1);
        std::size_t times = (data[0] >> 2) * std::size_t{20};
        if (!middle.empty()) times = std::min(times, (std::size_t{1} << 14) / middle.size());
        bytes = rest.substr(0, first);
        for (std::size_t i = 0; i < times; ++i) bytes += middle;
        bytes += rest.substr(second + 1);
    }

    std::size_t parsed = 0;
    const std::size_t checked = sprig::loader::XmlNestingDepth(bytes);
    if (checked <= sprig::loader::MaxXmlDepth && ParsedDepth(bytes, parsed) && parsed != checked) std::abort();

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
