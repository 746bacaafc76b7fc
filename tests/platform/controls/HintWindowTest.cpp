#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Clipboard.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/HintWindow.h"
#include "platform/controls/Forms.h"
#include "platform/controls/InputFilter.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include "ControlTestSupport.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <memory>
#include <vector>


namespace qel {
namespace {

TEST(HintWindow, ShowsAtTheMeasuredSizeUntilReleased)
{
    THintWindow hint(nullptr);
    // Headless there is no desktop font for status bars: 8 points.
    TFont desktop;
    EXPECT_FALSE(Screen().GetStatusBarFont(desktop));
    EXPECT_EQ(hint.Font()->Size(), 8);
    const TRect r = hint.CalcHintRect(200, "Left: 12.5 mm");
    EXPECT_GT(r.Width(), 20);
    EXPECT_GT(r.Height(), 5);
    hint.ActivateHint(Bounds(100, 100, r.Width(), r.Height()), "Left: 12.5 mm");
    EXPECT_TRUE(hint.Active());
    EXPECT_EQ(hint.Width(), r.Width());
    hint.ReleaseHandle();
    EXPECT_FALSE(hint.Active());
}

} // namespace
} // namespace qel
