#include "printing/PrintUtils.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/PropertyRegistry.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

enum TProbeAlign : std::uint8_t { paNone, paTop, paBottom };
enum TProbeOption : std::uint8_t { poOne, poTwo, poThree };
using TProbeOptions = TSet<TProbeOption>;

class TPropProbe : public TComponent {
    QEL_CLASS(TPropProbe)
public:
    explicit TPropProbe(TComponent* AOwner) : TComponent(AOwner) {}
    int Width() const { return m_width; }
    void SetWidth(int v) { m_width = v; }
    double Ratio() const { return m_ratio; }
    void SetRatio(double v) { m_ratio = v; }
    std::string Caption() const { return m_caption; }
    void SetCaption(const std::string& v) { m_caption = v; }
    TProbeAlign Align() const { return m_align; }
    void SetAlign(TProbeAlign v) { m_align = v; }
    TProbeOptions Options() const { return m_options; }
    void SetOptions(TProbeOptions v) { m_options = v; }
    bool Flag() const { return m_flag; }
    void SetFlag(bool v) { m_flag = v; }
    Variant Value() const { return m_value; }
    void SetValue(const Variant& v) { m_value = v; }
    std::int64_t Big() const { return m_big; }
    void SetBig(std::int64_t v) { m_big = v; }
    int Fixed() const { return 7; }
    TPropProbe* Buddy() const { return m_buddy; }
    void SetBuddy(TPropProbe* v) { m_buddy = v; }

private:
    int m_width{0};
    double m_ratio{0};
    std::string m_caption;
    TProbeAlign m_align{paNone};
    TProbeOptions m_options;
    bool m_flag{false};
    Variant m_value;
    std::int64_t m_big{0};
    TPropProbe* m_buddy{nullptr};
};

[[maybe_unused]] const bool probeRegistered = [] {
    RegisterClass<TPropProbe>("TPropProbe", "TComponent");
    TPropertyRegistrar<TPropProbe>("TPropProbe")
        .Integer("Width", &TPropProbe::Width, &TPropProbe::SetWidth)
        .Float("Ratio", &TPropProbe::Ratio, &TPropProbe::SetRatio)
        .String("Caption", &TPropProbe::Caption, &TPropProbe::SetCaption)
        .Enumeration("Align", &TPropProbe::Align, &TPropProbe::SetAlign, {"paNone", "paTop", "paBottom"})
        .Set("Options", &TPropProbe::Options, &TPropProbe::SetOptions, {"poOne", "poTwo", "poThree"})
        .Boolean("Flag", &TPropProbe::Flag, &TPropProbe::SetFlag)
        .VariantProp("Value", &TPropProbe::Value, &TPropProbe::SetValue)
        .Int64("Big", &TPropProbe::Big, &TPropProbe::SetBig)
        .Integer("Fixed", &TPropProbe::Fixed, nullptr)
        .Component("Buddy", &TPropProbe::Buddy, &TPropProbe::SetBuddy);
    return true;
}();

TEST(PropertyAccess, FindsPublishedPropertiesWithoutRegardToCase)
{
    TPropProbe probe(nullptr);
    EXPECT_TRUE(HasProperty(&probe, "Width"));
    EXPECT_TRUE(HasProperty(&probe, "wIDTH"));
    EXPECT_FALSE(HasProperty(&probe, "Height"));
    EXPECT_FALSE(HasProperty(&probe, ""));
    EXPECT_FALSE(HasProperty(nullptr, "Width"));
    EXPECT_EQ(FindPropInfo(&probe, "caption")->Name, "Caption");
}

TEST(PropertyAccess, SetsEachKindFromTheVariant)
{
    TPropProbe probe(nullptr);
    SetPropertyValue(&probe, "width", Variant(42));
    EXPECT_EQ(probe.Width(), 42);
    SetPropertyValue(&probe, "Width", Variant("17"));   // a number in text converts
    EXPECT_EQ(probe.Width(), 17);
    SetPropertyValue(&probe, "Ratio", Variant(3));
    EXPECT_DOUBLE_EQ(probe.Ratio(), 3.0);
    SetPropertyValue(&probe, "Caption", Variant(12));
    EXPECT_EQ(probe.Caption(), "12");
    SetPropertyValue(&probe, "Align", Variant(2));
    EXPECT_EQ(probe.Align(), paBottom);
    SetPropertyValue(&probe, "Options", Variant(5));
    EXPECT_EQ(probe.Options(), (TProbeOptions{poOne, poThree}));
    SetPropertyValue(&probe, "Flag", Variant(true));
    EXPECT_TRUE(probe.Flag());
    SetPropertyValue(&probe, "Value", Variant::Null());
    EXPECT_TRUE(probe.Value().IsNull());
}

TEST(PropertyAccess, LeavesOtherKindsAndUnknownNamesAlone)
{
    TPropProbe probe(nullptr);
    TPropProbe other(nullptr);
    probe.SetBuddy(&other);
    SetPropertyValue(&probe, "Buddy", Variant(0));   // never an object from a number
    EXPECT_EQ(probe.Buddy(), &other);
    SetPropertyValue(&probe, "Big", Variant(5));
    EXPECT_EQ(probe.Big(), 0);
    EXPECT_NO_THROW(SetPropertyValue(&probe, "Fixed", Variant(9)));
    EXPECT_NO_THROW(SetPropertyValue(&probe, "NoSuchProperty", Variant(9)));
    EXPECT_NO_THROW(SetPropertyValue(nullptr, "Width", Variant(9)));
}

TEST(PropertyAccess, BadValuesRaiseAndChangeNothing)
{
    TPropProbe probe(nullptr);
    probe.SetWidth(3);
    EXPECT_THROW(SetPropertyValue(&probe, "Width", Variant("abc")), EConvertError);
    EXPECT_THROW(SetPropertyValue(&probe, "Width", Variant::Null()), EConvertError);
    EXPECT_EQ(probe.Width(), 3);
    EXPECT_THROW(SetPropertyValue(&probe, "Align", Variant(99)), Exception);
    EXPECT_EQ(probe.Align(), paNone);
}

} // namespace
} // namespace qel
