// The solution the dialog tests open, built in code and served through the stand-in COM objects.
#pragma once

#include <string>

#include "solution/model/SolutionModel.h"

namespace sprig::testing {

// A file name of 305 units, longer than any buffer the tests hand out.
inline std::u16string LongName() { return u"L" + std::u16string(300, u'o') + u".txt"; }

// Alpha: alpha.cpp, domain.cpp, main.cpp, main.h, zeta.cpp in C:\src\alpha. beta, which the walk
// meets first: beta.cpp, notes.txt, the long name and fill00.txt to fill39.txt in its folder
// Docs (C:\src\beta\docs). By file name the 48 rows run alpha.cpp, beta.cpp, domain.cpp, the
// fills (rows 3 to 42), the long name (43), main.cpp, main.h, notes.txt (46), zeta.cpp.
struct TestSolution {
    TestSolution() {
        static constexpr char16_t CppKind[] = u"{8BC9CEB8-8B4A-11D0-8D11-00A0C91BC942}";
        model::ItemCollection& docs = *model.AddFolder(*model.AddProject(u"beta", CppKind).items, u"Docs").children;
        std::u16string betaFiles[43] = {u"beta.cpp", u"notes.txt", LongName()};
        for (int i = 0; i < 40; ++i) {
            betaFiles[3 + i] = u"fill" + std::u16string{char16_t(u'0' + i / 10), char16_t(u'0' + i % 10)} + u".txt";
        }
        for (const std::u16string& name : betaFiles) model.AddFile(docs, name, u"C:\\src\\beta\\docs\\" + name);
        model::ItemCollection& alpha = *model.AddProject(u"Alpha", CppKind).items;
        for (const char16_t* name : {u"main.cpp", u"zeta.cpp", u"domain.cpp", u"alpha.cpp", u"main.h"}) {
            model.AddFile(alpha, name, u"C:\\src\\alpha\\" + std::u16string(name));
        }
    }

    model::SolutionModel model;
};

}  // namespace sprig::testing
