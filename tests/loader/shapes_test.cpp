// Solutions loaded from files in memory: the shape of the model each format gives.
#include <gtest/gtest.h>

#include "loader/LoaderTesting.h"

namespace sprig::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(LoadSolution, SolutionFoldersHoldTheirNestedProjectsThenTheirFiles) {
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] =
        Solution(ProjectLine(Folder, "Tools", "Tools", "{F1}",
                             "\tProjectSection(SolutionItems) = preProject\r\n"
                             "\t\tTools\\build.cmd = Tools\\build.cmd\r\n"
                             "\t\t..\\shared\\.\\notes.txt = ..\\shared\\.\\notes.txt\r\n"
                             "\tEndProjectSection\r\n") +
                 ProjectLine(Cpp, "App", "App\\App.vcproj", "{A1}") + ProjectLine(Folder, "Inner", "Inner", "{F2}") +
                 ProjectLine(CSharp, "Lib", "Lib\\Lib.csproj", "{B1}") +
                 "Global\r\n\tGlobalSection(NestedProjects) = preSolution\r\n"
                 "\t\t{B1} = {F2}\r\n\t\t{f2} = {F1}\r\n"  // ids match ignoring case
                 "\tEndGlobalSection\r\nEndGlobal\r\n");
    files.files[u"C:\\s\\App\\App.vcproj"] =
        "<VisualStudioProject><Files><File RelativePath=\"a.cpp\"/></Files></VisualStudioProject>";
    files.files[u"C:\\s\\Lib\\Lib.csproj"] = "<Project><ItemGroup><Compile Include=\"l.cs\"/></ItemGroup></Project>";
    EXPECT_EQ(CleanModel(files),
              "Tools (solution folder)\n"
              "  [sub] Inner\n"
              "    Inner (solution folder)\n"
              "      [sub] Lib\n"
              "        Lib (C#)\n"
              "          [file] l.cs = C:\\s\\Lib\\l.cs\n"
              "  [file] build.cmd = C:\\s\\Tools\\build.cmd\n"
              "  [file] notes.txt = C:\\shared\\notes.txt\n"
              "App (C++)\n"
              "  [file] a.cpp = C:\\s\\App\\a.cpp\n");
}

TEST(LoadSolution, VcprojFiltersNestAndFilesNestInFiles) {
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(Cpp, "App", "src\\App\\App.vcproj", "{A1}"));
    files.files[u"C:\\s\\src\\App\\App.vcproj"] = R"(<?xml version="1.0" encoding="Windows-1252"?>
<VisualStudioProject ProjectType="Visual C++" Version="8.00" Name="App">
  <Configurations><Configuration Name="Debug|Win32"/></Configurations>
  <Files>
    <Filter Name="Source Files" Filter="cpp;c">
      <File RelativePath=".\main.cpp">
        <FileConfiguration Name="Debug|Win32"><Tool Name="VCCLCompilerTool"/></FileConfiguration>
      </File>
      <Filter Name="Deep"><File RelativePath="deep\x.cpp"></File></Filter>
    </Filter>
    <File RelativePath="Form.h"><File RelativePath=".\Form.resx"/></File>
    <File RelativePath="..\..\common\util.h"/>
    <File RelativePath="D:\sdk\include\sdk.h"/>
    <File RelativePath="\rooted\r.h"/>
  </Files>
</VisualStudioProject>
)";
    EXPECT_EQ(CleanModel(files),
              "App (C++)\n"
              "  [filter] Source Files\n"
              "    [file] main.cpp = C:\\s\\src\\App\\main.cpp\n"
              "    [filter] Deep\n"
              "      [file] x.cpp = C:\\s\\src\\App\\deep\\x.cpp\n"
              "  [file] Form.h = C:\\s\\src\\App\\Form.h\n"
              "    [file] Form.resx = C:\\s\\src\\App\\Form.resx\n"
              "  [file] util.h = C:\\s\\common\\util.h\n"
              "  [file] sdk.h = D:\\sdk\\include\\sdk.h\n"
              "  [file] r.h = C:\\rooted\\r.h\n");
}

