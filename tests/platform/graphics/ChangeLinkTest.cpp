// Change links: owners hear of changes to fonts, pens, brushes, graphics,
// pictures and image lists however users set OnChange, and a link leaves
// its list when either side dies, also in the middle of a notification.
#include "platform/core/ChangeLink.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qel {
namespace {

TEST(ChangeLinks, EverySubscriberHearsInOrderAndUsersKeepOnChange)
{
    TFont font;
    std::vector<std::string> log;
    TChangeLink a(font.Changes(), [&](TObject* Sender) {
        EXPECT_EQ(Sender, &font);
        log.push_back("a");
    });
    TChangeLink b(font.Changes(), [&](TObject*) { log.push_back("b"); });
    font.OnChange = [&](TObject*) { log.push_back("user"); };
    font.SetHeight(-20);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "user"}));
    font.OnChange = nullptr;
    log.clear();
    font.SetStyle({fsBold});
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"})) << "clearing the user's event cuts no owner off";
}

TEST(ChangeLinks, EitherSideMayDieFirst)
{
    int heard = 0;
    TChangeLink survivor;
    {
        TPen pen;
        survivor.Connect(pen.Changes(), [&](TObject*) { ++heard; });
        {
            TChangeLink shortLived(pen.Changes(), [&](TObject*) { heard += 100; });
            EXPECT_EQ(pen.Changes().Count(), 2);
        }
        EXPECT_EQ(pen.Changes().Count(), 1);
        pen.SetWidth(3);
        EXPECT_EQ(heard, 1);
    }
    EXPECT_FALSE(survivor.Connected()) << "the pen is gone";
    survivor.Disconnect();
}

TEST(ChangeLinks, ListenersMayLeaveJoinOrFreeTheSourceDuringARound)
{
    std::vector<std::string> log;
    auto brush = std::make_unique<TBrush>();
    auto second = std::make_unique<TChangeLink>();
    TChangeLink late;
    TChangeLink first(brush->Changes(), [&](TObject*) {
        log.push_back("first");
        second.reset();   // frees a link that has not been called yet
        late.Connect(brush->Changes(), [&](TObject*) { log.push_back("late"); });
    });
    second->Connect(brush->Changes(), [&](TObject*) { log.push_back("second"); });
    brush->SetColor(clRed);
    EXPECT_EQ(log, (std::vector<std::string>{"first"})) << "a link joining during a round waits for the next";
    log.clear();

    TChangeLink killer(brush->Changes(), [&](TObject*) {
        log.push_back("killer");
        brush.reset();   // the source itself goes away mid-round
    });
    TChangeLink after(brush->Changes(), [&](TObject*) { log.push_back("after"); });
    first.Disconnect();
    brush->SetColor(clBlue);
    EXPECT_EQ(log, (std::vector<std::string>{"late", "killer"}));
    EXPECT_FALSE(after.Connected());
    EXPECT_FALSE(late.Connected());
}

TEST(ChangeLinks, PicturesFollowTheirGraphicAndImageListsTheirUpdates)
{
    TPicture picture;
    int pictureChanges = 0;
    TChangeLink link(picture.Changes(), [&](TObject*) { ++pictureChanges; });
    picture.Bitmap()->SetSize(4, 4);
    const int afterFirst = pictureChanges;
    EXPECT_GE(afterFirst, 1);
    picture.Bitmap()->OnChange = [](TObject*) {};   // a user of the bitmap does not cut the picture off
    picture.Bitmap()->SetSize(8, 8);
    EXPECT_GT(pictureChanges, afterFirst);
    picture.Icon();   // a new graphic: the picture listens to that one now
    const int afterIcon = pictureChanges;
    TBitmap image;
    image.SetSize(16, 16);
    picture.Icon()->Assign(&image);
    EXPECT_GT(pictureChanges, afterIcon);

    TImageList images(nullptr);
    int imageChanges = 0;
    TChangeLink imageLink(images.Changes(), [&](TObject*) { ++imageChanges; });
    images.OnChange = nullptr;
    images.SetWidth(16);
    images.SetHeight(16);
    TBitmap glyph;
    glyph.SetSize(16, 16);
    const int before = imageChanges;
    images.Add(&glyph, nullptr);
    EXPECT_EQ(imageChanges, before + 1);
}

} // namespace
} // namespace qel
