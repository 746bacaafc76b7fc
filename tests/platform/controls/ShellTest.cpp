// The shell-open hook: tests record what would be opened.
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

} // namespace
} // namespace qel
