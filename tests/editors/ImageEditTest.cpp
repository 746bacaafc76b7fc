// The image editor: stepping, incremental search, the list, value lookup.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/ImageEdit.h"
#include "editors/detail/PopupWindow.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Locale.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qel {
namespace {

using test::EditorForm;

TEST(ImageEdit, StepsIncrementalSearchAndList)
{
    EditorForm f;
    auto* img = f.StandAlone<TdxInplaceImageEdit>();
    img->Values()->SetCommaText("R,G,B");
    img->Descriptions()->SetCommaText("Rot,Grün,Blau");
    img->SetEditingValue(Variant("G"));
    EXPECT_EQ(img->Description(), "Grün");
    SimulateKey(VK_DOWN);
    EXPECT_EQ(VarToStr(img->GetEditingValue()), "B");
    SimulateKey(VK_UP);
    SimulateKey(VK_UP);
    EXPECT_EQ(VarToStr(img->GetEditingValue()), "R");
    img->SetIncremental(true);
    SimulateText("b");
    EXPECT_EQ(VarToStr(img->GetEditingValue()), "B");
    SimulateKey(VK_F4);
    ASSERT_TRUE(img->DroppedDown());
    SimulateKey(VK_HOME);
    SimulateKey(VK_DOWN);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(VarToStr(img->GetEditingValue()), "G");
    EXPECT_EQ(img->Text(), "G");
    SimulateClick(img, 5, 5);
    EXPECT_TRUE(img->DroppedDown()) << "a click on the picture opens the list";
    SimulateClick(img, 5, 5);
    EXPECT_FALSE(img->DroppedDown()) << "and a second one closes it";
    TCustomdxFilterImageEdit filter(f.host);
    EXPECT_FALSE(filter.IsInplace()) << "a filter editor is never in-place";
}

TEST(ImageEdit, IndexesByValue)
{
    TStringList values, indexes;
    values.SetCommaText("red,green,blue");
    indexes.SetCommaText("5,x");
    int list = 0, image = 0;
    TdxInplaceImageEdit::GetIndexesByValue("red", &values, &indexes, true, list, image);
    EXPECT_EQ(list, 0);
    EXPECT_EQ(image, 5) << "the ImageIndexes entry";
    TdxInplaceImageEdit::GetIndexesByValue("GREEN", &values, &indexes, true, list, image);
    EXPECT_EQ(list, 1) << "values compare case-insensitively";
    EXPECT_EQ(image, 1) << "no number there: the list index with DefaultImages";
    TdxInplaceImageEdit::GetIndexesByValue("blue", &values, &indexes, false, list, image);
    EXPECT_EQ(list, 2);
    EXPECT_EQ(image, -1) << "no entry and no default images";
    TdxInplaceImageEdit::GetIndexesByValue("black", &values, &indexes, true, list, image);
    EXPECT_EQ(list, -1);
    EXPECT_EQ(image, -1);
    TdxInplaceImageEdit::GetIndexesByValue("red", nullptr, nullptr, true, list, image);
    EXPECT_EQ(list, -1);
}

} // namespace
} // namespace qel
