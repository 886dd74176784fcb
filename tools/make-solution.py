#!/usr/bin/env python3
"""Writes a large synthetic solution for the loader's benchmarks and round-trip tests.

    make-solution.py DIR FILES [--seed N] [--expect FILE]

DIR/Generated.sln names projects of every kind the loader reads, in turn: C++ .vcproj
(Windows-1252, nested filters), C# .csproj (physical folders, dependent files), VB .vbproj and
C++ .vcxproj with its .filters file; every fifth project nests in the solution folder
"Libraries", which also holds three solution-level files. FILES files are shared out among the
projects, 40 to a folder, folders one to four levels deep. The files themselves are not written.

--expect FILE writes one line for every file that the solution walk catalogues (dependent files
are not catalogued): its path relative to DIR, its project name and its project path, separated
by tabs, in no particular order. The same seed always gives the same solution.
"""
import argparse
import os
import random

WORDS = ["core", "util", "render", "audio", "net", "io", "parser", "widget", "main", "config",
         "string", "memory", "caf\u00e9", "se\u00f1al"]
FILES_PER_FOLDER = 40
FILES_PER_PROJECT = 20000
KINDS = ["vcproj", "csproj", "vbproj", "vcxproj"]
TYPE = {"vcproj": "8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942", "vcxproj": "8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942",
        "csproj": "FAE04EC0-301F-11D3-BF4B-00C04F79EFBC", "vbproj": "F184B08F-C81C-45F6-A57F-5ABD9991F28F"}
EXTENSION = {"vcproj": ".cpp", "vcxproj": ".cpp", "csproj": ".cs", "vbproj": ".vb"}
FOLDER_TYPE = "2150E333-8FDC-42A3-9474-1A3956D46DE8"
MSBUILD = 'xmlns="http://schemas.microsoft.com/developer/msbuild/2003"'


def guid(n):
    return "{%08X-0000-4000-8000-%012X}" % (n, n)


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace('"', "&quot;")


