// The preview window's zoom: the zoom box typed into and dropped down, the
// zoom buttons and shortcuts, and the zoom dialog's result applied by its mode.
#include "PreviewWindowTestSupport.h"

#include "platform/core/Locale.h"

namespace qel::test {
namespace {

class PreviewWindowZoom : public PreviewWindowShownFixture {
protected:
    // Types into the zoom box and presses Enter.
    void Type(const std::string& Text)
    {
        window->ZoomBox()->SetText(Text);
        SimulateKey(window->ZoomBox()->Edit(), VK_RETURN);
    }
};

TEST_F(PreviewWindowZoom, TheZoomBoxTakesNumbersAndEntries)
{
    Type("150");
    EXPECT_EQ(P().ZoomFactor(), 150);
    EXPECT_EQ(P().ZoomMode(), pzmNone);
    EXPECT_EQ(window->ZoomBox()->Text(), "150%");
    Type("85%%");
    EXPECT_EQ(P().ZoomFactor(), 85);
    EXPECT_EQ(window->ZoomBox()->Text(), "85%");
    Type("zwei");
    EXPECT_EQ(P().ZoomFactor(), 85) << "text that is no number is ignored";
    EXPECT_EQ(window->ZoomBox()->Text(), "85%");
    Type("page width");
    EXPECT_EQ(P().ZoomMode(), pzmPageWidth) << "entries are found whatever their case";
    Type("Widen to Source Width");
    EXPECT_EQ(P().ZoomMode(), pzmPages);
    EXPECT_EQ(P().PageXCount(), 2) << "the report's pages across";
    EXPECT_EQ(P().PageYCount(), 1) << "one row, unlike the tool button";

    // Leaving the box applies its text too.
    window->ZoomBox()->Edit()->SetFocus();
    window->ZoomBox()->Edit()->SelectAll();
    SimulateText("75");
    P().SetFocus();
    EXPECT_EQ(P().ZoomFactor(), 75);
}

TEST_F(PreviewWindowZoom, TheDropDownListSkipsDisabledEntries)
{
    TdxZoomFactorComboEdit& box = *window->ZoomBox();
    SimulateKey(box.Edit(), VK_DOWN, {ssAlt});
    ASSERT_TRUE(box.DroppedDown());
    TdxPopupBox& list = *box.List();
    SimulateKey(box.Edit(), VK_DOWN);
    SimulateKey(box.Edit(), VK_RETURN);
    EXPECT_FALSE(box.DroppedDown());
    EXPECT_EQ(P().ZoomFactor(), 75) << "the list opens on the box's entry, 100 %; one down is 75 %";

    // With one page "Two Pages" cannot be chosen by the mouse.
    SetMatrix({10, 8});
    link->Rebuild();
    FinishPagination();
    ASSERT_EQ(P().PageCount(), 1);
    ASSERT_FALSE(box.Items()[10].Enabled);
    box.DropDown();
    ASSERT_TRUE(box.DroppedDown());
    list.SetTopIndex(5);   // eight entries show
    const TRect two = list.ItemRect(10);
    SimulateClick(&list, two.Left + 5, (two.Top + two.Bottom) / 2);
    EXPECT_TRUE(box.DroppedDown()) << "a click on a disabled entry does nothing";
    const TRect whole = list.ItemRect(9);
    SimulateClick(&list, whole.Left + 5, (whole.Top + whole.Bottom) / 2);
    EXPECT_FALSE(box.DroppedDown());
    EXPECT_EQ(P().ZoomMode(), pzmPages);
    EXPECT_EQ(box.Text(), IntToStr(P().ZoomFactor()) + "%");

    // Esc with the list closed brings back the text the box had on entry.
    box.Edit()->SetFocus();
    const std::string before = box.Text();
    box.SetText("12");
    SimulateKey(box.Edit(), VK_ESCAPE);
    EXPECT_EQ(box.Text(), before);
}

TEST_F(PreviewWindowZoom, ButtonsAndShortcutsZoomByTheirTags)
{
    window->tbPageWidth->Click();
    EXPECT_EQ(P().ZoomMode(), pzmPageWidth);
    SimulateKey(&P(), '2', {ssCtrl});
    EXPECT_EQ(P().ZoomMode(), pzmPages);
    EXPECT_EQ(P().PageXCount() * 10 + P().PageYCount(), 21);
    SimulateKey(&P(), '4', {ssCtrl});
    EXPECT_EQ(P().PageXCount() * 10 + P().PageYCount(), 22);
    window->tbWidenToSourceWidth->Click();
    EXPECT_EQ(P().PageXCount() * 10 + P().PageYCount(), 25) << "the report's page grid";
    SimulateKey(&P(), VK_OEM_5, {ssCtrl});
    EXPECT_EQ(P().ZoomMode(), pzmNone);
    EXPECT_EQ(P().ZoomFactor(), 100);
    EXPECT_EQ(window->ZoomBox()->Text(), "100%");
}

TEST_F(PreviewWindowZoom, TheZoomDialogsResultIsAppliedByItsMode)
{
    TdxPreviewZoomSettings answer;
    bool accept = true;
    TdxPreviewZoomSettings given{};
    dxPreviewWindowDialogRunners().Zoom = [&](const TCustomdxPreview& Preview, TdxPreviewZoomSettings& Settings) {
        EXPECT_EQ(&Preview, &P());
        given = Settings;
        Settings = answer;
        return accept;
    };
    P().SetZoomFactor(85);
    answer = {pzmPageWidth, 61, 3, 3};
    Item({"&View", "&Zoom", "&Setup..."})->Click();
    EXPECT_EQ(given.Mode, pzmNone);
    EXPECT_EQ(given.ZoomFactor, 85);
    EXPECT_EQ(P().ZoomMode(), pzmPageWidth) << "page width stays fitted, not a fixed zoom";

    answer = {pzmNone, 150, 2, 2};
    window->ZoomDialog();
    EXPECT_EQ(P().ZoomMode(), pzmNone);
    EXPECT_EQ(P().ZoomFactor(), 150) << "a percentage stays a percentage";

    answer = {pzmPages, 40, 2, 1};
    window->ZoomDialog();
    EXPECT_EQ(P().ZoomMode(), pzmPages);
    EXPECT_EQ(P().PageXCount() * 10 + P().PageYCount(), 21);

    const TdxPreviewZoomSettings before = window->ZoomSettings();
    accept = false;
    answer = {pzmNone, 300, 1, 1};
    window->ZoomDialog();
    EXPECT_EQ(window->ZoomSettings().Mode, before.Mode) << "Cancel leaves the preview as it was";
    EXPECT_EQ(window->ZoomSettings().ZoomFactor, before.ZoomFactor);
}

} // namespace
} // namespace qel::test
