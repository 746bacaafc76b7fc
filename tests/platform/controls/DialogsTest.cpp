#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>


namespace qel {
namespace {

TEST(CommonDialogs, AScriptAnswersForThePerson)
{
    TSaveDialog save(nullptr);
    save.SetFilter("Print styles (*.prs)|*.prs|All files (*.*)|*.*");
    TColorDialog colors(nullptr);
    {
        TCommonDialogHookScope hook([](TCommonDialog& d) {
            if (auto* s = dynamic_cast<TSaveDialog*>(&d)) {
                s->SetFileName("/tmp/styles.prs");
                return true;
            }
            if (auto* c = dynamic_cast<TColorDialog*>(&d)) {
                c->SetColor(clTeal);
                c->CustomColors()->SetValue("ColorA", "808000");
                return true;
            }
            return false;
        });
        ASSERT_TRUE(save.Execute());
        EXPECT_EQ(save.FileName(), "/tmp/styles.prs");
        ASSERT_TRUE(colors.Execute());
        EXPECT_EQ(colors.Color(), clTeal);
        TFontDialog font(nullptr);
        EXPECT_FALSE(font.Execute());
    }
    EXPECT_EQ(colors.CustomColors()->Values("ColorA"), "808000");
}

} // namespace
} // namespace qel
