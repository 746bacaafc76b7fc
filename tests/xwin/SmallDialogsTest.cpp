// The preview's small dialogs on a real X server, used with the mouse and
// the keyboard as a person uses them.
#include "XTestSupport.h"

#include "platform/controls/Application.h"
#include "platform/controls/StdCtrls.h"
#include "preview/DateTimeFormats.h"
#include "preview/PageNumberFormat.h"
#include "preview/PreviewOptionsDialog.h"
#include "preview/PSValueEdit.h"
#include "preview/ZoomDialog.h"
#include "printing/HeaderFooterFunctions.h"

#include <gtest/gtest.h>

namespace qel::test {

TEST(SmallDialogs, ZoomChoicesClickedWithTheMouseReachThePreview)
{
    TForm window(nullptr);
    window.SetBounds(40, 40, 500, 400);
    auto* preview = new TdxPreview(&window);
    preview->SetParent(&window);
    preview->SetBounds(0, 0, 480, 360);
    preview->SetPageCount(6);
    preview->SetZoomFactor(85);
    bool active = false;
    std::string percent;
    TModalFormHookScope hook([&](TForm& F) {
        auto& d = dynamic_cast<TfmZoom&>(F);
        active = WaitUntilActive(d);
        EXPECT_EQ(XTitleOf(d), "Zoom");
        ClickAt(d.rbtnZoom[TfmZoom::zcPageWidth], 8, 8);
        ClickAt(d.rbtnZoom[TfmZoom::zc200], 8, 8);
        percent = d.sePercent->Text();
        ClickAt(d.btnOK, 20, 10);
    });
    EXPECT_TRUE(dxShowZoomDlg(preview));
    EXPECT_TRUE(active);
    EXPECT_EQ(percent, "200 %");
    EXPECT_EQ(preview->ZoomMode(), pzmNone);
    EXPECT_EQ(preview->ZoomFactor(), 200);
}

TEST(SmallDialogs, ADoubleClickedDateFormatIsOK)
{
    TdxDateTimeFormatsDlgData data;
    data.DateFormats = DateFormatList();
    data.TimeFormats = TimeFormatList();
    bool active = false;
    TModalFormHookScope hook([&](TForm& F) {
        auto& d = dynamic_cast<TdxfmDateTimeFormats&>(F);
        active = WaitUntilActive(d);
        const TRect item = d.lbxDateFormats->ItemRect(2);
        const TPoint p = OnScreen(d.lbxDateFormats, item.Left + 20, item.Top + item.Height() / 2);
        XInput().Click(p.X, p.Y);
        XInput().Click(p.X, p.Y);
        Settle();
    });
    EXPECT_TRUE(dxDateTimeFormatsDlg(data));
    EXPECT_TRUE(active);
    EXPECT_EQ(data.DateFormatIndex, 2);
}

TEST(SmallDialogs, ARomanStartPageTypedOnTheKeyboard)
{
    TdxPageNumberFormatDlgData data;
    data.PageNumberFormats = PageNumberFormatList();
    data.PageNumberFormatIndex = pnfUpperRoman;
    bool active = false;
    std::string typed;
    TModalFormHookScope hook([&](TForm& F) {
        auto& d = dynamic_cast<TdxfmPageNumberFormat&>(F);
        active = WaitUntilActive(d);
        ClickAt(d.sePageNumber, 10, 8);
        XInput().Key(XK_End);
        XInput().Key(0xff08);   // BackSpace
        XInput().Type("XIV");
        Settle();
        typed = d.sePageNumber->Text();
        XInput().Key(XK_Return);
        Settle();
    });
    EXPECT_TRUE(dxPageNumberFormatDlg(data));
    EXPECT_TRUE(active);
    EXPECT_EQ(typed, "XIV");
    EXPECT_EQ(data.StartPageIndex, 14);
}

TEST(SmallDialogs, TheServersWheelMouseOffersZoomOnRoll)
{
    // The server's pointer has wheel buttons, which the pointing device reports.
    const bool wheel = GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0;
    EXPECT_TRUE(wheel);
    TdxPreviewOptionsDlgData data;
    bool enabled = !wheel;
    TModalFormHookScope hook([&](TForm& F) {
        auto& d = dynamic_cast<TdxfmOptions&>(F);
        WaitUntilActive(d);
        enabled = d.chbxZoomOnRoll->Enabled();
    });
    dxShowPreviewOptionsDlg(&data);
    EXPECT_EQ(enabled, wheel);
}

} // namespace qel::test
