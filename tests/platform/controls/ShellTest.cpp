// Small pieces the editors build on: the shell-open hook, the hyperlink
// cursor, and edits and memos hosted frameless in a grid cell.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Shell.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Bitmap.h"

#include <QStyle>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel {
namespace {

TEST(ShellOpen, TestsRecordWhatWouldBeOpened)
{
    EXPECT_FALSE(ShellOpen("https://example.org/")) << "a headless run without a hook opens nothing";
    std::vector<std::string> opened;
    {
        TShellOpenHookScope hook([&](const std::string& Target) {
            opened.push_back(Target);
            return Target != "refused";
        });
        EXPECT_TRUE(ShellOpen("mailto:info@example.org"));
        EXPECT_FALSE(ShellOpen("refused"));
        EXPECT_FALSE(ShellOpen("")) << "an empty target goes nowhere";
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"mailto:info@example.org", "refused"}));
    EXPECT_FALSE(ShellOpen("https://example.org/")) << "the scope took its hook away";
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

// The edit's text pixels start at the left edge without a frame.
int FirstInkColumn(TControl* Control)
{
    const auto picture = GrabControl(Control);
    for (int x = 0; x < picture->Width(); ++x)
        for (int y = 0; y < picture->Height(); ++y)
            if (picture->Pixel(x, y) != ColorToRGB(clWindow))
                return x;
    return -1;
}

TEST(InplaceEditor, EditsGoFramelessAndHideTheirCaret)
{
    TForm form(nullptr);
    auto* cell = new TPanel(&form);
    cell->SetParent(&form);
    cell->SetBounds(10, 10, 120, 18);
    auto* edit = new TEdit(cell);
    edit->SetParent(cell);
    edit->SetBounds(0, 0, 120, 18);
    edit->SetText("WWW");
    form.Show();
    EXPECT_EQ(edit->BorderStyle(), bsSingle);
    const int framed = FirstInkColumn(edit);
    EXPECT_EQ(framed, 0) << "the frame is drawn at the edge";
    edit->SetBorderStyle(bsNone);
    const int inkWithoutFrame = FirstInkColumn(edit);
    EXPECT_GT(inkWithoutFrame, 0) << "no frame: the first ink is the text";
    edit->SetFocus();

    EXPECT_TRUE(edit->CaretVisible());
    edit->HideCaret();
    edit->HideCaret();
    edit->ShowCaret();
    EXPECT_FALSE(edit->CaretVisible()) << "hides outnumber shows";
    EXPECT_EQ(edit->Widget()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit->Widget()), 0);
    SimulateText("x");
    EXPECT_EQ(edit->Text(), "WWWx") << "a hidden caret still edits";
    edit->ShowCaret();
    edit->ShowCaret();
    EXPECT_TRUE(edit->CaretVisible());
    EXPECT_GT(edit->Widget()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit->Widget()), 0);

    auto* memo = new TMemo(cell);
    memo->SetParent(cell);
    memo->SetBounds(0, 0, 120, 18);
    memo->SetBorderStyle(bsNone);
    memo->HideCaret();
    EXPECT_FALSE(memo->CaretVisible());
    memo->ShowCaret();
    EXPECT_TRUE(memo->CaretVisible());
    EXPECT_EQ(memo->BorderStyle(), bsNone);
}

} // namespace
} // namespace qel
