#include "printing/PrintControls.h"

#include "TestSupport.h"
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Clock.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/core/Locale.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/storage/Registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qel {
namespace {

class SpinProbe : public TdxPSSpinEdit {
public:
    using TdxPSSpinEdit::TdxPSSpinEdit;
    using TdxPSSpinEdit::DoEnter;
    using TdxPSSpinEdit::DoExit;
    using TdxPSSpinEdit::DoMouseWheel;
};

class BeepCounter {
public:
    BeepCounter() : m_previous(SetBeepHook([this](unsigned) { ++count; })) {}
    ~BeepCounter() { SetBeepHook(std::move(m_previous)); }
    int count = 0;

private:
    TBeepHook m_previous;
};

struct SpinEditTest : ::testing::Test {
    LocaleScope locale;   // German: decimal comma
    SpinProbe* edit = new SpinProbe(nullptr);
    ~SpinEditTest() override { delete edit; }
    void Press(std::uint16_t key, TShiftState shift = {}) { edit->KeyDown(key, shift); }
};

TEST_F(SpinEditTest, ValueTextCarriesLegendAndReadsBack)
{
    EXPECT_EQ(edit->Text(), "0");
    edit->SetValueType(svtFloat);
    edit->SetDecimal(1);
    edit->SetMaxValue(100);
    edit->SetLegendText(" mm");
    edit->SetValue(12.5);
    EXPECT_EQ(edit->Text(), "12,5 mm");
    EXPECT_DOUBLE_EQ(edit->Value(), 12.5);
    EXPECT_EQ(edit->AsInteger(), 12);

    edit->SetLegendText("%");
    EXPECT_EQ(edit->LegendText(), " %");
    EXPECT_EQ(edit->Text(), "12,5 %");

    // Integer type rounds; the default limits 0 .. 0 pin every value to 0.
    SpinProbe plain(nullptr);
    plain.SetValue(7);
    EXPECT_EQ(plain.Text(), "0");
    plain.SetMaxValue(10);
    plain.SetValue(6.6);
    EXPECT_EQ(plain.Text(), "7");
}

TEST_F(SpinEditTest, BoundsClampTypedValues)
{
    edit->SetMaxValue(500);
    edit->SetMinValue(10);
    EXPECT_EQ(edit->Text(), "10");
    edit->SetText("5");
    EXPECT_DOUBLE_EQ(edit->Value(), 10);
    edit->SetText("900");
    EXPECT_DOUBLE_EQ(edit->Value(), 500);
    edit->SetDefaultValue(1000);
    EXPECT_DOUBLE_EQ(edit->DefaultValue(), 500);
    edit->SetCheckBounds(false);
    edit->SetText("900");
    EXPECT_DOUBLE_EQ(edit->Value(), 900);
}

TEST_F(SpinEditTest, TextThatDoesNotParseFallsBackToTheValueOnEntry)
{
    edit->SetMaxValue(100);
    edit->SetValue(42);
    edit->DoEnter();
    for (const char* typed : {"-", "1-2", "", "abc"}) {
        SCOPED_TRACE(typed);
        edit->SetText(typed);
        EXPECT_DOUBLE_EQ(edit->Value(), 42);
        EXPECT_NO_THROW(edit->DoExit());
        EXPECT_EQ(edit->Text(), "42");
        edit->DoEnter();
    }
    // Keys step from the fallback value too.
    edit->SetText("-");
    Press(VK_UP);
    EXPECT_EQ(edit->Text(), "43");
}

TEST_F(SpinEditTest, KeysStepTheValueAndReportTheButton)
{
    BeepCounter beeps;
    edit->SetMaxValue(100);
    edit->SetValue(50);
    std::vector<TdxSpinButtonKind> clicks;
    edit->OnButtonClick = [&](TObject*, TdxSpinButtonKind k) { clicks.push_back(k); };
    std::uint16_t key = VK_UP;
    edit->KeyDown(key, {});
    EXPECT_EQ(key, 0) << "the key is consumed";
    EXPECT_EQ(edit->Text(), "51");
    Press(VK_DOWN, {ssCtrl});
    EXPECT_EQ(edit->Text(), "41");
    Press(VK_PRIOR);
    EXPECT_EQ(edit->Text(), "51");
    Press(VK_NEXT);
    Press(VK_DOWN);
    EXPECT_EQ(edit->Text(), "40");
    EXPECT_EQ(clicks, (std::vector<TdxSpinButtonKind>{sbkUp, sbkPageDown, sbkPageUp, sbkPageDown, sbkDown}));
    EXPECT_TRUE(edit->Modified());

    Press(VK_END, {ssCtrl});
    EXPECT_EQ(edit->Text(), "100");
    Press(VK_HOME, {ssCtrl});
    EXPECT_EQ(edit->Text(), "0");

    edit->SetReadOnly(true);
    Press(VK_UP);
    EXPECT_EQ(edit->Text(), "0");
    EXPECT_EQ(beeps.count, 1);

    edit->SetReadOnly(false);
    edit->SetArrowKeys(false);
    key = VK_UP;
    edit->KeyDown(key, {});
    EXPECT_EQ(key, VK_UP) << "arrow keys left to the edit";
    EXPECT_EQ(edit->Text(), "0");
}

TEST_F(SpinEditTest, TypedCharactersFollowTheValidCharacterRule)
{
    BeepCounter beeps;
    edit->SetLegendText(" mm");
    auto type = [&](TKeyChar ch) {
        edit->KeyPress(ch);
        return ch;
    };
    EXPECT_EQ(type(U'7'), U'7');
    EXPECT_EQ(type(U'-'), U'-');
    EXPECT_EQ(type(U'm'), U'm') << "legend characters pass";
    EXPECT_EQ(type(U','), 0U) << "no decimal separator for integers";
    EXPECT_EQ(type(U'x'), 0U);
    EXPECT_EQ(beeps.count, 2);
    edit->SetValueType(svtFloat);
    EXPECT_EQ(type(U','), U',');
    EXPECT_EQ(type(U'\b'), U'\b');

    edit->SetEditorEnabled(false);
    for (auto [k, sh] : {std::pair<std::uint16_t, TShiftState>{'V', {ssCtrl}}, {'X', {ssCtrl}}, {VK_INSERT, {ssShift}}}) {
        std::uint16_t key = k;
        edit->KeyDown(key, sh);
        EXPECT_EQ(key, 0) << "no cut or paste while the editor is disabled";
    }
    EXPECT_EQ(type(U'7'), 0U);
    EXPECT_FALSE(edit->IsValidChar(U'\b'));
    std::uint16_t del = VK_DELETE;
    edit->KeyDown(del, {});
    EXPECT_EQ(del, 0);
    EXPECT_EQ(beeps.count, 4);
}

TEST_F(SpinEditTest, WheelUsesIncrementButtonsAndCtrlWheelOnlyWithPageButtons)
{
    edit->SetMaxValue(100);
    edit->SetValue(50);
    EXPECT_TRUE(edit->DoMouseWheel({}, 120, {0, 0}));
    EXPECT_EQ(edit->Text(), "51");
    EXPECT_TRUE(edit->DoMouseWheel({}, -120, {0, 0}));
    EXPECT_EQ(edit->Text(), "50");
    ASSERT_EQ(edit->PageButtons(), nullptr);
    EXPECT_FALSE(edit->DoMouseWheel({ssCtrl}, 120, {0, 0}));
    EXPECT_EQ(edit->Text(), "50");

    edit->SetUsePageIncr(true);
    ASSERT_NE(edit->PageButtons(), nullptr);
    EXPECT_TRUE(edit->DoMouseWheel({ssCtrl}, 120, {0, 0}));
    EXPECT_EQ(edit->Text(), "60");
}

// An edit of another notation: every path that reads, writes or types a
// value goes through the three steps it overrides.
class HexSpinEdit : public TdxPSSpinEdit {
public:
    using TdxPSSpinEdit::TdxPSSpinEdit;
    using TdxPSSpinEdit::DoExit;
    bool IsValidChar(TKeyChar Ch) const override
    {
        return (Ch >= U'a' && Ch <= U'f') || (Ch >= U'0' && Ch <= U'9') || Ch < 32;
    }

protected:
    bool TryReadValue(double& Value) const override
    {
        const std::string text = TextWithoutLegend();
        if (text.empty() || text.find_first_not_of("0123456789abcdef") != std::string::npos)
            return false;
        Value = CheckValue(static_cast<double>(std::stoi(text, nullptr, 16)));
        return true;
    }
    std::string ValueToText(double Value) const override
    {
        char text[16];
        std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(Value));
        return text;
    }
};

TEST_F(SpinEditTest, ReadingWritingAndTypingAreStepsASubclassReplaces)
{
    BeepCounter beeps;
    HexSpinEdit hex(nullptr);
    hex.SetMaxValue(1000);
    hex.SetValue(255);
    EXPECT_EQ(hex.Text(), "ff");
    hex.SetText("1f");
    EXPECT_DOUBLE_EQ(hex.Value(), 31);
    std::uint16_t up = VK_UP;
    hex.KeyDown(up, {});
    EXPECT_EQ(hex.Text(), "20") << "a step reads and writes through the subclass";
    hex.SetLegendText("h");
    EXPECT_EQ(hex.Text(), "20 h");
    hex.SetMaxValue(16);
    EXPECT_EQ(hex.Text(), "10 h") << "a new bound rewrites the value read";
    hex.SetText("zz");
    hex.DoExit();
    EXPECT_EQ(hex.Text(), "10 h") << "text that does not read falls back to the last value";
    TKeyChar typed = U'c';
    hex.KeyPress(typed);
    EXPECT_EQ(typed, U'c');
    typed = U'-';
    hex.KeyPress(typed);
    EXPECT_EQ(typed, 0U);
    EXPECT_EQ(beeps.count, 1);
}

TEST(SpinEditButtons, DraggingOverTheMiddleBandPressesPerSensitivityDistance)
{
    TForm form(nullptr);
    auto* edit = new TdxPSSpinEdit(&form);
    edit->SetParent(&form);
    edit->SetMaxValue(100);
    edit->SetValue(50);
    form.Show();
    TdxUpDown* buttons = edit->IncrButtons();
    ASSERT_NE(buttons, nullptr);
    const int x = buttons->Width() / 2;
    const int mid = buttons->Height() / 2;

    // A press away from the middle is a plain click on the upper button.
    SimulateClick(buttons, x, 1);
    EXPECT_EQ(edit->Text(), "51");

    SimulateMouseDown(buttons, mbLeft, x, mid);
    EXPECT_TRUE(buttons->Dragging());
    SimulateMouseMove(buttons, x, mid - 12);   // two steps of 5 pixels upwards
    EXPECT_EQ(edit->Text(), "53");
    SimulateMouseMove(buttons, x, mid + 6);    // 16 down from the new start at mid - 10: three steps
    EXPECT_EQ(edit->Text(), "50");
    SimulateMouseUp(buttons, mbLeft, x, mid + 6);
    EXPECT_FALSE(buttons->Dragging());
    SimulateMouseMove(buttons, x, mid - 40);
    EXPECT_EQ(edit->Text(), "50");
    form.Hide();
}

// ----- colour combo ----------------------------------------------------------------------

TEST(ColorCombo, ListHoldsAutoPureSystemAndCustomItemsInOrder)
{
    TdxPSColorCombo combo(nullptr);
    EXPECT_EQ(combo.ColorCount(), 20 + 25 + 1);
    EXPECT_EQ(combo.ItemIndex(), 0);
    EXPECT_EQ(combo.Items()->Get(0), "Black");
    EXPECT_EQ(combo.Colors(1), 0x008080);
    EXPECT_EQ(combo.Items()->Get(20), "ScrollBar");
    EXPECT_EQ(combo.Colors(20 + 24), SystemColor(24));
    EXPECT_EQ(combo.Items()->Get(45), "Custom...");
    EXPECT_EQ(combo.Colors(45), clDxNoCustomColor);

    combo.SetShowAutoColor(true);
    combo.SetColorTypes({});
    EXPECT_EQ(combo.ColorTypes(), TdxColorTypes{ctPure});
    EXPECT_EQ(combo.ColorCount(), 1 + 20 + 1);
    EXPECT_EQ(combo.ItemKind(0), cikAuto);
    EXPECT_EQ(combo.ColorValue(), clWindowText);
    EXPECT_EQ(combo.ItemKind(21), cikCustom);

    combo.OnGetColorName = [](TObject*, int, TdxColorItemKind kind, TColor, std::string& name) {
        if (kind == cikListed)
            name = "<" + name + ">";
    };
    EXPECT_EQ(combo.ColorName(1), "<Black>");
    EXPECT_EQ(combo.ColorName(0), "Auto");
}

TEST(ColorCombo, ColorValueSelectsListedOrCustomColour)
{
    TdxPSColorCombo combo(nullptr);
    combo.SetColorValue(0x0000FF);
    EXPECT_EQ(combo.Items()->Get(combo.ItemIndex()), "Red");
    combo.SetColorValue(0x123456);
    EXPECT_EQ(combo.ItemIndex(), combo.CustomColorIndex());
    EXPECT_EQ(combo.ColorValue(), 0x123456);

    combo.SetShowCustomColor(false);
    combo.SetColorValue(0x0000FF);
    const int red = combo.ItemIndex();
    combo.SetColorValue(0x654321);
    EXPECT_EQ(combo.ItemIndex(), red) << "an unlisted colour without a custom item changes nothing";
}

TEST(ColorCombo, PickingTheCustomItemRunsTheSelectColourProcedure)
{
    TdxPSColorCombo combo(nullptr);
    TColor answer = 0x00FFFF;   // Yellow: listed
    bool ok = true;
    int runs = 0;
    combo.OnGetSelectColorProc = [&](TObject*, TdxSelectColorProc& proc) {
        proc = [&](TObject*, TColor& color) {
            ++runs;
            color = answer;
            return ok;
        };
    };
    combo.SetItemIndex(combo.CustomColorIndex());
    combo.Click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(combo.Items()->Get(combo.ItemIndex()), "Yellow");

    answer = 0x010203;
    combo.SetItemIndex(combo.CustomColorIndex());
    combo.Click();
    EXPECT_EQ(combo.ItemIndex(), combo.CustomColorIndex());
    EXPECT_EQ(combo.ColorValue(), 0x010203);

    ok = false;
    answer = 0x0A0B0C;
    combo.Click();
    EXPECT_EQ(combo.ColorValue(), 0x010203) << "a cancelled pick keeps the colour";

    // Without a procedure of the caller's, the shared colour dialog runs.
    combo.OnGetSelectColorProc = nullptr;
    TCommonDialogHookScope hook([](TCommonDialog& d) {
        static_cast<TColorDialog&>(d).SetColor(0x332211);
        return true;
    });
    combo.Click();
    EXPECT_EQ(combo.ColorValue(), 0x332211);
}

// ----- custom colours in the settings store ----------------------------------------------------

struct CustomColorsTest : ::testing::Test {
    test::TempDir dir;
    std::string previous = SettingsStoreFile();
    std::string previousColors = dxPSColorDialog()->CustomColors()->Text();
    CustomColorsTest() { SetSettingsStoreFile(dir.File("registry.ini")); }
    ~CustomColorsTest() override
    {
        dxPSColorDialog()->CustomColors()->SetText(previousColors);
        SetSettingsStoreFile(previous);
    }
};

TEST_F(CustomColorsTest, SavingReplacesTheKeyAndLoadingSkipsValuesThatAreNotText)
{
    const std::string key = "\\Software\\Tessaro\\PrintingSystem\\CustomColors";
    TStrings* colors = dxPSColorDialog()->CustomColors();
    colors->SetText("ColorA=FF0000\nColorB=00FF00\n");
    dxPSSaveCustomColors(key);
    colors->SetText("ColorA=0000FF\n");
    dxPSSaveCustomColors(key);
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(key, false));
        EXPECT_EQ(reg.ValueNames(), (std::vector<std::string>{"ColorA"}));
        EXPECT_EQ(reg.ReadString("ColorA"), "0000FF");
        reg.WriteInteger("ColorB", 12);
        reg.WriteString("ColorC", "00FFFF");
    }
    colors->Clear();
    dxPSLoadCustomColors(key);
    EXPECT_EQ(test::Lines(*colors), (std::vector<std::string>{"ColorA=0000FF", "ColorC=00FFFF"}));

    // A missing key leaves the list alone.
    dxPSLoadCustomColors(key + "Missing");
    EXPECT_EQ(colors->Count(), 2);

    // Shutdown saves to the last key used.
    colors->SetText("ColorD=123456\n");
    dxPSFinalizeCustomColors();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(key + "Missing", false));
    EXPECT_EQ(reg.ReadString("ColorD"), "123456");
}

