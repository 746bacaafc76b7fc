// The hyperlink editor.
#include "EditorTestSupport.h"

#include "editors/HyperLinkEdit.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Shell.h"
#include "platform/core/Locale.h"
#include "platform/core/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::EditorForm;

TEST(HyperLinkEdit, StartKeyOpensTheTrimmedLink)
{
    EditorForm f;
    std::vector<std::string> opened;
    TShellOpenHookScope hook([&](const std::string& link) {
        opened.push_back(link);
        return true;
    });
    auto* link = f.InPlace<TdxInplaceHyperLinkEdit>(Variant("  https://example.org/a b "));
    SimulateKey(VK_RETURN, {ssCtrl});
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.org/a b"}));
    EXPECT_TRUE(f.host->Editing()) << "Ctrl+Enter is the link's key";
    EXPECT_EQ(link->Text(), "  https://example.org/a b ");

    link->OnStartClick = [](TObject*, bool& handled) { handled = true; };
    EXPECT_TRUE(link->Start());
    EXPECT_EQ(opened.size(), 1u) << "a handler that opened it itself";
    link->OnStartClick = nullptr;
    link->SetText("   ");
    EXPECT_FALSE(link->Start());
    EXPECT_EQ(opened.size(), 1u);
}

} // namespace
} // namespace qel