TEST(LoadSolution, ManagedProjectFoldersFollowThePathsAndDependentFilesNestUnderTheirParent) {
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(CSharp, "Viewer", "Viewer\\Viewer.csproj", "{A1}"));
    files.files[u"C:\\s\\Viewer\\Viewer.csproj"] =
        R"(<Project DefaultTargets="Build" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <ItemGroup>
    <Reference Include="System" />
    <ProjectReference Include="..\Lib\Lib.csproj"><Name>Lib</Name></ProjectReference>
  </ItemGroup>
  <ItemGroup>
    <Compile Include="Forms\Form1.Designer.cs"><DependentUpon>Form1.cs</DependentUpon></Compile>
    <Compile Include="Program.cs" />
    <Compile Include="Forms\Form1.cs"><SubType>Form</SubType></Compile>
    <EmbeddedResource Include="forms\Form1.resx"><DependentUpon> Form1.cs </DependentUpon></EmbeddedResource>
    <Compile Include="Forms\Form1.Strings.cs" DependentUpon="Form1.resx" />
    <Compile Include=".\Model\Deep\..\Page.cs; Model\Book.cs" />
    <Compile Include="..\Shared\Info.cs"><Link>Properties\Info.cs</Link></Compile>
    <Compile Include="..\Shared\Loose.cs" />
    <None Include="A.txt"><DependentUpon>B.txt</DependentUpon></None>
    <None Include="B.txt"><DependentUpon>A.txt</DependentUpon></None>
    <Content Include="Help\*.htm" />
    <Folder Include="Plugins\" />
    <BootstrapperPackage Include="Microsoft.Net.Framework.2.0" />
  </ItemGroup>
</Project>
)";
    const Loaded loaded = Load(files);
    EXPECT_EQ(loaded.messages, Lines{"C:\\s\\Viewer\\Viewer.csproj: line 17: 'Help\\*.htm' is left out: wildcards and "
                                     "properties are not evaluated"});
    // Folders come first in each collection, files after them in the order of the project file;
    // the second spelling of a folder ("forms") finds the first; A.txt and B.txt name each other,
    // so the later one (B.txt) stays where it is and A.txt goes under it.
    EXPECT_EQ(loaded.model,
              "Viewer (C#)\n"
              "  [folder] Forms = C:\\s\\Viewer\\Forms\\\n"
              "    [file] Form1.cs = C:\\s\\Viewer\\Forms\\Form1.cs\n"
              "      [file] Form1.Designer.cs = C:\\s\\Viewer\\Forms\\Form1.Designer.cs\n"
              "      [file] Form1.resx = C:\\s\\Viewer\\forms\\Form1.resx\n"
              "        [file] Form1.Strings.cs = C:\\s\\Viewer\\Forms\\Form1.Strings.cs\n"
              "  [folder] Model = C:\\s\\Viewer\\Model\\\n"
              "    [file] Page.cs = C:\\s\\Viewer\\Model\\Page.cs\n"
              "    [file] Book.cs = C:\\s\\Viewer\\Model\\Book.cs\n"
              "  [folder] Properties = C:\\s\\Viewer\\Properties\\\n"
              "    [file] Info.cs = C:\\s\\Shared\\Info.cs\n"
              "  [folder] Plugins = C:\\s\\Viewer\\Plugins\\\n"
              "  [file] Program.cs = C:\\s\\Viewer\\Program.cs\n"
              "  [file] Loose.cs = C:\\s\\Shared\\Loose.cs\n"
              "  [file] B.txt = C:\\s\\Viewer\\B.txt\n"
              "    [file] A.txt = C:\\s\\Viewer\\A.txt\n");
}

TEST(LoadSolution, VbProjectsReadLikeCSharpOnes) {
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(VisualBasic, "Reports", "Reports.vbproj", "{A1}"));
    files.files[u"C:\\s\\Reports.vbproj"] = R"(<?xml version="1.0" encoding="utf-8"?>
