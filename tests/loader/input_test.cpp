// Bad input, encodings and paths: what the loader makes of each, and what it says.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "solution/loader/TextDecoding.h"
#include "solution/loader/XmlDocument.h"
#include "loader/LoaderTesting.h"

namespace sprig::testing {
namespace {

using loader::JoinPath;
using loader::NormalizePath;
using Lines = std::vector<std::string>;

const std::string EmptyVcproj = "<VisualStudioProject><Files/></VisualStudioProject>";

TEST(WindowsPath, DotsResolveByTheTextAndNeverClimbAboveTheRoot) {
    EXPECT_EQ(NormalizePath(u"C:\\a\\.\\b\\..\\c\\"), u"C:\\a\\c");
    EXPECT_EQ(NormalizePath(u"C:/a//b/../../../x"), u"C:\\x");
    EXPECT_EQ(NormalizePath(u"\\\\server\\share\\..\\x"), u"\\\\server\\share\\x");
    EXPECT_EQ(NormalizePath(u"\\\\server\\share"), u"\\\\server\\share\\");
    EXPECT_EQ(NormalizePath(u"..\\a\\..\\..\\b"), u"..\\..\\b");
    EXPECT_EQ(NormalizePath(u"C:a\\..\\b"), u"C:b");
    EXPECT_EQ(NormalizePath(u"\\a\\..\\.."), u"\\");

    EXPECT_EQ(JoinPath(u"C:\\s\\App", u".\\src\\..\\main.cpp"), u"C:\\s\\App\\main.cpp");
    EXPECT_EQ(JoinPath(u"C:\\s\\App", u"D:\\x.h"), u"D:\\x.h");
    EXPECT_EQ(JoinPath(u"C:\\s\\App", u"\\\\srv\\share\\x.h"), u"\\\\srv\\share\\x.h");
    EXPECT_EQ(JoinPath(u"C:\\s\\App", u"\\x.h"), u"C:\\x.h");
    EXPECT_EQ(JoinPath(u"C:\\", u"a.sln"), u"C:\\a.sln");
    EXPECT_EQ(JoinPath(u"", u"Forms\\.\\a.cs"), u"Forms\\a.cs");

    EXPECT_EQ(loader::DirectoryPart(u"C:\\a.sln"), u"C:\\");
    EXPECT_EQ(loader::DirectoryPart(u"C:\\s\\a.sln"), u"C:\\s");
    EXPECT_EQ(loader::FileNamePart(u"C:\\s\\a.sln"), u"a.sln");
    EXPECT_EQ(loader::DirectoryPart(u"a.cs"), u"");
}

TEST(LoadSolution, MissingOrForeignSolutionFileIsAnErrorThatNamesIt) {
    MemoryFiles files;
    Loaded loaded = Load(files);
    EXPECT_FALSE(loaded.loaded);
    EXPECT_EQ(loaded.messages, Lines{"C:\\s\\S.sln: cannot read the solution: no such file"});

    files.files[u"C:\\s\\S.sln"] = "\r\n\r\n<Project>\r\n";
    loaded = Load(files);
    EXPECT_FALSE(loaded.loaded);
    EXPECT_EQ(loaded.messages, Lines{"C:\\s\\S.sln: line 3: not a solution file: it does not begin with "
                                     "\"Microsoft Visual Studio Solution File\""});
    files.files[u"C:\\s\\S.sln"] = "";
    EXPECT_FALSE(Load(files).loaded);
}

TEST(LoadSolution, TruncatedSolutionListsTheCutProjectsWithoutItems) {
    MemoryFiles files;
    files.files[u"C:\\s\\A\\A.vcproj"] =
        "<VisualStudioProject><Files><File RelativePath=\"a.cpp\"/></Files></VisualStudioProject>";
    files.files[u"C:\\s\\B\\B.vcproj"] = files.files[u"C:\\s\\A\\A.vcproj"];
    const std::string head =
        "Microsoft Visual Studio Solution File, Format Version 12.00\n" + ProjectLine(Cpp, "A", "A\\A.vcproj", "{A1}");
    files.files[u"C:\\s\\S.sln"] = head + "Project(\"" + Cpp + "\") = \"B\", \"B\\B.vcproj\", \"{B1}\"\n" +
                                   "\tProjectSection(ProjectDependencies) = postProject\n";
    Loaded loaded = Load(files);
    EXPECT_TRUE(loaded.loaded);
    EXPECT_EQ(loaded.model, "A (C++)\n  [file] a.cpp = C:\\s\\A\\a.cpp\nB (C++)\n");
    EXPECT_EQ(loaded.messages,
              Lines{"C:\\s\\S.sln: line 4: the file ends inside project 'B'; it is listed without items"});

    // Cut inside the Project line itself: the name is there, the rest is not.
    files.files[u"C:\\s\\S.sln"] = head + "Project(\"" + Cpp + "\") = \"B\", \"B\\B.vc";
    loaded = Load(files);
    EXPECT_EQ(loaded.model, "A (C++)\n  [file] a.cpp = C:\\s\\A\\a.cpp\nB (C++)\n");
    EXPECT_EQ(loaded.messages, Lines{"C:\\s\\S.sln: line 4: the Project line of 'B' is cut short; it is listed "
                                     "without items"});

    // Not even a name, and a project with no EndProject before the next; the Global section cut.
    files.files[u"C:\\s\\S.sln"] =
        head + "Project(\"" + Cpp + "\") = \n" + "Project(\"" + Cpp + "\") = \"B\", \"B\\B.vcproj\", \"{B1}\"\n" +
        ProjectLine(Cpp, "C", "B\\B.vcproj", "{C1}") + "Global\n\tGlobalSection(NestedProjects) = preSolution\n";
    loaded = Load(files);
    EXPECT_EQ(loaded.model,
              "A (C++)\n  [file] a.cpp = C:\\s\\A\\a.cpp\nB (C++)\nC (C++)\n  [file] a.cpp = C:\\s\\B\\a.cpp\n");
    EXPECT_EQ(loaded.messages, (Lines{"C:\\s\\S.sln: line 4: malformed Project line; the project is left out",
                                      "C:\\s\\S.sln: line 5: project 'B' has no EndProject; it is listed without items",
                                      "C:\\s\\S.sln: line 8: the file ends inside the Global section"}));
}

TEST(LoadSolution, ProjectsThatCannotBeReadAreListedWithoutItems) {
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(
        ProjectLine(CSharp, "Missing", "M\\M.csproj", "{A1}") + ProjectLine(Cpp, "Broken", "B\\B.vcproj", "{A2}") +
        ProjectLine(Cpp, "Foreign", "F\\F.vcproj", "{A3}") + ProjectLine(Cpp, "Odd", "O\\O.mak", "{A4}") +
        ProjectLine("{54435603-DBB4-11D2-8724-00A0C9A8B90C}", "Setup", "Setup\\Setup.vdproj", "{A5}") +
        ProjectLine(Cpp, "Encoded", "E\\E.vcproj", "{A6}") + ProjectLine(Cpp, "Deep", "D\\D.vcproj", "{A7}") +
        ProjectLine(Cpp, "Bytes", "Y\\Y.vcproj", "{A8}"));
    files.files[u"C:\\s\\B\\B.vcproj"] =
        "<?xml version=\"1.0\"?>\n<VisualStudioProject>\n<Files>\n<File RelativePath=\"a.cpp\">\n</Filter>\n";
    files.files[u"C:\\s\\F\\F.vcproj"] = "<Project><ItemGroup><Compile Include=\"a.cs\"/></ItemGroup></Project>";
    files.files[u"C:\\s\\E\\E.vcproj"] = "<?xml version=\"1.0\" encoding=\"koi8-r\"?>" + EmptyVcproj;
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<Filter Name=\"x\">";
    files.files[u"C:\\s\\D\\D.vcproj"] = "<VisualStudioProject><Files>" + deep;
    // A byte that is no UTF-8 leaves that file out.
    files.files[u"C:\\s\\Y\\Y.vcproj"] =
        "<VisualStudioProject><Files>\n<File RelativePath=\"a\xE9.cpp\"/>\n"
        "<File RelativePath=\"c.cpp\"/>\n</Files></VisualStudioProject>";
    const Loaded loaded = Load(files);
    EXPECT_TRUE(loaded.loaded);
    EXPECT_EQ(loaded.model,
              "Missing (C#)\nBroken (C++)\nForeign (C++)\nOdd (C++)\nSetup ({54435603-DBB4-11D2-8724-00A0C9A8B90C})\n"
              "Encoded (C++)\nDeep (C++)\nBytes (C++)\n  [file] c.cpp = C:\\s\\Y\\c.cpp\n");
    ASSERT_EQ(loaded.messages.size(), 8u);
    EXPECT_EQ(loaded.messages[0], "C:\\s\\S.sln: line 4: cannot read C:\\s\\M\\M.csproj: no such file");
    EXPECT_EQ(loaded.messages[1], "C:\\s\\B\\B.vcproj: line 5: malformed XML: invalid closing tag name");
    EXPECT_EQ(loaded.messages[2], "C:\\s\\F\\F.vcproj: line 1: the root element is not VisualStudioProject");
    EXPECT_EQ(loaded.messages[3], "C:\\s\\S.sln: line 10: 'Odd' is of a project type (" + Cpp +
                                      ", O\\O.mak) that is not read; it is listed without items");
    EXPECT_EQ(loaded.messages[4].substr(0, 31), "C:\\s\\S.sln: line 12: 'Setup' is");
    EXPECT_EQ(loaded.messages[5], "C:\\s\\E\\E.vcproj: line 1: encoding 'koi8-r' is not supported");
    EXPECT_EQ(loaded.messages[6], "C:\\s\\D\\D.vcproj: elements nest more than 1000 levels deep");
    EXPECT_EQ(loaded.messages[7], "C:\\s\\Y\\Y.vcproj: line 2: RelativePath is not valid UTF-8");
}

// Every line end the environment reads (LF, CR LF, a lone CR) ends a line, mixed in one file; a
// line that is not understood where it stands is named, never passed over in silence.
TEST(LoadSolution, EveryLineEndEndsALineAndNoLineIsSkippedUnsaid) {
    const std::string a = "Project(\"" + Cpp + "\") = \"A\", \"a.vcproj\", \"{A1}\"";
    const std::string b = "Project(\"" + Cpp + "\") = \"B\", \"a.vcproj\", \"{B1}\"";
    const std::string header = "Microsoft Visual Studio Solution File, Format Version 9.00";
    const std::string both = "A (C++)\n  [file] a.cpp = C:\\s\\a.cpp\nB (C++)\n  [file] a.cpp = C:\\s\\a.cpp\n";
    for (const std::string& solution : {header + "\n" + a + "\nEndProject\r" + b + "\nEndProject\n",
                                        header + "\r" + a + "\rEndProject\r" + b + "\rEndProject\r",
                                        header + "\r\n" + a + "\r\r\nEndProject\n\r" + b + "\r\nEndProject"}) {
        MemoryFiles files;
        files.files[u"C:\\s\\S.sln"] = solution;
        files.files[u"C:\\s\\a.vcproj"] =
            "<VisualStudioProject><Files><File RelativePath=\"a.cpp\"/></Files></VisualStudioProject>";
        EXPECT_EQ(CleanModel(files), both);
    }

    MemoryFiles files;
    files.files[u"C:\\s\\a.vcproj"] = EmptyVcproj;
    files.files[u"C:\\s\\S.sln"] =
        header + "\n# Visual Studio 2005\nVisualStudioVersion = 12.0\nProjekt(\"x\")\n" +  // line 4
        ProjectLine(Folder, "F", "F", "{F1}",
                    "\tProjectSection(SolutionItems) = preProject\n\t\tnotes.txt\n\t\tx.txt=x.txt\n"
                    "\tEndProjectSection\n\tstray\n") +  // lines 7, 10
        a +
        ", \"{Z9}\"\nEndProject\n" +  // line 12
        b +
        "\n"                                                                                // no EndProject
        "Global\n\tGlobalSection(NestedProjects) = preSolution\n\t\t{B1}\n\t\t{B1}={F1}\n"  // lines 16, 17
        "\tEndGlobalSection\n\tGlobalSektion(x)\nEndGlobal\n";                              // line 20
    const Loaded loaded = Load(files);
    EXPECT_EQ(loaded.model, "F (solution folder)\n  [sub] B\n    B (C++)\n  [file] x.txt = C:\\s\\x.txt\nA (C++)\n");
    EXPECT_EQ(loaded.messages,
              (Lines{"C:\\s\\S.sln: line 4: the line 'Projekt(\"x\")' is not understood here; it is ignored",
                     "C:\\s\\S.sln: line 7: the line 'notes.txt' is not understood here; it is ignored",
                     "C:\\s\\S.sln: line 10: the line 'stray' is not understood here; it is ignored",
                     "C:\\s\\S.sln: line 12: the Project line of 'A' goes on after its id: ', \"{Z9}\"' is ignored",
                     "C:\\s\\S.sln: line 14: project 'B' has no EndProject; it is listed without items",
                     "C:\\s\\S.sln: line 17: the line '{B1}' is not understood here; it is ignored",
                     "C:\\s\\S.sln: line 20: the line 'GlobalSektion(x)' is not understood here; it is ignored"}));

    // A project file's lines are counted alike.
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(Cpp, "A", "a.vcproj", "{A1}"));
    files.files[u"C:\\s\\a.vcproj"] =
        "<VisualStudioProject>\r<Files>\r\n\r<File RelativePath=\"a\xE9\"/>\n</Files></VisualStudioProject>";
    EXPECT_EQ(Load(files).messages, Lines{"C:\\s\\a.vcproj: line 4: RelativePath is not valid UTF-8"});
}

// One rule for every reference in a project file, as the environment's XML reader has it: the five
// entities of XML and character references to characters that XML allows are resolved; anything
// else makes the file malformed, named at its line, and the project is listed without items.
TEST(LoadSolution, ReferencesThatCannotBeResolvedMakeTheProjectFileMalformed) {
    const auto load = [](const std::string& include, const std::string& doctype = "") {
        MemoryFiles files;
        files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(CSharp, "P", "P.csproj", "{A1}"));
        files.files[u"C:\\s\\P.csproj"] = doctype + "<Project>\n<ItemGroup><Compile Include=\"" + include +
                                          "\"/><Compile Include=\"z.cs\"/></ItemGroup>\n</Project>";
        return Load(files);
    };
    const std::pair<std::string, std::string> refused[] = {
        {"a&bogus;b.cs", "unknown entity '&bogus;' (only &amp; &lt; &gt; &quot; &apos; are known)"},
        {"&#0;.cs", "'&#0;' refers to no character that XML allows"},
        {"&#1;.cs", "'&#1;' refers to no character that XML allows"},
        {"a&#xD800;.cs", "'&#xD800;' refers to no character that XML allows"},
        {"&#xFFFE;.cs", "'&#xFFFE;' refers to no character that XML allows"},
        {"&#x110000;.cs", "'&#x110000;' refers to no character that XML allows"},
        {"&#99999999999999999999;.cs", "'&#99999999999999999999;' refers to no character that XML allows"},
        {"&#65.cs", "'&#65.cs' is no character reference: digits and \";\" must follow \"&#\""},
        {"&#1A;.cs", "'&#1A;' is no character reference: digits and \";\" must follow \"&#\""},
        {"&#X41;.cs", "'&#X41;' is no character reference: digits and \";\" must follow \"&#\""},
        {"&#;.cs", "'&#;' is no character reference: digits and \";\" must follow \"&#\""},
        {"a & b.cs", "'&' begins no reference (a '&' of its own is written &amp;)"},
    };
    for (const auto& [include, reason] : refused) {
        const Loaded loaded = load(include);
        EXPECT_EQ(loaded.model, "P (C#)\n") << include;
        EXPECT_EQ(loaded.messages, Lines{"C:\\s\\P.csproj: line 2: malformed XML: " + reason}) << include;
    }
    // An entity that a DOCTYPE declares is not read either: its ";" never splits the item.
    const Loaded declared = load("&e;", "<!DOCTYPE Project [<!ENTITY e \"x.cs;y.cs\">]>\n");
    EXPECT_EQ(declared.model, "P (C#)\n");
    EXPECT_EQ(declared.messages, Lines{"C:\\s\\P.csproj: line 3: malformed XML: unknown entity '&e;' (only &amp; "
                                       "&lt; &gt; &quot; &apos; are known)"});
    // In element text too; and references in a comment or CDATA section are no references.
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(CSharp, "P", "P.csproj", "{A1}"));
    files.files[u"C:\\s\\P.csproj"] =
        "<Project><!-- &bogus; --><ItemGroup><Compile Include=\"a.cs\"><Link><![CDATA[&x;]]></Link></Compile>"
        "<None Include=\"b.txt\"><Link>\n&nope;</Link></None></ItemGroup></Project>";
    EXPECT_EQ(Load(files).messages,
              Lines{"C:\\s\\P.csproj: line 2: malformed XML: unknown entity '&nope;' (only &amp; &lt; &gt; &quot; "
                    "&apos; are known)"});

    // What resolves: a ";" written as a reference splits the item as MSBuild splits it, one
    // written as MSBuild's escape does not (an escaped control character stays as it is written).
    EXPECT_EQ(load("&#65;&#x42;&#x1F600;&amp;&lt;&gt;&quot;&apos;.cs;x&#59;y.cs;a%3Bb%.cs;n%00%1f%20.cs").model,
              "P (C#)\n  [file] AB\xF0\x9F\x98\x80&<>\"'.cs = C:\\s\\AB\xF0\x9F\x98\x80&<>\"'.cs\n"
              "  [file] x = C:\\s\\x\n  [file] y.cs = C:\\s\\y.cs\n  [file] a;b%.cs = C:\\s\\a;b%.cs\n"
              "  [file] n%00%1f .cs = C:\\s\\n%00%1f .cs\n  [file] z.cs = C:\\s\\z.cs\n");
}

