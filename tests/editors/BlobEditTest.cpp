// The blob editor's memo popup.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/BlobEdit.h"
#include "editors/detail/PopupWindow.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Locale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qel {
namespace {

using test::EditorForm;

TEST(BlobEdit, MemoInThePopup)
{
    EditorForm f;
    auto* blob = f.InPlace<TdxInplaceBlobEdit>(Variant("first\r\nsecond"));
    EXPECT_EQ(blob->Text(), "first") << "the cell shows the first line";
    SimulateText("x");
    EXPECT_EQ(blob->Text(), "first") << "the closed editor takes no text";
    SimulateKey(VK_F4);
    ASSERT_TRUE(blob->DroppedDown());
    SimulateKey(VK_RETURN);
    SimulateText("third");
    SimulateKey(VK_BACK);
    EXPECT_TRUE(blob->DroppedDown()) << "Enter is the memo's";
    SimulateKey(VK_RETURN, {ssCtrl});
    EXPECT_FALSE(blob->DroppedDown());
    EXPECT_EQ(VarToStr(blob->GetEditingValue()), "first\r\nsecond\r\nthir");
    SimulateKey(VK_RETURN);
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(VarToStr(f.host->posted[0]), "first\r\nsecond\r\nthir");

    blob->SetBlobKind(bekBlob);
    f.host->ShowInplaceEditor(blob, Bounds(20, 20, 150, 20), Variant("\x01\x02"));
    EXPECT_EQ(blob->Text(), "(BLOB)");
    SimulateKey(VK_F4);
    EXPECT_FALSE(blob->DroppedDown()) << "no popup for raw blobs";
}

} // namespace
} // namespace qel
