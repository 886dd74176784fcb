#include "addin/core/Registration.h"

#include "resources/ClassIdentifiers.h"
#include "resources/ProductText.h"

namespace sprig {
namespace {

constexpr std::u16string_view ModulePlaceholder = u"%MODULE%";
constexpr std::u16string_view ClassName = u"Connect Class";
constexpr std::u16string_view ClassId = u"{" SPRIG_CLSID_CONNECT "}";
constexpr std::u16string_view VersionedProgId = u"Sprig.Connect.1";
constexpr std::u16string_view ProgId = u"Sprig.Connect";

RegistryValue Text(std::u16string_view name, std::u16string_view text) {
    return {RegistryValue::Type::Text, name, text, 0};
}

RegistryValue Number(std::u16string_view name, std::uint32_t number) {
    return {RegistryValue::Type::Number, name, {}, number};
}

// A key that holds only a default value.
RegistryKey Named(std::u16string_view name, std::u16string_view value) {
    return {name, KeyMarking::Plain, {Text(u"", value)}, {}};
}

std::vector<RegistryTree> BuildServerRegistration() {
    const KeyMarking plain = KeyMarking::Plain, kept = KeyMarking::Kept, replaced = KeyMarking::Replaced;
    RegistryKey classKey{
        ClassId,
        replaced,
        {Text(u"", ClassName)},
        {
            Named(u"ProgID", VersionedProgId),
            Named(u"VersionIndependentProgID", ProgId),
            {u"Programmable", replaced, {}, {}},
            {u"InprocServer32", plain, {Text(u"", ModulePlaceholder), Text(u"ThreadingModel", u"Apartment")}, {}},
            Named(u"TypeLib", u"{" SPRIG_LIBID "}"),
        }};
    // The about box shows the two characters "\r\n" as written, not a line end.
    RegistryKey addIn{ProgId,
                      replaced,
                      {
                          Number(u"LoadBehavior", 0),
                          Number(u"CommandLineSafe", 0),
                          Number(u"CommandPreload", 1),
                          Text(u"FriendlyName", u"" SPRIG_PRODUCT_NAME),
                          Text(u"Description", u"" SPRIG_DESCRIPTION),
                          Text(u"AboutBoxDetails",
                               u"The Sprig! Add-in for Visual Studio adds the ability to quickly filter and open "
                               u"any files in your solution.\\r\\n" SPRIG_COPYRIGHT "\\r\\n" SPRIG_WEB_ADDRESS),
                          Text(u"AboutBoxIcon", u"%MODULE%,1"),
                      },
                      {}};
    RegistryKey environment{
        u"SOFTWARE",
        kept,
        {},
        {{u"Microsoft",
          kept,
          {},
          {{u"VisualStudio", kept, {}, {{u"8.0", kept, {}, {{u"AddIns", kept, {}, {std::move(addIn)}}}}}}}}}};
    std::vector<RegistryTree> trees;
    trees.push_back(
        {RegistryRoot::ClassesRoot, {VersionedProgId, plain, {Text(u"", ClassName)}, {Named(u"CLSID", ClassId)}}});
    trees.push_back(
        {RegistryRoot::ClassesRoot,
         {ProgId, plain, {Text(u"", ClassName)}, {Named(u"CLSID", ClassId), Named(u"CurVer", VersionedProgId)}}});
    trees.push_back({RegistryRoot::ClassesRoot, {u"CLSID", kept, {}, {std::move(classKey)}}});
    trees.push_back({RegistryRoot::CurrentUser, std::move(environment)});
    return trees;
}

}  // namespace

const std::vector<RegistryTree>& ServerRegistration() {
    static const std::vector<RegistryTree> trees = BuildServerRegistration();
    return trees;
}

std::u16string ExpandModule(std::u16string_view text, std::u16string_view modulePath) {
    std::u16string expanded;
    for (std::size_t at; (at = text.find(ModulePlaceholder)) != std::u16string_view::npos;) {
        expanded.append(text.substr(0, at)).append(modulePath);
        text.remove_prefix(at + ModulePlaceholder.size());
    }
    return expanded.append(text);
}

std::u16string TypeLibraryFileBeside(std::u16string_view modulePath) {
    const std::size_t point = modulePath.rfind(u'.');
    const std::size_t backslash = modulePath.rfind(u'\\');
    const bool hasExtension =
        point != std::u16string_view::npos && (backslash == std::u16string_view::npos || point > backslash);
    return std::u16string(hasExtension ? modulePath.substr(0, point) : modulePath).append(u".tlb");
}

}  // namespace sprig
