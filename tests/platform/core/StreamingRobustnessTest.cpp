// Component streams from damaged files: every mutated stream either reads or
// raises one of our exceptions, and a failed read changes nothing.
#include "platform/core/ClassRegistry.h"
#include "platform/core/Collection.h"
#include "platform/core/Streaming.h"

#include "fuzz/Mutator.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace qel;

namespace {

enum TFzKind { fkOne, fkTwo, fkThree };
using TFzKinds = TSet<TFzKind>;

class TFzFont : public TPersistent {
    QEL_CLASS(TFzFont)
public:
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& v) { m_name = v; }

private:
    std::string m_name = "Sans";
};

class TFzItem : public TCollectionItem {
    QEL_CLASS(TFzItem)
public:
    explicit TFzItem(TCollection* c) : TCollectionItem(c) {}
    int Width() const { return m_width; }
    void SetWidth(int v) { m_width = v; }

private:
    int m_width = 1;
};

class TFzNode : public TComponent {
    QEL_CLASS(TFzNode)
public:
    explicit TFzNode(TComponent* owner)
        : TComponent(owner), m_items([](TCollection* c) { return new TFzItem(c); }, "TFzItem", this)
    {
    }
    int Width() const { return m_width; }
    void SetWidth(int v) { m_width = v; }
    std::int64_t Big() const { return m_big; }
    void SetBig(std::int64_t v) { m_big = v; }
    bool Flag() const { return m_flag; }
    void SetFlag(bool v) { m_flag = v; }
    double Ratio() const { return m_ratio; }
    void SetRatio(double v) { m_ratio = v; }
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v) { m_caption = v; }
    TFzKind Kind() const { return m_kind; }
    void SetKind(TFzKind v) { m_kind = v; }
    TFzKinds Kinds() const { return m_kinds; }
    void SetKinds(TFzKinds v) { m_kinds = v; }
    Variant Value() const { return m_value; }
    void SetValue(const Variant& v) { m_value = v; }
    TFzNode* Link() const { return m_link; }
    void SetLink(TFzNode* v)
    {
        if (v)
            v->FreeNotification(this);
        m_link = v;
    }
    TFzFont* Font() { return &m_font; }
    TCollection* Items() { return &m_items; }
    std::string Blob() const { return m_blob; }
    void SetBlob(const std::string& v) { m_blob = v; }

    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove && c == m_link)
            m_link = nullptr;
    }
    bool HasParent() const override { return m_parent != nullptr; }
    TComponent* GetParentComponent() const override { return m_parent; }
    void SetParentComponent(TComponent* v) override { m_parent = v; }

    void DefineProperties(TFiler& filer) override
    {
        filer.DefineProperty(
            "Flags", [this](const Variant& v) { m_defined = v.AsInteger(); }, [this] { return Variant(m_defined); },
            m_defined != 0);
        filer.DefineBinaryProperty(
            "Block", [this](TStream& s) { m_block = s.ReadBytes(s.Size()); },
            [this](TStream& s) { s.WriteBytes(m_block); }, !m_block.empty());
    }

    int m_defined = 0;
    std::string m_block;

private:
    int m_width = 0;
    std::int64_t m_big = 0;
    bool m_flag = false;
    double m_ratio = 0;
    std::string m_caption;
    TFzKind m_kind = fkOne;
    TFzKinds m_kinds;
    Variant m_value;
    TFzNode* m_link = nullptr;
    TFzFont m_font;
    TCollection m_items;
    std::string m_blob;
    TComponent* m_parent = nullptr;
};

