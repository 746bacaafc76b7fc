#include "platform/core/Streaming.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Collection.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qel;

namespace {

enum TTestAlign { taNone, taLeft, taRight };
enum TTestOption { toA, toB, toC };
using TTestOptions = TSet<TTestOption>;

std::vector<std::string> g_log;

class TTestFont : public TPersistent {
    QEL_CLASS(TTestFont)
public:
    TTestFont() = default;
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& v) { m_name = v; }
    int Size() const { return m_size; }
    void SetSize(int v) { m_size = v; }

private:
    std::string m_name = "Arial";
    int m_size = 10;
};

class TTestItem : public TCollectionItem {
    QEL_CLASS(TTestItem)
public:
    explicit TTestItem(TCollection* c) : TCollectionItem(c) {}
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v) { m_caption = v; }
    int Width() const { return m_width; }
    void SetWidth(int v) { m_width = v; }

private:
    std::string m_caption;
    int m_width = 64;
};

int g_criteriaReads = 0;   // how often a "Criteria" entry was read

class TTestNode : public TComponent {
    QEL_CLASS(TTestNode)
public:
    explicit TTestNode(TComponent* owner)
        : TComponent(owner), m_items([](TCollection* c) { return new TTestItem(c); }, "TTestItem", this)
    {
    }

    int Width() const { return m_width; }
    void SetWidth(int v)
    {
        if (v == -999)
            throw EConvertError("Width -999 refused");
        m_width = v;
    }
    std::int64_t Big() const { return m_big; }
    void SetBig(std::int64_t v) { m_big = v; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool v) { m_visible = v; }
    double Ratio() const { return m_ratio; }
    void SetRatio(double v) { m_ratio = v; }
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v)
    {
        m_caption = v;
        m_captionSetWhileLoading = ComponentState().Contains(csLoading) && ComponentState().Contains(csReading);
    }
    TTestAlign Align() const { return m_align; }
    void SetAlign(TTestAlign v) { m_align = v; }
    TTestOptions Options() const { return m_options; }
    void SetOptions(TTestOptions v) { m_options = v; }
    int Color() const { return m_color; }
    void SetColor(int v) { m_color = v; }
    Variant Value() const { return m_value; }
    void SetValue(const Variant& v)
    {
        if (m_refuseArrays && v.IsArray())
            throw EConvertError("Arrays refused");
        m_value = v;
    }
    TTestNode* Buddy() const { return m_buddy; }
    void SetBuddy(TTestNode* v)
    {
        if (m_buddyLocked && v)
            throw EConvertError("Buddy locked");
        m_buddy = v;
    }
    TTestFont* Font() { return &m_font; }
    TCollection* Items() { return &m_items; }
    std::string Blob() const { return m_blob; }
    void SetBlob(const std::string& v) { m_blob = v; }
    int ReadOnlyCount() const { return 5; }

    std::string m_criteria;   // streamed as the binary entry "Criteria"
    bool m_builtIn = false;   // streamed as "BuiltInStyle", always
    bool m_captionSetWhileLoading = false;
    bool m_sawWriting = false;
    // State of this object alone (not streamed) under which setters refuse.
    bool m_refuseArrays = false;
    bool m_buddyLocked = false;

    bool HasParent() const override { return m_parent != nullptr; }
    TComponent* GetParentComponent() const override { return m_parent; }
    void SetParentComponent(TComponent* v) override { m_parent = v; }
    // Components placed here although another component owns them.
    std::vector<TComponent*> m_placedElsewhereOwned;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override
    {
        TComponent::GetChildren(Proc, Root);
        for (TComponent* c : m_placedElsewhereOwned)
            Proc(c);
    }

    void Loaded() override
    {
        g_log.push_back(Name() + (ComponentState().Contains(csReading) ? ":reading" : "") +
                        (ComponentState().Contains(csLoading) ? ":loading" : ""));
        TComponent::Loaded();
    }

    void DefineProperties(TFiler& filer) override
    {
        filer.DefineProperty(
            "BuiltInStyle", [this](const Variant& v) { m_builtIn = v.AsBoolean(); },
            [this] {
                m_sawWriting = ComponentState().Contains(csWriting);
                return Variant(m_builtIn);
            },
            true);
        filer.DefineBinaryProperty(
            "Criteria",
            [this](TStream& s) {
                ++g_criteriaReads;
                m_criteria = s.ReadBytes(s.Size());
                if (m_criteria == "refuse")
                    throw EReadError("Criteria refused");
            },
            [this](TStream& s) { s.WriteBytes(m_criteria); }, !m_criteria.empty());
    }

