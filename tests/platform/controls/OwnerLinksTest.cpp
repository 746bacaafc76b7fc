// Controls and forms hear of their font, constraints and menu through change
// links: a user's OnChange never cuts them off.
#include "platform/controls/Application.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(OwnerLinks, AssigningFontOnChangeKeepsTheControlOnItsFont)
{
    TForm form(nullptr);
    auto* label = new TEdit(&form);
    label->SetParent(&form);
    int userChanges = 0;
    label->Font()->OnChange = [&](TObject*) { ++userChanges; };
    label->Font()->SetHeight(-24);
    EXPECT_EQ(userChanges, 1);
    EXPECT_EQ(label->Widget()->font().pixelSize(), 24) << "the control still follows its font";
    EXPECT_FALSE(label->ParentFont()) << "a font set by hand is the control's own";

    // The parent's font still reaches children that follow it, whoever listens to the child's font.
    auto* child = new TEdit(&form);
    child->SetParent(&form);
    child->Font()->OnChange = [](TObject*) {};
    form.Font()->OnChange = [](TObject*) {};
    form.Font()->SetName("DejaVu Sans Mono");
    EXPECT_EQ(child->Font()->Name(), "DejaVu Sans Mono");
    EXPECT_TRUE(child->ParentFont());
    EXPECT_NE(label->Font()->Name(), "DejaVu Sans Mono");
}

TEST(OwnerLinks, FormsFollowConstraintsAndMenusWhateverUsersAssign)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    int userChanges = 0;
    form.Constraints()->OnChange = [&](TObject*) { ++userChanges; };
    form.Constraints()->SetMaxWidth(250);
    EXPECT_EQ(userChanges, 1);
    EXPECT_EQ(form.Width(), 250);

    auto* menu = new TMainMenu(&form);
    auto* file = new TMenuItem(menu);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    form.SetMenu(menu);
    EXPECT_EQ(menu->ItemsChanges().Count(), 1);
    auto* edit = new TMenuItem(menu);
    edit->SetCaption("&Edit");
    menu->Items()->Add(edit);
    EXPECT_EQ(menu->ItemsChanges().Count(), 1) << "the form rebuilt its bar and still listens once";
    form.SetMenu(nullptr);
    EXPECT_EQ(menu->ItemsChanges().Count(), 0);
    form.SetMenu(menu);
    delete menu;
    EXPECT_EQ(form.Menu(), nullptr);
}

} // namespace
} // namespace qel