// ----- paint panel -----------------------------------------------------------------------------

TEST(PaintPanel, DrawsConfiguredEdgesThenRaisesOnPaint)
{
    TdxPSPaintPanel panel(nullptr);
    panel.SetBounds(0, 0, 100, 40);
    std::vector<std::string> order;
    TMetafile mf;
    mf.SetWidth(100);
    mf.SetHeight(40);
    {
        TMetafileCanvas canvas(&mf);
        panel.OnPaint = [&](TObject*) { order.push_back("OnPaint"); };
        panel.PaintTo(canvas);
        panel.SetEdgeBorders({});
        panel.PaintTo(canvas);
    }
    std::vector<std::string> ops;
    for (const auto& r : mf.Records())
        ops.push_back(r.Op);
    EXPECT_EQ(ops, (std::vector<std::string>{"DrawEdge"}));
    EXPECT_EQ(order.size(), 2u);
    EXPECT_EQ(panel.EdgeInner(), esRaised);
    EXPECT_EQ(panel.EdgeOuter(), esSunken);
}

// ----- bitmap animator -------------------------------------------------------------------------

class AnimatorProbe : public TdxPSBitmapAnimator {
public:
    using TdxPSBitmapAnimator::TdxPSBitmapAnimator;

    // Top of the bitmap and the height of the filled band in the current frame.
    std::pair<int, int> Frame()
    {
        TMetafile mf;
        mf.SetWidth(Width());
        mf.SetHeight(Height());
        {
            TMetafileCanvas canvas(&mf);
            DrawTo(canvas);
        }
        int top = -1, band = 0;
        for (const auto& r : mf.Records()) {
            if (r.Op == "StretchDraw")
                top = r.Rect.Top;
            if (r.Op == "FillRect")
                band = r.Rect.Height();
        }
        return {top, band};
    }
};