// Deep nesting hidden from the depth check by a quote in a name or by an unknown "<!" node would
// overflow the parser's stack.
TEST(LoadSolution, DepthCheckCannotBeFooledByNamesOrDeclarations) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<Filter>";
    for (const std::string& disguise : {"<x'>" + deep + "</x'>", "<!x [>" + deep}) {
        MemoryFiles files;
        files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(Cpp, "Deep", "D.vcproj", "{A1}"));
        files.files[u"C:\\s\\D.vcproj"] = "<VisualStudioProject><Files>" + disguise;
        EXPECT_EQ(Load(files).messages, Lines{"C:\\s\\D.vcproj: elements nest more than 1000 levels deep"});
    }
}

// Each folder of one deep path keeps its own name only: the text held grows with the input.
TEST(LoadSolution, DeepFolderPathIsHeldOnce) {
    std::u16string include;
    for (int i = 0; i < 5000; ++i) include += u"abc\\";
    include += u"x.cs";
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(CSharp, "P", "P.csproj", "{A1}"));
    files.files[u"C:\\s\\P.csproj"] =
        "<Project><ItemGroup><Compile Include=\"" + ToUtf8(include) + "\"/></ItemGroup></Project>";
    model::SolutionModel model;
    std::vector<loader::LoadMessage> messages;
    ASSERT_TRUE(loader::LoadSolution(u"C:\\s\\S.sln", files, model, messages));
    EXPECT_TRUE(messages.empty());
    std::size_t held = 0, folders = 0;
    const model::Item* deepest = nullptr;
    for (const model::ItemCollection* items = model.projects.entries[0].object->items; items;) {
        const model::Item& item = *items->entries.at(0).object;
        held += item.fileName.size();
        if (item.children) deepest = &item, ++folders;
        items = item.children;
    }
    EXPECT_EQ(folders, 5000u);
    EXPECT_LT(held, 3 * include.size());
    ASSERT_TRUE(deepest);
    EXPECT_EQ(model::FileNameOf(*deepest), u"C:\\s\\" + include.substr(0, include.size() - 4));
    EXPECT_EQ(model::FileNameOf(*deepest->children->entries.at(0).object), u"C:\\s\\" + include);
}

