#pragma once
// A print cancelled at a page break, the way a cancel button does it: from a
// call posted before the break (it runs while the break lets waiting messages
// through) or from the device's OnNewPage. The printer tests run it on the
// PDF printer and on a CUPS queue and then look for the output themselves.
#include "platform/controls/Messages.h"
#include "printing/PrintDevice.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::test {

enum class TAbortPoint { PostedCall, NewPageEvent };

inline std::string AbortPointName(const ::testing::TestParamInfo<TAbortPoint>& Info)
{
    return Info.param == TAbortPoint::PostedCall ? "FromAPostedCall" : "FromOnNewPage";
}

inline std::string NotPrintingMessage(TdxPrintDevice& Device, void (TdxPrintDevice::*Call)())
{
    try {
        (Device.*Call)();
    } catch (const EdxPrintDevice& e) {
        return e.Message();
    }
    return "(no EdxPrintDevice)";
}

// Prints page 1, cancels at the break to page 2 and checks that the device
// ended the job: no page was started after the cancel, drawing goes nowhere,
// and every further job call raises as when no job runs.
inline void AbortAtTheFirstPageBreak(TdxPrintDevice& Device, TAbortPoint Point)
{
    int newPages = 0;
    Device.OnNewPage = [&](TObject*) {
        ++newPages;
        if (Point == TAbortPoint::NewPageEvent)
            Device.Abort();
    };
    ASSERT_GT(Device.BeginDoc(), 0);
    Device.Canvas()->TextOut(100, 100, "Seite eins");
    if (Point == TAbortPoint::PostedCall)
        PostCall(nullptr, [&Device] { Device.Abort(); });
    Device.NewPage();
    Device.OnNewPage = nullptr;
    EXPECT_EQ(newPages, Point == TAbortPoint::NewPageEvent ? 1 : 0) << "no page break announced after a cancel";
    EXPECT_FALSE(Device.Printing());
    EXPECT_FALSE(Device.Aborted());
    EXPECT_EQ(Device.PageNumber(), 0);
    Device.Canvas()->TextOut(100, 100, "nach dem Abbruch");
    const std::string notPrinting = "Printer is not currently printing";
    EXPECT_EQ(NotPrintingMessage(Device, &TdxPrintDevice::NewPage), notPrinting);
    EXPECT_EQ(NotPrintingMessage(Device, &TdxPrintDevice::EndDoc), notPrinting);
    EXPECT_EQ(NotPrintingMessage(Device, &TdxPrintDevice::Abort), notPrinting);
}

} // namespace qel::test
