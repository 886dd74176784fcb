#include <gtest/gtest.h>

#include "host/core/KeyBinding.h"

namespace sprig::host {
namespace {

TEST(KeyBinding, TakesScopeModifiersAndKeyInAnyOrderAndCase) {
    KeyBinding binding;
    ASSERT_TRUE(ParseKeyBinding(u"Global::Ctrl+Shift+Alt+O", binding));
    EXPECT_EQ(binding.scope, u"Global");
    EXPECT_TRUE(binding.ctrl && binding.shift && binding.alt);
    EXPECT_EQ(binding.key, 'O');

    ASSERT_TRUE(ParseKeyBinding(u"Text Editor::aLT+ctrl+f12", binding));
    EXPECT_EQ(binding.scope, u"Text Editor");
    EXPECT_TRUE(binding.ctrl && binding.alt);
    EXPECT_FALSE(binding.shift);
    EXPECT_EQ(binding.key, 0x7B);

    ASSERT_TRUE(ParseKeyBinding(u"Global::o", binding));
    EXPECT_FALSE(binding.ctrl || binding.shift || binding.alt);
    EXPECT_EQ(binding.key, 'O');
}

TEST(KeyBinding, KnowsDigitsFunctionKeysAndNamedKeys) {
    const struct {
        const char16_t* text;
        std::uint16_t key;
    } cases[] = {{u"G::7", '7'},    {u"G::F1", 0x70},        {u"G::F24", 0x87},  {u"G::Enter", 0x0D},
                 {u"G::esc", 0x1B}, {u"G::Shift+Del", 0x2E}, {u"G::PgDn", 0x22}, {u"G::Bkspce", 0x08}};
    for (const auto& c : cases) {
        KeyBinding binding;
        EXPECT_TRUE(ParseKeyBinding(c.text, binding)) << c.text[3];
        EXPECT_EQ(binding.key, c.key);
    }
}

TEST(KeyBinding, RefusesWhatIsNoSingleStroke) {
    for (const char16_t* text :
         {u"", u"Ctrl+O", u"::Ctrl+O", u"Global:Ctrl+O", u"Global::", u"Global::Ctrl+", u"Global::Ctrl",
          u"Global::Ctrl+Ctrl+O", u"Global::Meta+O", u"Global::O+P", u"Global::Ctrl+K, Ctrl+C", u"Global::F0",
          u"Global::F25", u"Global::F01", u"Global::FF", u"Global::é"}) {
        KeyBinding binding;
        binding.key = 1;
        EXPECT_FALSE(ParseKeyBinding(text, binding));
        EXPECT_EQ(binding.key, 1);  // left as it was
    }
}

}  // namespace
}  // namespace sprig::host