TEST(LoadSolution, NestingThatCannotBeTakenLeavesTheProjectAtTheTop) {
    MemoryFiles files;
    files.files[u"C:\\s\\A.vcproj"] = EmptyVcproj;
    files.files[u"C:\\s\\S.sln"] =
        std::string("\r\nMicrosoft Visual Studio Solution File, Format Version 13.00\r\n# Visual Studio 2005\r\n\r\n") +
        ProjectLine(Folder, "F", "F", "{F1}") + ProjectLine(Folder, "G", "G", "{G1}") +
        ProjectLine(Cpp, "A", "A.vcproj", "{A1}") + ProjectLine(Cpp, "B", "A.vcproj", "{B1}") +
        "Global\r\n\tGlobalSection(NestedProjects) = preSolution\r\n"
        "\t\t{X9} = {F1}\r\n"                     // no such project
        "\t\t{B1} = {A1}\r\n"                     // not a solution folder
        "\t\t{A1} = {F1}\r\n\t\t{A1} = {G1}\r\n"  // nested twice
        "\t\t{G1} = {F1}\r\n\t\t{F1} = {G1}\r\n"  // in itself
        "\tEndGlobalSection\r\nEndGlobal\r\n";
    const Loaded loaded = Load(files);
    EXPECT_EQ(loaded.model,
              "F (solution folder)\n  [sub] G\n    G (solution folder)\n  [sub] A\n    A (C++)\nB (C++)\n");
    EXPECT_EQ(loaded.messages,
              (Lines{"C:\\s\\S.sln: line 2: format version 13.00 is not known; read as 9.00",
                     "C:\\s\\S.sln: line 15: NestedProjects names no project with the id {X9}",
                     "C:\\s\\S.sln: line 16: 'A' is no solution folder read whole; 'B' stays at the top",
                     "C:\\s\\S.sln: line 18: 'A' is nested a second time; the first place holds",
                     "C:\\s\\S.sln: line 20: 'F' would be nested in itself; 'F' stays at the top"}));
}