private:
    int m_width = 100;
    std::int64_t m_big = 0;
    bool m_visible = true;
    double m_ratio = 0;
    std::string m_caption;
    TTestAlign m_align = taNone;
    TTestOptions m_options{toA};
    int m_color = 0x1FFFFFFF;
    Variant m_value;
    TTestNode* m_buddy = nullptr;
    TTestFont m_font;
    TCollection m_items;
    std::string m_blob;
    TComponent* m_parent = nullptr;
};

// A later version of the class: another default for Width and one more property.
class TTestSubNode : public TTestNode {
    QEL_CLASS(TTestSubNode)
public:
    explicit TTestSubNode(TComponent* owner) : TTestNode(owner) { SetWidth(200); }
    int Extra() const { return m_extra; }
    void SetExtra(int v) { m_extra = v; }

private:
    int m_extra = 0;
};

void RegisterTestClasses()
{
    static const bool done = [] {
        RegisterClass<TTestFont>("TTestFont", "TPersistent");
        RegisterClass<TTestItem>("TTestItem", "TCollectionItem");
        RegisterClass<TTestNode>("TTestNode", "TComponent");
        RegisterClass<TTestSubNode>("TTestSubNode", "TTestNode");
        TPropertyRegistrar<TTestFont>("TTestFont")
            .String("Name", &TTestFont::Name, &TTestFont::SetName, "Arial")
            .Integer("Size", &TTestFont::Size, &TTestFont::SetSize, 10);
        TPropertyRegistrar<TTestItem>("TTestItem")
            .String("Caption", &TTestItem::Caption, &TTestItem::SetCaption)
            .Integer("Width", &TTestItem::Width, &TTestItem::SetWidth, 64);
        TPropertyRegistrar<TTestNode>("TTestNode")
            .Integer("Width", &TTestNode::Width, &TTestNode::SetWidth, 100)
            .Int64("Big", &TTestNode::Big, &TTestNode::SetBig, 0)
            .Boolean("Visible", &TTestNode::Visible, &TTestNode::SetVisible, true)
            .Float("Ratio", &TTestNode::Ratio, &TTestNode::SetRatio)
            .String("Caption", &TTestNode::Caption, &TTestNode::SetCaption)
            .Enumeration("Align", &TTestNode::Align, &TTestNode::SetAlign, {"taNone", "taLeft", "taRight"}, taNone)
            .Set("Options", &TTestNode::Options, &TTestNode::SetOptions, {"toA", "toB", "toC"},
                 TTestOptions{toA}.ToBits())
            .Color("Color", &TTestNode::Color, &TTestNode::SetColor, 0x1FFFFFFF)
            .VariantProp("Value", &TTestNode::Value, &TTestNode::SetValue)
            .Component("Buddy", &TTestNode::Buddy, &TTestNode::SetBuddy)
            .Persistent("Font", &TTestNode::Font)
            .Collection("Items", &TTestNode::Items)
            .Binary("Blob", &TTestNode::Blob, &TTestNode::SetBlob)
            .StoredIf([](const TTestNode& n) { return n.Tag() != 42; })
            .Integer("ReadOnlyCount", &TTestNode::ReadOnlyCount, nullptr);
        TPropertyRegistrar<TTestSubNode>("TTestSubNode")
            .Integer("Width", &TTestNode::Width, &TTestNode::SetWidth, 200)
            .Integer("Extra", &TTestSubNode::Extra, &TTestSubNode::SetExtra, 0);
        return true;
    }();
    (void)done;
}

std::string Bytes(TComponent* root)
{
    TMemoryStream s;
    WriteComponent(s, root);
    return s.Bytes();
}

TComponent* ReadBytes(const std::string& bytes, TComponent* instance, TComponent* owner,
                      const TReadOptions& options = {})
{
    TStringStream s(bytes);
    return ReadComponent(s, instance, owner, nullptr, options);
}

bool Contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

// Swaps one name in the stream for another of the same length.
std::string Patched(std::string bytes, const std::string& from, const std::string& to)
{
    auto at = bytes.find(from);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(from.size(), to.size());
    bytes.replace(at, from.size(), to);
    return bytes;
}

class StreamingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestClasses();
        g_log.clear();
        m_form = std::make_unique<TComponent>(nullptr);
        m_form->SetName("Form1");
        m_other = new TTestNode(m_form.get());
        m_other->SetName("Other");
    }

    // Root "Root" with children A (in Root) and B (in A), all owned by Root.
    TTestNode* BuildTree()
    {
        auto* root = new TTestNode(m_form.get());
        root->SetName("Root");
        root->SetWidth(321);
        root->SetBig(std::int64_t{1} << 40);
        root->SetVisible(false);
        root->SetRatio(0.125);
        root->SetCaption("Übersicht");
        root->SetAlign(taRight);
        root->SetOptions({toB, toC});
        root->SetColor(0x00FF00);
        root->SetValue(Variant::Array({Variant(1), Variant("x"), Variant::Null(), Variant::FromDate(45000.5)}));
        root->Font()->SetName("DejaVu Sans");
        auto* item = static_cast<TTestItem*>(root->Items()->Add());
        item->SetCaption("first");
        item = static_cast<TTestItem*>(root->Items()->Add());
        item->SetWidth(10);
        root->SetBlob(std::string("\0\1\2", 3));
        root->m_criteria = std::string("\x05\x00\xFF", 3);
        root->m_builtIn = true;

        auto* a = new TTestNode(root);
        a->SetName("A");
        a->SetParentComponent(root);
        a->SetCaption("child a");
        auto* b = new TTestNode(root);
        b->SetName("B");
        b->SetParentComponent(a);
        b->SetTag(7);

        root->SetBuddy(b);     // forward reference, fixed up after reading
        b->SetBuddy(root);     // the root itself
        a->SetBuddy(m_other);  // outside the tree: "Form1.Other"
        return root;
    }

    std::unique_ptr<TComponent> m_form;
    TTestNode* m_other = nullptr;
};

} // namespace

TEST_F(StreamingTest, TreeRoundTripsWithEveryKindOfEntry)
{
    TTestNode* root = BuildTree();
    std::string bytes = Bytes(root);
    EXPECT_EQ(bytes.substr(0, 6), std::string("QELC\x01\x00", 6));
    EXPECT_TRUE(root->m_sawWriting);
    EXPECT_FALSE(root->ComponentState().Contains(csWriting));

    TComponent holder(nullptr);
    auto* copy = dynamic_cast<TTestNode*>(ReadBytes(bytes, nullptr, &holder));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Owner(), &holder);
    EXPECT_EQ(copy->Name(), "Root");
    EXPECT_EQ(copy->Width(), 321);
    EXPECT_EQ(copy->Big(), std::int64_t{1} << 40);
    EXPECT_FALSE(copy->Visible());
    EXPECT_EQ(copy->Ratio(), 0.125);
    EXPECT_EQ(copy->Caption(), "Übersicht");
    EXPECT_EQ(copy->Align(), taRight);
    EXPECT_EQ(copy->Options(), (TTestOptions{toB, toC}));
    EXPECT_EQ(copy->Color(), 0x00FF00);
    EXPECT_EQ(copy->Value(), root->Value());
    EXPECT_EQ(copy->Value().Elements()[3].VarType(), varDate);
    EXPECT_EQ(copy->Font()->Name(), "DejaVu Sans");
    EXPECT_EQ(copy->Font()->Size(), 10);
    ASSERT_EQ(copy->Items()->Count(), 2);
    EXPECT_EQ(static_cast<TTestItem*>(copy->Items()->Items(0))->Caption(), "first");
    EXPECT_EQ(static_cast<TTestItem*>(copy->Items()->Items(1))->Width(), 10);
    EXPECT_EQ(copy->Blob(), std::string("\0\1\2", 3));
    EXPECT_EQ(copy->m_criteria, std::string("\x05\x00\xFF", 3));
    EXPECT_TRUE(copy->m_builtIn);

    // Children are owned by the root and keep their parents.
    ASSERT_EQ(copy->ComponentCount(), 2);
    auto* a = dynamic_cast<TTestNode*>(copy->FindComponent("A"));
    auto* b = dynamic_cast<TTestNode*>(copy->FindComponent("B"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetParentComponent(), copy);
    EXPECT_EQ(b->GetParentComponent(), a);
    EXPECT_EQ(a->Caption(), "child a");
    EXPECT_EQ(b->Tag(), 7);

    // References: forward, to the root, and outside the tree by owner name.
    EXPECT_EQ(copy->Buddy(), b);
    EXPECT_EQ(b->Buddy(), copy);
    EXPECT_EQ(a->Buddy(), nullptr);   // "Form1.Other" is not reachable from holder

    // Read where Form1 is reachable, the outside reference resolves.
    auto* again = dynamic_cast<TTestNode*>(ReadBytes(bytes, nullptr, m_form.get()));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Name(), "Root_1");   // the owner has a "Root" already
    EXPECT_EQ(dynamic_cast<TTestNode*>(again->FindComponent("A"))->Buddy(), m_other);

    // Loaded ran once per component, in read order, after reading finished.
    std::vector<std::string> expected{"Root:loading", "A:loading", "B:loading",
                                      "Root_1:loading", "A:loading", "B:loading"};
    EXPECT_EQ(g_log, expected);
    EXPECT_TRUE(a->m_captionSetWhileLoading);
    EXPECT_FALSE(a->IsLoading());
}