<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <ItemGroup><Import Include="System" /></ItemGroup>
  <ItemGroup>
    <Compile Include="My Project\Settings.Designer.vb"><DependentUpon>Settings.settings</DependentUpon></Compile>
    <None Include="My Project\Settings.settings" />
    <AppDesigner Include="My Project\" />
    <Compile Include="Module1.vb" />
  </ItemGroup>
</Project>
)";
    EXPECT_EQ(CleanModel(files),
              "Reports (VB)\n"
              "  [folder] My Project = C:\\s\\My Project\\\n"
              "    [file] Settings.settings = C:\\s\\My Project\\Settings.settings\n"
              "      [file] Settings.Designer.vb = C:\\s\\My Project\\Settings.Designer.vb\n"
              "  [file] Module1.vb = C:\\s\\Module1.vb\n");
}

TEST(LoadSolution, VcxprojItemsGoIntoTheFiltersOfTheFiltersFile) {
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(Cpp, "Kit", "Kit\\Kit.vcxproj", "{A1}") +
                                            ProjectLine(Cpp, "Bare", "Bare\\Bare.vcxproj", "{A2}"));
    const std::string project = R"(<?xml version="1.0" encoding="utf-8"?>
<Project DefaultTargets="Build" ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <ItemGroup Label="ProjectConfigurations">
    <ProjectConfiguration Include="Debug|Win32"><Configuration>Debug</Configuration></ProjectConfiguration>
  </ItemGroup>
  <ItemDefinitionGroup><ClCompile><WarningLevel>Level3</WarningLevel></ClCompile></ItemDefinitionGroup>
  <ItemGroup>
    <ClCompile Include="src\Lexer.cpp" />
    <ClCompile Include="tests\LexerTests.cpp" />
    <ClInclude Include="include\Lexer.h" />
    <CustomBuild Include="grammar.y" />
    <EmbeddedResource Include="Form.resx"><DependentUpon>include\Lexer.h</DependentUpon></EmbeddedResource>
  </ItemGroup>
</Project>
)";
    files.files[u"C:\\s\\Kit\\Kit.vcxproj"] = project;
    files.files[u"C:\\s\\Bare\\Bare.vcxproj"] = project;
    files.files[u"C:\\s\\Kit\\Kit.vcxproj.filters"] = R"(<?xml version="1.0" encoding="utf-8"?>
<Project ToolsVersion="4.0" xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
  <ItemGroup>
    <Filter Include="Source Files"><UniqueIdentifier>{4FC737F1}</UniqueIdentifier></Filter>
    <Filter Include="Source Files\Tests" />
    <Filter Include="Empty" />
  </ItemGroup>
  <ItemGroup>
    <ClCompile Include="SRC\lexer.cpp"><Filter>Source Files</Filter></ClCompile>
    <ClCompile Include="tests\LexerTests.cpp"><Filter>Source Files\Tests</Filter></ClCompile>
    <ClInclude Include="include\Lexer.h"><Filter>Header Files</Filter></ClInclude>
  </ItemGroup>
</Project>
)";
    EXPECT_EQ(CleanModel(files),
              "Kit (C++)\n"
              "  [filter] Source Files\n"
              "    [filter] Tests\n"
              "      [file] LexerTests.cpp = C:\\s\\Kit\\tests\\LexerTests.cpp\n"
              "    [file] Lexer.cpp = C:\\s\\Kit\\src\\Lexer.cpp\n"
              "  [filter] Empty\n"
              "  [filter] Header Files\n"
              "    [file] Lexer.h = C:\\s\\Kit\\include\\Lexer.h\n"
              "      [file] Form.resx = C:\\s\\Kit\\Form.resx\n"
              "  [file] grammar.y = C:\\s\\Kit\\grammar.y\n"
              "Bare (C++)\n"
              "  [file] Lexer.cpp = C:\\s\\Bare\\src\\Lexer.cpp\n"
              "  [file] LexerTests.cpp = C:\\s\\Bare\\tests\\LexerTests.cpp\n"
              "  [file] Lexer.h = C:\\s\\Bare\\include\\Lexer.h\n"
              "    [file] Form.resx = C:\\s\\Bare\\Form.resx\n"
              "  [file] grammar.y = C:\\s\\Bare\\grammar.y\n");
}