// Chains that grow at either end and join: a line that would close a circle through any of them
// is refused, whatever the order of the lines.
TEST(LoadSolution, NestedChainsJoinAndNeverCloseACircle) {
    std::string folders;
    for (const char* name : {"A", "B", "C", "D", "E"})
        folders += ProjectLine(Folder, name, name, std::string("{") + name + "}");
    const auto load = [&](const std::string& lines) {
        MemoryFiles files;
        files.files[u"C:\\s\\S.sln"] =
            Solution(folders + "Global\r\n\tGlobalSection(NestedProjects) = preSolution\r\n" + lines +
                     "\tEndGlobalSection\r\nEndGlobal\r\n");
        return Load(files);
    };
    const std::string chain =
        "A (solution folder)\n  [sub] B\n    B (solution folder)\n      [sub] C\n        C (solution folder)\n"
        "          [sub] D\n            D (solution folder)\n              [sub] E\n                E (solution "
        "folder)\n";
    Loaded loaded = load("{B} = {A}\r\n{D} = {C}\r\n{C} = {B}\r\n{A} = {D}\r\n{E} = {D}\r\n{A} = {E}\r\n");
    EXPECT_EQ(loaded.model, chain);
    EXPECT_EQ(loaded.messages, (Lines{"C:\\s\\S.sln: line 19: 'A' would be nested in itself; 'A' stays at the top",
                                      "C:\\s\\S.sln: line 21: 'A' would be nested in itself; 'A' stays at the top"}));
    loaded = load("{E} = {D}\r\n{D} = {C}\r\n{C} = {B}\r\n{B} = {A}\r\n{A} = {E}\r\n");
    EXPECT_EQ(loaded.model, chain);
    EXPECT_EQ(loaded.messages, Lines{"C:\\s\\S.sln: line 20: 'A' would be nested in itself; 'A' stays at the top"});
}