TEST_F(StreamingTest, DefaultsAndUnstoredPropertiesAreNotWritten)
{
    TTestNode plain(nullptr);
    std::string bytes = Bytes(&plain);
    for (const char* name : {"Width", "Big", "Visible", "Ratio", "Caption", "Align", "Options", "Color", "Value",
                             "Buddy", "Font", "Blob", "Criteria", "Tag", "Name", "ReadOnlyCount"})
        EXPECT_FALSE(Contains(bytes, name)) << name;
    EXPECT_TRUE(Contains(bytes, "BuiltInStyle"));   // always written
    EXPECT_TRUE(Contains(bytes, "Items"));          // collections always, so reading clears old items

    // The stored-predicate suppresses a non-default value.
    plain.SetBlob("xyz");
    EXPECT_TRUE(Contains(Bytes(&plain), "Blob"));
    plain.SetTag(42);
    EXPECT_FALSE(Contains(Bytes(&plain), "Blob"));

    // A subclass's own default replaces the inherited one.
    TTestSubNode sub(nullptr);
    EXPECT_FALSE(Contains(Bytes(&sub), "Width"));
    sub.SetWidth(100);
    EXPECT_TRUE(Contains(Bytes(&sub), "Width"));
}

TEST_F(StreamingTest, ReadingIntoAnExistingComponentReusesChildrenByName)
{
    TTestNode* root = BuildTree();
    std::string bytes = Bytes(root);

    auto* target = new TTestNode(m_form.get());
    target->SetName("Target");
    auto* existingA = new TTestNode(target);
    existingA->SetName("A");
    existingA->SetParentComponent(target);
    existingA->SetCaption("old");
    target->Items()->Add();
    target->Items()->Add();
    target->Items()->Add();

    TComponent* result = ReadBytes(bytes, target, nullptr);
    EXPECT_EQ(result, target);
    EXPECT_EQ(target->Name(), "Root_1");                      // taken from the stream, made unique
    EXPECT_EQ(target->FindComponent("A"), existingA);         // reused, not duplicated
    EXPECT_EQ(existingA->Caption(), "child a");
    EXPECT_EQ(target->ComponentCount(), 2);
    EXPECT_EQ(target->Items()->Count(), 2);                   // old items replaced
    EXPECT_EQ(target->Buddy(), target->FindComponent("B"));
}

TEST_F(StreamingTest, ANewTargetIsReadIntoOnceWithoutATrialOnAFreshInstance)
{
    TTestNode* root = BuildTree();
    const std::string bytes = Bytes(root);
    g_criteriaReads = 0;
    auto* existing = new TTestNode(m_form.get());
    ReadBytes(bytes, existing, nullptr);
    EXPECT_EQ(g_criteriaReads, 2) << "tried on a fresh instance, then read for real";

    g_criteriaReads = 0;
    auto* fresh = new TTestNode(m_form.get());
    TReadOptions once;
    once.NewTarget = true;
    ReadBytes(bytes, fresh, nullptr, once);
    EXPECT_EQ(g_criteriaReads, 1);
    EXPECT_EQ(fresh->m_criteria, root->m_criteria);
    EXPECT_EQ(fresh->Width(), 321);
    EXPECT_EQ(fresh->Buddy(), fresh->FindComponent("B"));

    // A failure still frees what the read created; the caller drops the target.
    root->m_criteria = "refuse";
    auto* failing = new TTestNode(m_form.get());
    EXPECT_THROW(ReadBytes(Bytes(root), failing, nullptr, once), EReadError);
    EXPECT_EQ(failing->ComponentCount(), 0);
}