void RegisterFuzzClasses()
{
    static const bool done = [] {
        RegisterClass<TFzFont>("TFzFont", "TPersistent");
        RegisterClass<TFzItem>("TFzItem", "TCollectionItem");
        RegisterClass<TFzNode>("TFzNode", "TComponent");
        TPropertyRegistrar<TFzFont>("TFzFont").String("Name", &TFzFont::Name, &TFzFont::SetName, "Sans");
        TPropertyRegistrar<TFzItem>("TFzItem").Integer("Width", &TFzItem::Width, &TFzItem::SetWidth, 1);
        TPropertyRegistrar<TFzNode>("TFzNode")
            .Integer("Width", &TFzNode::Width, &TFzNode::SetWidth, 0)
            .Int64("Big", &TFzNode::Big, &TFzNode::SetBig, 0)
            .Boolean("Flag", &TFzNode::Flag, &TFzNode::SetFlag, false)
            .Float("Ratio", &TFzNode::Ratio, &TFzNode::SetRatio)
            .String("Caption", &TFzNode::Caption, &TFzNode::SetCaption)
            .Enumeration("Kind", &TFzNode::Kind, &TFzNode::SetKind, {"fkOne", "fkTwo", "fkThree"}, fkOne)
            .Set("Kinds", &TFzNode::Kinds, &TFzNode::SetKinds, {"fkOne", "fkTwo", "fkThree"}, 0)
            .VariantProp("Value", &TFzNode::Value, &TFzNode::SetValue)
            .Component("Link", &TFzNode::Link, &TFzNode::SetLink)
            .Persistent("Font", &TFzNode::Font)
            .Collection("Items", &TFzNode::Items)
            .Binary("Blob", &TFzNode::Blob, &TFzNode::SetBlob);
        return true;
    }();
    (void)done;
}

std::string Save(TComponent* root)
{
    TMemoryStream s;
    WriteComponent(s, root);
    return s.Bytes();
}

// Valid streams of several shapes: a bare node, a tree with every kind of
// entry and references, and nested variant arrays.
std::vector<std::string> Samples()
{
    std::vector<std::string> samples;
    TFzNode plain(nullptr);
    samples.push_back(Save(&plain));

    TComponent form(nullptr);
    form.SetName("Form");
    auto* root = new TFzNode(&form);
    root->SetName("Root");
    root->SetWidth(-7);
    root->SetBig(std::int64_t{1} << 50);
    root->SetFlag(true);
    root->SetRatio(2.5);
    root->SetCaption("Größe");
    root->SetKind(fkThree);
    root->SetKinds({fkOne, fkThree});
    root->SetValue(Variant::Array({Variant(1), Variant("x"), Variant::Null(), Variant(true),
                                   Variant::Array({Variant(2.5), Variant::FromDate(45000.25)})}));
    root->Font()->SetName("Mono");
    static_cast<TFzItem*>(root->Items()->Add())->SetWidth(9);
    root->Items()->Add();
    root->SetBlob(std::string("\0\xFF\x01", 3));
    root->m_defined = 3;
    root->m_block = "block";
    auto* a = new TFzNode(root);
    a->SetName("A");
    a->SetParentComponent(root);
    auto* b = new TFzNode(root);
    b->SetName("B");
    b->SetParentComponent(a);
    b->SetValue(Variant(Currency::FromDouble(1.5)));
    root->SetLink(b);
    b->SetLink(root);
    samples.push_back(Save(root));
    return samples;
}

bool HasChildren(TComponent& c) { return c.ComponentCount() != 0; }

// Reads the input as a new root and into an existing tree; failures must be
// our own exceptions and leave everything as it was.
void Exercise(const std::string& input, TFzNode& target, const std::string& targetBytes)
{
    {
        TComponent holder(nullptr);
        TStringStream s(input);
        try {
            ReadComponent(s, nullptr, &holder);
        } catch (const Exception&) {
            EXPECT_FALSE(HasChildren(holder));
            EXPECT_EQ(s.Position(), 0);
        }
    }
    TStringStream s(input);
    try {
        TReadOptions skip;
        skip.SkipUnknownProperties = true;
        LoadComponentFromMemory(s, &target, nullptr, nullptr, skip);
    } catch (const Exception&) {
        EXPECT_EQ(Save(&target), targetBytes) << "a failed read changed the target";
        return;
    }
    // A successful read leaves a tree that writes again and reads back.
    const std::string again = Save(&target);
    TComponent holder(nullptr);
    TStringStream s2(again);
    EXPECT_NO_THROW(ReadComponent(s2, nullptr, &holder));
}