// Names with characters beyond ASCII, in every encoding that solution and project files come in.
TEST(LoadSolution, EncodingsOfSolutionAndProjectFiles) {
    const std::u16string name = u"Caf\u00E9 \u20AC";
    const auto utf16 = [](const std::u16string& text, bool big) {
        std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : text) {
            const char pair[2] = {static_cast<char>(big ? unit >> 8 : unit & 0xFF),
                                  static_cast<char>(big ? unit & 0xFF : unit >> 8)};
            bytes.append(pair, 2);
        }
        return bytes;
    };
    const std::string sln = "Microsoft Visual Studio Solution File, Format Version 9.00\r\n" +
                            ProjectLine(Cpp, ToUtf8(name), "a.vcproj", "{A1}");
    std::u16string slnText;
    AppendUtf16(sln, slnText);
    const std::string ansi = "Microsoft Visual Studio Solution File, Format Version 9.00\r\n" +
                             ProjectLine(Cpp, "Caf\xE9 \x80", "a.vcproj", "{A1}");
    for (const std::string& solution : {sln, "\xEF\xBB\xBF" + sln, utf16(slnText, false), utf16(slnText, true), ansi}) {
        MemoryFiles files;
        files.files[u"C:\\s\\S.sln"] = solution;
        files.files[u"C:\\s\\a.vcproj"] = EmptyVcproj;
        EXPECT_EQ(CleanModel(files), ToUtf8(name) + " (C++)\n");
    }

    const std::string file =
        "<VisualStudioProject><Files><File RelativePath=\"" + ToUtf8(name) + "\"/></Files></VisualStudioProject>";
    std::u16string fileText;
    AppendUtf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + file, fileText);
    const std::string ansiFile =
        "<VisualStudioProject><Files><File RelativePath=\"Caf\xE9 \x80\"/></Files></VisualStudioProject>";
    const std::string noMark = utf16(fileText, true).substr(2);
    for (const std::string& project : {file, "\xEF\xBB\xBF" + file, "<?xml version='1.0' encoding='utf-8'?>" + file,
                                       "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n" + ansiFile,
                                       utf16(fileText, false), utf16(fileText, true), noMark}) {
        MemoryFiles files;
        files.files[u"C:\\s\\S.sln"] = sln;
        files.files[u"C:\\s\\a.vcproj"] = project;
        EXPECT_EQ(CleanModel(files),
                  ToUtf8(name) + " (C++)\n  [file] " + ToUtf8(name) + " = C:\\s\\" + ToUtf8(name) + "\n");
    }

    // ISO-8859-1 reads 0x80 as U+0080, where Windows-1252 has the euro sign.
    std::string utf8, error;
    std::size_t line = 0;
    ASSERT_TRUE(
        loader::DecodeXmlText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a b=\"\x80\xE9\"/>", utf8, error, line));
    EXPECT_EQ(utf8, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a b=\"\xC2\x80\xC3\xA9\"/>");
    EXPECT_FALSE(loader::DecodeXmlText("<?xml version=\"1.0\" encoding=\"utf-16\"?><a/>", utf8, error, line));
    EXPECT_EQ(error, "encoding 'utf-16' is not supported without a byte order mark");
    EXPECT_FALSE(loader::DecodeXmlText("<?xml version=\"1.0\"\n encoding=utf-8?><a/>", utf8, error, line));
    EXPECT_EQ(line, 2u);
}