TEST_F(StreamingTest, UnknownPropertiesAndClassesFailBeforeAnythingChanges)
{
    TTestNode* root = BuildTree();
    std::string bytes = Bytes(root);
    TTestNode target(nullptr);
    target.SetCaption("untouched");

    std::string unknownProp = Patched(bytes, "Caption", "Zaption");
    EXPECT_EQ(test::MessageOf<EReadError>([&] { ReadBytes(unknownProp, &target, nullptr); }),
              "Property Zaption does not exist");
    EXPECT_EQ(target.Caption(), "untouched");
    EXPECT_EQ(target.ComponentCount(), 0);
    EXPECT_EQ(target.Width(), 100);
    EXPECT_FALSE(target.IsLoading());

    // A newer file read with the skip option: the rest is read.
    TReadOptions skip;
    skip.SkipUnknownProperties = true;
    ReadBytes(unknownProp, &target, nullptr, skip);
    EXPECT_EQ(target.Width(), 321);
    EXPECT_EQ(target.Caption(), "untouched");

    // An unknown class of a child.
    TTestNode other(nullptr);
    std::string unknownClass = Patched(bytes, std::string("\x09\0\0\0TTestNode\x01\0\0\0A", 18),
                                       std::string("\x09\0\0\0TTestNodX\x01\0\0\0A", 18));
    EXPECT_THROW(ReadBytes(unknownClass, &other, nullptr), EClassNotFound);
    EXPECT_EQ(other.ComponentCount(), 0);
    EXPECT_EQ(other.Width(), 100);
    // An unknown root class with nothing to read into.
    TComponent holder(nullptr);
    EXPECT_THROW(ReadBytes(Patched(bytes, "TTestNode", "TTestNodY"), nullptr, &holder), EClassNotFound);
    EXPECT_EQ(holder.ComponentCount(), 0);

    // An enumeration name the class does not know.
    EXPECT_THROW(ReadBytes(Patched(bytes, "taRight", "taRigh2"), &other, nullptr), EReadError);
    EXPECT_EQ(other.Align(), taNone);
    // An ordinal in place of the name must name an enumerator too; 1337 would
    // reach the setter as a value the enumeration does not have.
    auto withOrdinal = [&bytes](std::int32_t ordinal) {
        const std::string byName("Align\x07\x07\0\0\0taRight", 17);
        std::string out = bytes;
        const auto at = out.find(byName);
        EXPECT_NE(at, std::string::npos);
        out.replace(at, byName.size(),
                    std::string("Align\x03", 6) + std::string(reinterpret_cast<const char*>(&ordinal), 4));
        return out;
    };
    for (std::int32_t ordinal : {1337, -1, 3}) {
        EXPECT_THROW(ReadBytes(withOrdinal(ordinal), &other, nullptr), EReadError) << ordinal;
        EXPECT_EQ(other.Align(), taNone);
    }
    ReadBytes(withOrdinal(taLeft), &other, nullptr);
    EXPECT_EQ(other.Align(), taLeft);
}

TEST_F(StreamingTest, FailingSetterFreesWhatTheReadCreated)
{
    TTestNode* root = BuildTree();
    dynamic_cast<TTestNode*>(root->FindComponent("B"))->SetWidth(-999 + 1);
    std::string bytes = Bytes(root);
    // Width -998 -> -999, which the setter refuses (only while applying).
    std::string refused = bytes;
    std::int32_t w = -998;
    std::string from(reinterpret_cast<const char*>(&w), 4);
    w = -999;
    refused = Patched(refused, "Width" + std::string("\x03", 1) + from,
                      "Width" + std::string("\x03", 1) + std::string(reinterpret_cast<const char*>(&w), 4));
    TComponent holder(nullptr);
    EXPECT_THROW(ReadBytes(refused, nullptr, &holder), EConvertError);
    EXPECT_EQ(holder.ComponentCount(), 0);
    EXPECT_TRUE(g_log.empty());   // no Loaded for a failed read
}

namespace {

// Published simple values by name (references as the referenced name).
std::vector<std::pair<std::string, Variant>> SimpleValues(TObject* obj)
{
    std::vector<std::pair<std::string, Variant>> out;
    for (const TPropInfo* p : GetPropList(obj))
        if (p->Kind != pkPersistent && p->Kind != pkCollection)
            out.emplace_back(p->Name, GetPropValue(obj, p->Name));
    return out;
}

} // namespace

