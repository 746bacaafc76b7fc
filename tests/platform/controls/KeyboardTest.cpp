// Shortcut encoding and its text form, accelerator marks in captions.
#include "platform/controls/Keyboard.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(Keyboard, ShortCutTextRoundTrips)
{
    struct Row {
        TShortCut sc;
        const char* text;
    };
    const Row rows[] = {
        {TShortCut('P' | scCtrl), "Ctrl+P"},
        {VK_F1, "F1"},
        {TShortCut(VK_DELETE | scShift), "Shift+Del"},
        {TShortCut(VK_F12 | scShift | scCtrl | scAlt), "Shift+Ctrl+Alt+F12"},
        {TShortCut(VK_NEXT | scCtrl), "Ctrl+PgDn"},
        {TShortCut('0' | scAlt), "Alt+0"},
        {VK_RETURN, "Enter"},
        {VK_NUMPAD5, "Num 5"},
        {TShortCut(VK_OEM_5 | scCtrl), "Ctrl+\\"},
        {TShortCut(VK_OEM_1 | scShift), "Shift+;"},
        {VK_OEM_2, "/"},
        {VK_OEM_3, "`"},
        {TShortCut(VK_OEM_4 | scAlt), "Alt+["},
        {VK_OEM_6, "]"},
        {VK_OEM_7, "'"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ShortCutToText(r.sc), r.text);
        EXPECT_EQ(TextToShortCut(r.text), r.sc) << r.text;
    }
    // Every key with a name survives the trip with every modifier combination.
    for (int key = 1; key < 256; ++key)
        for (TShortCut mods : {TShortCut(0), scShift, scCtrl, scAlt, TShortCut(scCtrl | scAlt)}) {
            const TShortCut sc = TShortCut(key | mods);
            const std::string text = ShortCutToText(sc);
            if (!text.empty()) {
                EXPECT_EQ(TextToShortCut(text), sc) << text;
            }
        }
}

TEST(Keyboard, OddShortCutTextGivesNone)
{
    EXPECT_EQ(TextToShortCut(""), scNone);
    EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
    EXPECT_EQ(TextToShortCut("Hyper+Q"), scNone);
    EXPECT_EQ(TextToShortCut("ctrl+shift+s"), TShortCut('S' | scCtrl | scShift));
    EXPECT_EQ(ShortCutToText(scNone), "");
    EXPECT_EQ(ShortCutToText(TShortCut(0xFF | scCtrl)), "");
    EXPECT_EQ(ShortCut(0x1234, {ssCtrl}), scNone) << "keys beyond a byte have no shortcut";
    std::uint16_t key = 0;
    TShiftState shift;
    ShortCutToKey(TShortCut('P' | scCtrl | scShift), key, shift);
    EXPECT_EQ(key, 'P');
    EXPECT_EQ(shift, (TShiftState{ssCtrl, ssShift}));
}

TEST(Keyboard, Accelerators)
{
    EXPECT_EQ(GetHotkey("&Print"), U'p');
    EXPECT_EQ(GetHotkey("Save &As..."), U'a');
    EXPECT_EQ(GetHotkey("Fish && Chips"), 0u);
    EXPECT_EQ(GetHotkey("&&x &Über"), U'ü');
    EXPECT_EQ(GetHotkey("trailing &"), 0u);
    EXPECT_EQ(StripHotkey("Fish && &Chips"), "Fish & Chips");
    EXPECT_TRUE(IsAccel(U'P', "&print"));
    EXPECT_FALSE(IsAccel(U'r', "&print"));
    EXPECT_EQ(KeyCharToUtf8(U'ä'), "ä");
}

} // namespace
} // namespace qel