// Files that other installations of the environment write, in their code page: the same names in
// both builds. A Shift_JIS or Big5 character may end in the byte of "\".
TEST(LoadSolution, ProjectFilesInTheCodePagesOfOtherLocales) {
    struct Case {
        const char* encoding;
        std::string bytes, name;
    };
    const Case cases[] = {
        {"windows-874", "\xE4\xBF\xC5\xEC", "ไฟล์"},
        {"shift_jis", "\x83\x5C\x81[\x83X\x95\x5C", "ソース表"},
        {"gb2312", "\xD4\xB4\xCE\xC4\xBC\xFE", "源文件"},
        {"ks_c_5601-1987", "\xC6\xC4\xC0\xCF", "파일"},
        {"big5", "\xB3\x5C\xA5\x5C\xBB\x5C", "許功蓋"},
        {"windows-1250",
         "\xA3\xF3"
         "d\x9F",
         "Łódź"},
        {"windows-1251", "\xD4\xE0\xE9\xEB", "Файл"},
        {"windows-1252", "Caf\xE9\x80", "Café€"},
        {"windows-1253", "\xC1\xF1\xF7\xE5\xDF\xEF", "Αρχείο"},
        {"windows-1254", "Dosya\xF0\xFD\xFE", "Dosyağış"},
        {"windows-1255", "\xF7\xE5\xE1\xF5\xCA", "קובץ\u05BA"},
        {"windows-1256", "\xE3\xE1\xDD", "ملف"},
        {"windows-1257", "\xC0\xFEuolas", "Ąžuolas"},
        // Accents are characters of their own, never joined to the letter before them.
        {"windows-1258", "\xD0\xF5\xCCng", "Đơ\u0300ng"},
        // Aliases.
        {"SJIS", "\x83\x5C", "ソ"},
        {"x-sjis", "\x83\x5C", "ソ"},
        {"GBK", "\xD4\xB4", "源"},
        {"euc-kr", "\xC6\xC4", "파"},
        {"ks_c_5601", "\xC6\xC4", "파"},
        {"cn-big5", "\xB3\x5C", "許"},
        {"cp1251", "\xD4", "Ф"},
        {"x-cp1250", "\xA3", "Ł"},
        {"Windows-874", "\xE4", "ไ"},
        {"CP932", "\x83\x5C", "ソ"},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(Cpp, "P", "P.vcproj", "{A1}"));
        files.files[u"C:\\s\\P.vcproj"] = std::string("<?xml version=\"1.0\" encoding=\"") + c.encoding +
                                          "\"?>\r\n<VisualStudioProject>\r\n<Files><File RelativePath=\"src\\" +
                                          c.bytes + ".cpp\"/></Files></VisualStudioProject>\r\n";
        EXPECT_EQ(CleanModel(files), "P (C++)\n  [file] " + c.name + ".cpp = C:\\s\\src\\" + c.name + ".cpp\n")
            << c.encoding;
    }

    // Bytes that a code page leaves undefined, or that its converter fills with private-use
    // characters, name the line; so does a character cut short.
    const std::pair<const char*, std::string> undefined[] = {
        {"windows-1253", "\xAA"}, {"windows-874", "\x81"}, {"shift_jis", "\xF0\x40"},      {"shift_jis", "\x80"},
        {"gb2312", "\xA1\x41"},   {"big5", "\x81\x40"},    {"ks_c_5601-1987", "\xC9\xA1"}, {"shift_jis", "\x83"},
    };
    for (const auto& [encoding, bytes] : undefined) {
        std::string utf8, error;
        std::size_t line = 0;
        EXPECT_FALSE(loader::DecodeXmlText(
            std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\n<a>\n<b c=\"" + bytes + "\"/></a>",
            utf8, error, line))
            << encoding << " " << bytes;
        EXPECT_EQ(error, std::string("the text is not valid ") + encoding);
        EXPECT_EQ(line, 3u);
    }
    EXPECT_EQ(loader::CodePageOfEncoding("windows-1259"), 0u);
    EXPECT_EQ(loader::CodePageOfEncoding("cp"), 0u);
}