// A read into an existing component applies the stream to a fresh object
// first; a refusal there leaves the target untouched, including what the
// undo log would not put back (nested objects, items, defined entries).
TEST_F(StreamingTest, ValueRefusedOnAFreshObjectLeavesTheTargetAsItWas)
{
    TTestNode* root = BuildTree();
    // The stream of the tree with one Width of -999 (which every TTestNode refuses).
    auto refusedWidth = [root](TTestNode* which) {
        const int old = which->Width();
        which->SetWidth(-998);
        std::string bytes = Bytes(root);
        which->SetWidth(old);
        std::int32_t from = -998, to = -999;
        return Patched(bytes, "Width\x03" + std::string(reinterpret_cast<const char*>(&from), 4),
                       "Width\x03" + std::string(reinterpret_cast<const char*>(&to), 4));
    };
    std::vector<std::string> streams{refusedWidth(root),
                                     refusedWidth(dynamic_cast<TTestNode*>(root->FindComponent("B")))};
    root->m_criteria = "refuse";   // refused by the defined entry's reader
    streams.push_back(Bytes(root));

    auto* target = new TTestNode(m_form.get());
    target->SetName("Target");
    target->SetWidth(5);
    target->SetCaption("mine");
    target->SetAlign(taLeft);
    target->Font()->SetName("Mono");
    for (const char* caption : {"x", "y", "z"})
        static_cast<TTestItem*>(target->Items()->Add())->SetCaption(caption);
    target->m_criteria = "keep";
    auto* existingA = new TTestNode(target);
    existingA->SetName("A");
    existingA->SetParentComponent(target);
    existingA->SetCaption("old");
    target->SetBuddy(existingA);
    const std::string before = Bytes(target);
    const int formCount = m_form->ComponentCount();

    for (std::size_t i = 0; i < streams.size(); ++i) {
        EXPECT_THROW(ReadBytes(streams[i], target, nullptr), Exception) << i;
        EXPECT_EQ(Bytes(target), before) << i;
        EXPECT_EQ(target->Name(), "Target");
        ASSERT_EQ(target->ComponentCount(), 1) << i;
        EXPECT_EQ(target->Components(0), existingA);
        EXPECT_EQ(existingA->GetParentComponent(), target);
        EXPECT_EQ(target->Buddy(), existingA);
        EXPECT_EQ(target->Items()->Count(), 3);
        EXPECT_EQ(target->m_criteria, "keep");
        EXPECT_FALSE(target->IsLoading());
        EXPECT_FALSE(existingA->IsLoading());
        EXPECT_EQ(m_form->ComponentCount(), formCount) << i;
    }
    EXPECT_TRUE(g_log.empty());
}

// Setters that take the values on a fresh object but refuse them on the
// target: the values changed before the refusal are put back.
TEST_F(StreamingTest, RefusalThatDependsOnTheTargetPutsBackItsValues)
{
    TTestNode* root = BuildTree();
    const std::string bytes = Bytes(root);

    auto* target = new TTestNode(m_form.get());
    target->SetName("Target");
    target->SetWidth(5);
    target->SetCaption("mine");
    target->SetOptions({toC});
    target->SetValue(Variant(7));
    target->Items()->Add();
    auto* existingA = new TTestNode(target);
    existingA->SetName("A");
    existingA->SetParentComponent(m_other);   // placed elsewhere: the read moves it into the target
    existingA->SetCaption("old");
    existingA->SetRatio(2.5);
    target->SetBuddy(existingA);
    const int formCount = m_form->ComponentCount();

    // Refused early, by the root's Value: nothing after it was reached.
    target->m_refuseArrays = true;
    const std::string before = Bytes(target);
    const auto targetValues = SimpleValues(target);
    const auto aValues = SimpleValues(existingA);
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { ReadBytes(bytes, target, nullptr); }),
              "Arrays refused");
    EXPECT_EQ(Bytes(target), before);
    EXPECT_EQ(SimpleValues(target), targetValues);
    EXPECT_EQ(target->Name(), "Target");

    // Refused last, by the existing child's reference fix-up: the root's
    // values, its name, its reference (meanwhile to the new B) and the
    // child's values and parent are all back; B is gone.
    target->m_refuseArrays = false;
    existingA->m_buddyLocked = true;
    EXPECT_EQ(test::MessageOf<EConvertError>([&] { ReadBytes(bytes, target, nullptr); }),
              "Buddy locked");
    EXPECT_EQ(SimpleValues(target), targetValues);
    EXPECT_EQ(SimpleValues(existingA), aValues);
    EXPECT_EQ(target->Name(), "Target");
    EXPECT_EQ(target->Buddy(), existingA);
    EXPECT_EQ(existingA->Buddy(), nullptr);
    EXPECT_EQ(existingA->GetParentComponent(), m_other);
    ASSERT_EQ(target->ComponentCount(), 1);
    EXPECT_EQ(target->Components(0), existingA);
    EXPECT_EQ(target->FindComponent("B"), nullptr);
    EXPECT_FALSE(target->IsLoading());
    EXPECT_FALSE(existingA->IsLoading());
    EXPECT_EQ(m_form->ComponentCount(), formCount);
    EXPECT_TRUE(g_log.empty());

    // Unlocked, the same stream reads.
    existingA->m_buddyLocked = false;
    ReadBytes(bytes, target, nullptr);
    EXPECT_EQ(target->Name(), "Root_1");
    EXPECT_EQ(target->Width(), 321);
    EXPECT_EQ(existingA->Caption(), "child a");
    EXPECT_EQ(existingA->Buddy(), m_other);
    EXPECT_EQ(target->Buddy(), target->FindComponent("B"));
}

