#include <gtest/gtest.h>

#include "addin/core/Registration.h"

namespace sprig {
namespace {

TEST(Registration, ModulePathReplacesEveryPlaceholderAsItStands) {
    EXPECT_EQ(ExpandModule(u"%MODULE%,1", u"C:\\Sprig's\\Sprig.dll"), u"C:\\Sprig's\\Sprig.dll,1");
    EXPECT_EQ(ExpandModule(u"a%MODULE%b%MODULE%", u"P"), u"aPbP");
    // The path is not read again: a path that holds the placeholder or percent signs stays whole.
    EXPECT_EQ(ExpandModule(u"%MODULE%", u"C:\\%MODULE%\\100%\\x.dll"), u"C:\\%MODULE%\\100%\\x.dll");
    EXPECT_EQ(ExpandModule(u"%MODULE% %MODULE", u"P"), u"P %MODULE");
    EXPECT_EQ(ExpandModule(u"Apartment", u"P"), u"Apartment");
}

TEST(Registration, TypeLibraryBesideTheModuleTakesTheTlbExtension) {
    EXPECT_EQ(TypeLibraryFileBeside(u"C:\\Add-ins\\Sprig.dll"), u"C:\\Add-ins\\Sprig.tlb");
    EXPECT_EQ(TypeLibraryFileBeside(u"C:\\Add-ins\\Sprig.old.dll"), u"C:\\Add-ins\\Sprig.old.tlb");
    // A point in a directory's name is no extension of the file.
    EXPECT_EQ(TypeLibraryFileBeside(u"C:\\Add.ins\\Sprig"), u"C:\\Add.ins\\Sprig.tlb");
    EXPECT_EQ(TypeLibraryFileBeside(u"C:\\Add-ins\\Sprig."), u"C:\\Add-ins\\Sprig.tlb");
    EXPECT_EQ(TypeLibraryFileBeside(u"Sprig"), u"Sprig.tlb");
}

}  // namespace
}  // namespace sprig