struct AnimatorTest : ::testing::Test {
    TManualClockScope clock;
    AnimatorProbe animator{nullptr};
    // One animation step: AnimationSpeed milliseconds of the test clock.
    void Tick() { clock.Advance(animator.AnimationSpeed()); }
    AnimatorTest()
    {
        animator.SetBounds(0, 0, 30, 20);
        TBitmap bmp(30, 20);
        animator.SetBitmap(&bmp);
        animator.SetAnimationStepCount(3);   // step size: 20 / 3 rounded up = 7
    }
};

TEST_F(AnimatorTest, SlidesInAndOutOneStepPerTick)
{
    EXPECT_EQ(animator.Frame().first, -1) << "hidden while State is false";
    animator.SetAnimationSpeed(25);
    animator.SetState(true);
    clock.Advance(24);
    EXPECT_EQ(animator.CurrentStep(), 0) << "each step waits its interval";
    EXPECT_TRUE(animator.Animating());
    EXPECT_EQ(animator.Frame().first, 20);
    Tick();
    EXPECT_EQ(animator.Frame().first, 13);
    Tick();
    EXPECT_EQ(animator.Frame().first, 6);
    Tick();
    EXPECT_FALSE(animator.Animating());
    EXPECT_EQ(animator.Frame().first, 0);

    animator.SetState(false);
    Tick();
    EXPECT_EQ(animator.Frame(), std::make_pair(7, 7));
    Tick();
    Tick();
    EXPECT_FALSE(animator.Animating());
    EXPECT_EQ(animator.Frame().first, -1);
}

TEST_F(AnimatorTest, StateChangeDuringASlideFinishesItFirst)
{
    animator.SetState(true);
    Tick();
    animator.SetState(false);
    EXPECT_TRUE(animator.Animating());
    EXPECT_EQ(animator.CurrentStep(), 0) << "the slide out starts from the start";
    EXPECT_EQ(animator.Frame(), std::make_pair(0, 0));
    animator.SetState(true);
    animator.SetState(true);
    EXPECT_EQ(animator.CurrentStep(), 0);

    animator.SetAnimationStepCount(0);
    EXPECT_EQ(animator.AnimationStepCount(), 1);
    animator.SetState(false);
    Tick();
    EXPECT_FALSE(animator.Animating()) << "a step count of 0 slides in one step";

    // Without a bitmap nothing animates.
    animator.SetBitmap(nullptr);
    animator.SetState(true);
    EXPECT_FALSE(animator.Animating());
}

} // namespace
} // namespace qel