TEST_F(StreamingTest, TruncatedStreamsFailCleanlyAtEveryByte)
{
    TTestNode* root = BuildTree();
    std::string bytes = Bytes(root);

    auto* target = new TTestNode(m_form.get());
    target->SetName("Target");
    auto* child = new TTestNode(target);
    child->SetName("A");
    child->SetParentComponent(target);
    const std::string before = Bytes(target);
    const int formCount = m_form->ComponentCount();

    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        TStringStream s(bytes.substr(0, cut));
        EXPECT_THROW(ReadComponent(s, target, nullptr), EReadError) << "cut at " << cut;
        EXPECT_EQ(s.Position(), 0) << "cut at " << cut;
        EXPECT_THROW(ReadComponent(s, nullptr, m_form.get()), EReadError) << "cut at " << cut;
    }
    EXPECT_EQ(Bytes(target), before);
    EXPECT_EQ(target->ComponentCount(), 1);
    EXPECT_EQ(m_form->ComponentCount(), formCount);
    EXPECT_FALSE(target->IsLoading());
    EXPECT_TRUE(g_log.empty());
}

TEST_F(StreamingTest, DamagedBytesNeverCrashOrAllocateHugely)
{
    TTestNode* root = BuildTree();
    const std::string bytes = Bytes(root);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (unsigned char mask : {0xFFu, 0x80u, 0x01u}) {
            std::string damaged = bytes;
            damaged[i] = static_cast<char>(static_cast<unsigned char>(damaged[i]) ^ mask);
            TComponent holder(nullptr);
            try {
                ReadBytes(damaged, nullptr, &holder);
            } catch (const Exception&) {
                EXPECT_EQ(holder.ComponentCount(), 0) << "byte " << i;
            }
        }
    }
    // A length claiming 4 GiB: refused before anything is allocated.
    std::string huge = bytes;
    std::memset(huge.data() + 6, 0xFF, 4);
    TComponent holder(nullptr);
    {
        const std::string message = test::MessageOf<EReadError>([&] { ReadBytes(huge, nullptr, &holder); });
        EXPECT_NE(message.find("past the end"), std::string::npos) << message;
    }
}

TEST_F(StreamingTest, NestingAndFormatChecks)
{
    // A chain of 200 nested children: refused, not a stack overflow.
    std::string deep("QELC\x01\x00", 6);
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    for (int i = 0; i < 200; ++i)
        deep += u32(9) + "TTestNode" + u32(0) + u32(0) + u32(1);
    deep += u32(9) + "TTestNode" + u32(0) + u32(0) + u32(0);
    TComponent holder(nullptr);
    EXPECT_THROW(ReadBytes(deep, nullptr, &holder), EReadError);

    TTestNode plain(nullptr);
    std::string bytes = Bytes(&plain);
    EXPECT_THROW(ReadBytes("XELC" + bytes.substr(4), nullptr, &holder), EReadError);
    EXPECT_THROW(ReadBytes(bytes.substr(0, 4) + std::string("\x02\x00", 2) + bytes.substr(6), nullptr, &holder),
                 EReadError);
    EXPECT_EQ(holder.ComponentCount(), 0);

    // The stream is left right after the component: a following value reads on.
    TMemoryStream s;
    s.WriteLE<std::int32_t>(77);
    WriteComponent(s, &plain);
    s.WriteLE<std::int32_t>(88);
    s.SetPosition(4);
    delete ReadComponent(s, nullptr, nullptr);
    EXPECT_EQ(s.ReadLE<std::int32_t>(), 88);

    TMemoryStream mem;
    plain.SetCaption("via memory");
    SaveComponentToMemory(&plain, mem);
    TTestNode copy(nullptr);
    LoadComponentFromMemory(mem, &copy, nullptr);
    EXPECT_EQ(copy.Caption(), "via memory");
}