class StreamingRobustness : public ::testing::Test {
protected:
    void SetUp() override { RegisterFuzzClasses(); }
};

} // namespace

TEST_F(StreamingRobustness, MutatedStreamsReadOrFailCleanly)
{
    const std::vector<std::string> samples = Samples();
    test::Mutator mutator(samples, test::FuzzSeed(20240611u),
                          {std::string("\x0e\x00\x0c\x20", 4), std::string("\x0c\x01\x00\x00\x00", 5),
                           std::string("\x0d\x01\x00\x00\x00", 5), "TFzNode", "TFzItem", "TFzFont", "TComponent",
                           "Items", "Font", "Value", "Link", "Kinds"});
    for (int i = 0; i < test::FuzzIterations(2500); ++i) {
        const std::string input = mutator.Next();
        TFzNode target(nullptr);
        target.SetName("Target");
        auto* child = new TFzNode(&target);
        child->SetName("A");
        child->SetParentComponent(&target);
        const std::string before = Save(&target);
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(input, target, before);
        if (::testing::Test::HasFailure())
            break;
    }
}

// Counts and lengths at their extremes in every place a count can stand.
TEST_F(StreamingRobustness, ExtremeCountsAtEveryOffsetFailBeforeAllocating)
{
    const std::string sample = Samples().back();
    for (std::uint32_t v : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x10000000u}) {
        for (std::size_t at = 6; at + 4 <= sample.size(); at += 3) {
            std::string damaged = sample;
            for (int k = 0; k < 4; ++k)
                damaged[at + static_cast<std::size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
            TFzNode target(nullptr);
            Exercise(damaged, target, Save(&target));
        }
    }
}

TEST_F(StreamingRobustness, KeptInputsStillFailCleanly)
{
    for (const auto& [name, input] : test::RegressionInputs("streaming")) {
        SCOPED_TRACE(name);
        TFzNode target(nullptr);
        Exercise(input, target, Save(&target));
    }
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocator interface (GCC ships no header for it).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*));
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void*);
namespace {
// Heap bytes in use, and their peak, counted by the sanitizer's allocator hooks.
std::atomic<std::int64_t> g_heapNow{0};
std::atomic<std::int64_t> g_heapPeak{0};
void CountMalloc(const volatile void*, std::size_t size)
{
    const std::int64_t now = g_heapNow += static_cast<std::int64_t>(size);
    std::int64_t peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
}
void CountFree(const volatile void* p)
{
    g_heapNow -= static_cast<std::int64_t>(__sanitizer_get_allocated_size(p));
}
}   // namespace
#define QEL_HEAP_PEAK 1
#endif

// Every level declaring as many entries as the remaining bytes could hold
// once made the reader allocate thousands of times the stream's size before
// it failed; what it holds now grows with the bytes it has really read.
TEST_F(StreamingRobustness, DeclaredCountsCostNothingBeforeTheirBytesAreRead)
{
    std::string input;
    for (const auto& [name, bytes] : test::RegressionInputs("streaming"))
        if (name == "streaming-nested-counts-of-remaining-bytes.bin")
            input = bytes;
    ASSERT_EQ(input.size(), 64u * 1024u);
    TComponent holder(nullptr);
    TStringStream s(input);
#ifdef QEL_HEAP_PEAK
    g_heapNow = 0;
    g_heapPeak = 0;
    ASSERT_NE(__sanitizer_install_malloc_and_free_hooks(CountMalloc, CountFree), 0);
#endif
    EXPECT_THROW(ReadComponent(s, nullptr, &holder), EReadError);
#ifdef QEL_HEAP_PEAK
    __sanitizer_install_malloc_and_free_hooks(nullptr, nullptr);
    EXPECT_LT(g_heapPeak.load(), static_cast<std::int64_t>(8 * input.size()));
#endif
}