// The properties that the environment defines for a loaded project, with "\" at the end of the
// folders where MSBuild puts one; a full path inside the project's folder shows as a relative one.
// What is still not evaluated is named.
TEST(LoadSolution, BuiltInPropertiesOfTheSolutionAndTheProjectAreEvaluated) {
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(CSharp, "App", "App\\App.csproj", "{A1}") +
                                            ProjectLine(CSharp, "Named", "N\\Named.csproj", "{A2}") +
                                            ProjectLine(Cpp, "Kit", "Kit\\Kit.vcxproj", "{A3}"));
    files.files[u"C:\\s\\App\\App.csproj"] = R"(<Project>
  <ItemGroup>
    <Compile Include="$(SolutionDir)lib\x.cs;$(ProjectDir)Sub\y.cs" />
    <Compile Include="$(MSBuildThisFileDirectory)z.cs;$(MSBuildProjectDirectory)\w.cs" />
    <None Include="$(msbuildprojectname)$(ProjectExt).txt;$(SolutionName)$(SolutionExt).txt" />
    <None Include="$(SolutionPath).bak;$(SolutionFileName).user;$(ProjectPath).user;$(ProjectFileName).old" />
    <None Include="$(ProjectName).a;$(MSBuildProjectFile).b;$(MSBuildProjectExtension).c;$(MSBuildThisFile).d" />
    <None Include="$(MSBuildThisFileName).e;$(MSBuildThisFileExtension).f;$(MSBuildProjectFullPath).g" />
    <None Include="$(MSBuildThisFileFullPath).h;C:\$(MSBuildProjectDirectoryNoRoot)\i;D:\$(MSBuildThisFileDirectoryNoRoot)j" />
    <None Include="$( SolutionDir )k;$(Configuration)\gen.cs;$(SolutionDir" />
  </ItemGroup>
</Project>
)";
    // A project that sets ProjectName itself: that one is its own, the others are built in.
    files.files[u"C:\\s\\N\\Named.csproj"] = R"(<Project>
  <PropertyGroup Condition="'$(Configuration)' == ''"><ProjectName>Other</ProjectName></PropertyGroup>
  <ItemGroup><Compile Include="$(ProjectName).cs;$(ProjectDir)n.cs" /></ItemGroup>
</Project>
)";
    // The .filters file names the items as the project does, and finds them.
    files.files[u"C:\\s\\Kit\\Kit.vcxproj"] =
        R"(<Project><ItemGroup><ClCompile Include="$(ProjectDir)src\k.cpp;$(SolutionDir)common\c.cpp" /></ItemGroup></Project>)";
    files.files[u"C:\\s\\Kit\\Kit.vcxproj.filters"] = R"(<Project>
  <ItemGroup><Filter Include="Source" /></ItemGroup>
  <ItemGroup>
    <ClCompile Include="$(ProjectDir)src\k.cpp"><Filter>Source</Filter></ClCompile>
    <ClCompile Include="$(SolutionDir)common\c.cpp"><Filter>Source</Filter></ClCompile>
  </ItemGroup>