TEST_F(StreamingTest, PropertyAccessByName)
{
    TTestNode* root = BuildTree();
    EXPECT_EQ(FindPropInfo(root, "WIDTH"), FindPropInfo("TTestNode", "width"));
    EXPECT_EQ(FindPropInfo(root, "Nope"), nullptr);
    EXPECT_TRUE(IsPublishedProp(root, "Tag"));   // inherited from TComponent
    TTestSubNode sub(nullptr);
    EXPECT_TRUE(IsPublishedProp(&sub, "Caption"));
    EXPECT_TRUE(IsPublishedProp(&sub, "Extra"));
    EXPECT_FALSE(IsPublishedProp(root, "Extra"));

    std::vector<std::string> names;
    for (const TPropInfo* p : GetPropList(&sub))
        names.push_back(std::string(p->Name) + ":" + PropKindName(p->Kind));
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names[0], "Name:String");
    EXPECT_EQ(names[1], "Tag:Integer");
    EXPECT_EQ(names[2], "Width:Integer");   // overridden in place
    EXPECT_EQ(names.back(), "Extra:Integer");

    EXPECT_EQ(GetPropValue(root, "Width"), Variant(321));
    EXPECT_EQ(GetPropValue(root, "Align").AsString(), "taRight");
    EXPECT_EQ(GetPropValue(root, "Options").AsString(), "toB,toC");
    EXPECT_EQ(GetPropValue(root, "Visible").VarType(), varBoolean);
    EXPECT_EQ(GetPropValue(root, "Buddy").AsString(), "B");
    EXPECT_EQ(GetPropValue(root, "Name").AsString(), "Root");
    EXPECT_THROW(GetPropValue(root, "Font"), EPropertyError);
    EXPECT_THROW(GetPropValue(root, "Nope"), EPropertyError);

    SetPropValue(root, "width", Variant("77"));   // converted as the kind needs
    EXPECT_EQ(root->Width(), 77);
    SetPropValue(root, "Align", Variant("TALEFT"));
    EXPECT_EQ(root->Align(), taLeft);
    SetPropValue(root, "Align", Variant(0));
    EXPECT_EQ(root->Align(), taNone);
    SetPropValue(root, "Options", Variant("[toA, toC]"));
    EXPECT_EQ(root->Options(), (TTestOptions{toA, toC}));
    SetPropValue(root, "Ratio", Variant(2));
    EXPECT_EQ(root->Ratio(), 2.0);
    SetPropValue(root, "Buddy", Variant("A"));
    EXPECT_EQ(root->Buddy(), root->FindComponent("A"));
    SetPropValue(root, "Buddy", Variant::Null());
    EXPECT_EQ(root->Buddy(), nullptr);
    SetPropValue(root, "Value", Variant::FromSmallint(3));
    EXPECT_EQ(root->Value().VarType(), varSmallint);

    EXPECT_THROW(SetPropValue(root, "Align", Variant("taMiddle")), EPropertyError);
    EXPECT_THROW(SetPropValue(root, "Align", Variant(3)), EPropertyError);
    EXPECT_THROW(SetPropValue(root, "Options", Variant("toZ")), EPropertyError);
    EXPECT_THROW(SetPropValue(root, "ReadOnlyCount", Variant(1)), EPropertyError);
    EXPECT_THROW(SetPropValue(root, "Buddy", Variant("Nobody")), EPropertyError);
    EXPECT_THROW(SetPropValue(root, "Width", Variant("wide")), EConvertError);
    EXPECT_EQ(root->Width(), 77);
}

TEST_F(StreamingTest, ChildrenOwnedElsewhereAreReadIntoTheRootAndStayReferable)
{
    // As a style manager writes its styles: children placed in the root but
    // owned by the root's owner.
    auto* manager = new TTestNode(m_form.get());
    manager->SetName("Manager");
    auto* style = new TTestNode(m_form.get());
    style->SetName("Style1");
    style->SetParentComponent(manager);
    manager->m_placedElsewhereOwned.push_back(style);
    manager->SetBuddy(style);
    std::string bytes = Bytes(manager);

    TComponent holder(nullptr);
    TComponent readingParent(nullptr);
    TStringStream s(bytes);
    auto* copy = dynamic_cast<TTestNode*>(ReadComponent(s, nullptr, &holder, &readingParent));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetParentComponent(), &readingParent);
    ASSERT_EQ(copy->ComponentCount(), 1);
    EXPECT_EQ(copy->Components(0)->Name(), "Style1");
    EXPECT_EQ(copy->Buddy(), copy->Components(0));   // not the original Style1 of Form1
}
