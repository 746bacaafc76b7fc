// Style values with assigned bits.
#include "TestSupport.h"

#include "editors/EditStyle.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(EditStyle, UnassignedValuesFollowTheDefaults)
{
    TdxEditStyle host;
    TdxEditStyle editor(&host);
    EXPECT_EQ(editor.ButtonStyle(), btsDefault);
    host.SetButtonStyle(btsFlat);
    EXPECT_EQ(editor.ButtonStyle(), btsFlat) << "not assigned: the host's value";
    int changes = 0;
    TChangeLink link(editor.Changes(), [&](TObject*) { ++changes; });
    editor.SetButtonStyle(btsDefault);
    EXPECT_TRUE(editor.IsAssigned(svButtonStyle));
    EXPECT_EQ(editor.ButtonStyle(), btsDefault) << "assigned, even to the built-in value";
    EXPECT_EQ(changes, 1);
    editor.RestoreDefaults();
    EXPECT_EQ(editor.ButtonStyle(), btsFlat);
    EXPECT_EQ(changes, 2);
    host.SetBorderStyle(xbs3D);
    EXPECT_EQ(changes, 3) << "a change of the defaults is a change of the editor";
    // A defaults chain never loops.
    host.SetDefaults(&editor);
    EXPECT_EQ(host.Defaults(), nullptr);
    EXPECT_EQ(editor.BorderStyle(), xbs3D);
    // A defaults style that goes away is forgotten.
    {
        TdxEditStyle shortLived;
        shortLived.SetButtonStyle(btsSimple);
        editor.SetDefaults(&shortLived);
        EXPECT_EQ(editor.ButtonStyle(), btsSimple);
    }
    EXPECT_EQ(editor.Defaults(), nullptr);
    EXPECT_EQ(editor.ButtonStyle(), btsDefault);
}

} // namespace
} // namespace qel