</Project>
)";
    const Loaded loaded = Load(files);
    EXPECT_EQ(loaded.model,
              "App (C#)\n"
              "  [folder] Sub = C:\\s\\App\\Sub\\\n"
              "    [file] y.cs = C:\\s\\App\\Sub\\y.cs\n"
              "  [file] x.cs = C:\\s\\lib\\x.cs\n"
              "  [file] z.cs = C:\\s\\App\\z.cs\n"
              "  [file] w.cs = C:\\s\\App\\w.cs\n"
              "  [file] App.csproj.txt = C:\\s\\App\\App.csproj.txt\n"
              "  [file] S.sln.txt = C:\\s\\App\\S.sln.txt\n"
              "  [file] S.sln.bak = C:\\s\\S.sln.bak\n"
              "  [file] S.sln.user = C:\\s\\App\\S.sln.user\n"
              "  [file] App.csproj.user = C:\\s\\App\\App.csproj.user\n"
              "  [file] App.csproj.old = C:\\s\\App\\App.csproj.old\n"
              "  [file] App.a = C:\\s\\App\\App.a\n"
              "  [file] App.csproj.b = C:\\s\\App\\App.csproj.b\n"
              "  [file] .csproj.c = C:\\s\\App\\.csproj.c\n"
              "  [file] App.csproj.d = C:\\s\\App\\App.csproj.d\n"
              "  [file] App.e = C:\\s\\App\\App.e\n"
              "  [file] .csproj.f = C:\\s\\App\\.csproj.f\n"
              "  [file] App.csproj.g = C:\\s\\App\\App.csproj.g\n"
              "  [file] App.csproj.h = C:\\s\\App\\App.csproj.h\n"
              "  [file] i = C:\\s\\App\\i\n"
              "  [file] j = D:\\s\\App\\j\n"
              "  [file] k = C:\\s\\k\n"
              "Named (C#)\n"
              "  [file] n.cs = C:\\s\\N\\n.cs\n"
              "Kit (C++)\n"
              "  [filter] Source\n"
              "    [file] k.cpp = C:\\s\\Kit\\src\\k.cpp\n"
              "    [file] c.cpp = C:\\s\\common\\c.cpp\n");
    EXPECT_EQ(
        loaded.messages,
        (Lines{"C:\\s\\App\\App.csproj: line 10: '$(Configuration)\\gen.cs' is left out: wildcards and properties "
               "are not evaluated",
               "C:\\s\\App\\App.csproj: line 10: '$(SolutionDir' is left out: wildcards and properties are not "
               "evaluated",
               "C:\\s\\N\\Named.csproj: line 3: '$(ProjectName).cs' is left out: wildcards and properties are "
               "not evaluated"}));
}

TEST(LoadSolution, WebSitesHoldTheFilesOfTheirFolderFoldersFirst) {
    MemoryFiles files;
    files.files[u"C:\\s\\S.sln"] = Solution(ProjectLine(WebSite, "C:\\web\\Site\\", "..\\web\\Site\\", "{A1}") +
                                            ProjectLine(WebSite, "Remote", "http://localhost/Remote", "{A2}"));
    for (const char16_t* name :
         {u"C:\\web\\Site\\web.config", u"C:\\web\\Site\\Default.aspx", u"C:\\web\\Site\\App_Code\\b.cs",
          u"C:\\web\\Site\\App_Code\\A.cs", u"C:\\web\\Site\\Styles\\x\\site.css"}) {
        files.files[name] = "x";
    }
    // A link back to the site is passed over wherever it lies.
    files.links[u"C:\\web\\Site\\Styles\\x\\up"] = u"C:\\web\\Site";
    const Loaded loaded = Load(files);
    EXPECT_EQ(loaded.messages, Lines{"C:\\s\\S.sln: line 6: web site 'Remote' is served from a URL, which is not read; "
                                     "it is listed without items"});
    EXPECT_EQ(loaded.model,
              "C:\\web\\Site\\ (web site)\n"
              "  [folder] App_Code = C:\\web\\Site\\App_Code\\\n"
              "    [file] A.cs = C:\\web\\Site\\App_Code\\A.cs\n"
              "    [file] b.cs = C:\\web\\Site\\App_Code\\b.cs\n"
              "  [folder] Styles = C:\\web\\Site\\Styles\\\n"
              "    [folder] x = C:\\web\\Site\\Styles\\x\\\n"
              "      [file] site.css = C:\\web\\Site\\Styles\\x\\site.css\n"
              "  [file] Default.aspx = C:\\web\\Site\\Default.aspx\n"
              "  [file] web.config = C:\\web\\Site\\web.config\n"
              "Remote (web site)\n");
}

}  // namespace
}  // namespace sprig::testing
