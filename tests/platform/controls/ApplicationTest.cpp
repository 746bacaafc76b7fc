// The screen: program cursors, the hyperlink cursor, headless defaults.
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

#include <QWidget>

namespace qel {
namespace {

TEST(Screen, ProgramCursorsAreSeeThroughWhereTheirBitmapIsTransparent)
{
    TBitmap arrow(16, 16);
    arrow.Canvas()->Brush()->SetColor(clFuchsia);
    arrow.Canvas()->FillRect(Rect(0, 0, 16, 16));
    arrow.Canvas()->Brush()->SetColor(clBlack);
    arrow.Canvas()->FillRect(Rect(4, 4, 12, 12));
    Screen().SetCursorImage(140, arrow, 8, 8);
    QImage shown = detail::QtCursor(140).pixmap().toImage();
    EXPECT_EQ(qAlpha(shown.pixel(1, 1)), 255) << "a plain bitmap is opaque";
    arrow.SetTransparentColor(clFuchsia);
    Screen().SetCursorImage(140, arrow, 8, 8);
    shown = detail::QtCursor(140).pixmap().toImage();
    EXPECT_EQ(qAlpha(shown.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(8, 8)), 255);
    EXPECT_EQ(detail::QtCursor(140).hotSpot(), QPoint(8, 8));
    Screen().ClearCursorImage(140);
    EXPECT_FALSE(Screen().CursorDefined(140));
}

TEST(Screen, HeadlessDefaultsAndTheCursorGuard)
{
    EXPECT_EQ(Screen().WorkAreaRect(), Rect(0, 0, 1280, 1024));
    {
        TCursorGuard busy(crHourGlass);
        EXPECT_EQ(Screen().Cursor(), crHourGlass);
    }
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST(HyperlinkCursor, IsThePointingHand)
{
    EXPECT_TRUE(Screen().CursorDefined(crHyperlink));
    TPanel panel(nullptr);
    panel.SetCursor(crHyperlink);
    EXPECT_EQ(panel.Widget()->cursor().shape(), Qt::PointingHandCursor);
    panel.SetCursor(crHandPoint);
    EXPECT_EQ(panel.Widget()->cursor().shape(), Qt::PointingHandCursor);
}

} // namespace
} // namespace qel