#ifdef _WIN32
// The system's own code page 1252 is the reference for every byte.
TEST(TextDecoding, Windows1252MapsEveryByteAsWindowsDoes) {
    for (int byte = 0; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        wchar_t out = 0;
        ASSERT_EQ(MultiByteToWideChar(1252, 0, &in, 1, &out, 1), 1);
        EXPECT_EQ(static_cast<unsigned>(loader::FromWindows1252(static_cast<unsigned char>(byte))),
                  static_cast<unsigned>(out))
            << "byte " << byte;
    }
}
#endif

TEST(XmlNestingDepth, SeesTheNestingThatTheParserSees) {
    EXPECT_EQ(loader::XmlNestingDepth("<?xml version=\"1.0\"?><!DOCTYPE a [<!ELEMENT a ANY>]><a><!-- <b> <c> -->"
                                      "<c x='>' y=\"</a>\"/><![CDATA[<d><d>]]><e><f/></e></a>"),
              3u);
    EXPECT_EQ(loader::XmlNestingDepth("<a><b><c></c><c><d/></c></b></a>"), 4u);
    // Closing tags that do not match still count as closing: the parser refuses the file anyway.
    EXPECT_EQ(loader::XmlNestingDepth("<a></b><c>"), 1u);
    // A quote is part of an element name, and an unknown "<!" node ends at its first ">".
    EXPECT_EQ(loader::XmlNestingDepth("<x'><a><a></a></a></x'>"), 3u);
    EXPECT_EQ(loader::XmlNestingDepth("<a><!x [><a><a/></a></a>"), 3u);
    EXPECT_EQ(loader::XmlNestingDepth("<?><a><b/></a>?>"), 0u);
    // The parser stops at a NUL.
    EXPECT_EQ(loader::XmlNestingDepth(std::string_view("<a>\0<b><c>", 10)), 1u);
}

}  // namespace
}  // namespace sprig::testing