def plan(files, seed):
    """Projects with their folders: [(name, kind, nested, [(folder, [file names])])]."""
    rng = random.Random(seed)
    count = max(2 * len(KINDS), -(-files // FILES_PER_PROJECT))
    projects, made = [], 0
    for p in range(count):
        kind = KINDS[p % len(KINDS)]
        name = "%s_%s%d" % (rng.choice(WORDS[:12]).capitalize(), kind, p)
        share = files // count + (p < files % count)
        folders = []
        while share > 0:
            depth = rng.randint(1, 4)
            folder = "\\".join(rng.choice(WORDS) for _ in range(depth))
            names = []
            for _ in range(min(FILES_PER_FOLDER, share)):
                names.append("%s%d%s" % (rng.choice(WORDS), made, EXTENSION[kind]))
                made += 1
            folders.append((folder, names))
            share -= len(names)
        projects.append((name, kind, p % 5 == 4, folders))
    return projects


def vcproj(name, folders):
    # Folders of the same path share one filter chain, as an author would arrange them.
    tree = {}
    for folder, names in folders:
        node = tree
        for segment in folder.split("\\"):
            node = node.setdefault(segment, {})
        node.setdefault(None, []).extend((folder, n) for n in names)
    out = ['<?xml version="1.0" encoding="Windows-1252"?>\r\n<VisualStudioProject\r\n\tProjectType="Visual C++"\r\n'
           '\tVersion="8.00"\r\n\tName="%s"\r\n\t>\r\n\t<Files>\r\n' % escape(name)]

    def emit(node, indent):
        for key, child in node.items():
            if key is None:
                for folder, n in child:
                    out.append('%s<File\r\n%s\tRelativePath=".\\%s\\%s"\r\n%s\t>\r\n%s</File>\r\n'
                               % (indent, indent, escape(folder), escape(n), indent, indent))
            else:
                out.append('%s<Filter\r\n%s\tName="%s"\r\n%s\t>\r\n' % (indent, indent, escape(key), indent))
                emit(child, indent + "\t")
                out.append("%s</Filter>\r\n" % indent)
    emit(tree, "\t\t")
    out.append("\t</Files>\r\n</VisualStudioProject>\r\n")
    return "".join(out).encode("cp1252")


def managed(folders):
    """C# or VB: every tenth file has a designer file that depends on it (not catalogued)."""
    out = ['<Project DefaultTargets="Build" %s>\r\n  <ItemGroup>\r\n    <Reference Include="System" />\r\n'
           '  </ItemGroup>\r\n  <ItemGroup>\r\n' % MSBUILD]
    count = 0
    for folder, names in folders:
        for n in names:
            out.append('    <Compile Include="%s\\%s" />\r\n' % (escape(folder), escape(n)))
            count += 1
            if count % 10 == 0:
                stem, dot, extension = n.rpartition(".")
                out.append('    <Compile Include="%s\\%s.Designer.%s">\r\n      <DependentUpon>%s</DependentUpon>\r\n'
                           '    </Compile>\r\n' % (escape(folder), escape(stem), extension, escape(n)))
    out.append('  </ItemGroup>\r\n</Project>\r\n')
    return b"\xef\xbb\xbf" + "".join(out).encode("utf-8")


def vcxproj(folders):
    """The project file and its .filters; the files of the first folder are in no filter."""
    items, filters, defined = [], [], []
    for i, (folder, names) in enumerate(folders):
        for n in names:
            items.append('    <ClCompile Include="%s\\%s" />\r\n' % (escape(folder), escape(n)))
            if i > 0:
                filters.append('    <ClCompile Include="%s\\%s">\r\n      <Filter>%s</Filter>\r\n    </ClCompile>\r\n'
                               % (escape(folder), escape(n), escape(folder)))
        if i > 0 and folder not in defined:
            defined.append(folder)
    project = ('<?xml version="1.0" encoding="utf-8"?>\r\n<Project DefaultTargets="Build" ToolsVersion="4.0" %s>\r\n'
               '  <ItemGroup Label="ProjectConfigurations">\r\n    <ProjectConfiguration Include="Debug|Win32" />\r\n'
               '  </ItemGroup>\r\n  <ItemGroup>\r\n%s  </ItemGroup>\r\n</Project>\r\n' % (MSBUILD, "".join(items)))
    definitions = "".join('    <Filter Include="%s" />\r\n' % escape(f) for f in defined)
    filter_file = ('<?xml version="1.0" encoding="utf-8"?>\r\n<Project ToolsVersion="4.0" %s>\r\n  <ItemGroup>\r\n%s'
                   '  </ItemGroup>\r\n  <ItemGroup>\r\n%s  </ItemGroup>\r\n</Project>\r\n'
                   % (MSBUILD, definitions, "".join(filters)))
    return project.encode("utf-8"), filter_file.encode("utf-8")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("dir")
    parser.add_argument("files", type=int)
    parser.add_argument("--seed", type=int, default=7)
    parser.add_argument("--expect")
    args = parser.parse_args()

    expected = []  # (relative path, project name, project path)
    sln = ["\ufeff\r\nMicrosoft Visual Studio Solution File, Format Version 9.00\r\n# Visual Studio 2005\r\n"]
    nesting = []
    libraries = guid(0)
    solution_items = ["Libraries\\README.txt", "Libraries\\build.cmd", "NOTES.txt"]
    sln.append('Project("{%s}") = "Libraries", "Libraries", "%s"\r\n\tProjectSection(SolutionItems) = preProject\r\n'
               % (FOLDER_TYPE, libraries))
    for item in solution_items:
        sln.append("\t\t%s = %s\r\n" % (item, item))
        expected.append((item, "Libraries", "Libraries"))
    sln.append("\tEndProjectSection\r\nEndProject\r\n")

    projects = plan(args.files, args.seed)
    for p, (name, kind, nested, folders) in enumerate(projects):
        base = ("Libraries\\" if nested else "") + name
        directory = os.path.join(args.dir, name)
        os.makedirs(directory, exist_ok=True)
        path = os.path.join(directory, name + "." + kind)
        if kind == "vcproj":
            content = vcproj(name, folders)
        elif kind == "vcxproj":
            content, filter_file = vcxproj(folders)
            with open(path + ".filters", "wb") as out:
                out.write(filter_file)
        else:
            content = managed(folders)
        with open(path, "wb") as out:
            out.write(content)
        for i, (folder, names) in enumerate(folders):
            # The project path names the folders, or filters, that hold the file.
            level = base if kind == "vcxproj" and i == 0 else base + "\\" + folder
            expected.extend(("%s\\%s\\%s" % (name, folder, n), name, level) for n in names)
        sln.append('Project("{%s}") = "%s", "%s\\%s.%s", "%s"\r\nEndProject\r\n'
                   % (TYPE[kind], name, name, name, kind, guid(p + 1)))
        if nested:
            nesting.append("\t\t%s = %s\r\n" % (guid(p + 1), libraries))
    sln.append("Global\r\n\tGlobalSection(NestedProjects) = preSolution\r\n%s\tEndGlobalSection\r\nEndGlobal\r\n"
               % "".join(nesting))
    with open(os.path.join(args.dir, "Generated.sln"), "w", encoding="utf-8", newline="") as out:
        out.write("".join(sln))
    if args.expect:
        with open(args.expect, "w", encoding="utf-8", newline="\n") as out:
            for row in expected:
                out.write("\t".join(row) + "\n")
    print("%d files catalogued in %d projects" % (len(expected), len(projects)))


if __name__ == "__main__":
    main()
