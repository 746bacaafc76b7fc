#pragma once
// Component classes with every kind of streamed entry, streams of them
// written by the component writer, and the checks on a damaged stream: the
// samples and checks of the streaming robustness test and the seeds and
// checks of the streaming fuzz harness.
#include "platform/core/ClassRegistry.h"
#include "platform/core/Collection.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"

#include <string>
#include <vector>

namespace qel::fuzz {

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

inline void RegisterFuzzClasses()
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

inline std::string Save(TComponent* root)
{
    TMemoryStream s;
    WriteComponent(s, root);
    return s.Bytes();
}

// Valid streams of several shapes: a bare node, a tree with every kind of
// entry and references, and nested variant arrays.
inline std::vector<std::string> Samples()
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

// Reads Input as a new root and into Target. A failed read raises our
// exception and changes nothing; a tree that was read writes again and reads
// back. Returns what broke, empty when nothing did.
inline std::string CheckStreamRead(const std::string& Input, TFzNode& Target)
{
    {
        TComponent holder(nullptr);
        TStringStream s(Input);
        try {
            ReadComponent(s, nullptr, &holder);
        } catch (const Exception&) {
            if (holder.ComponentCount() != 0 || s.Position() != 0)
                return "a failed read left components behind or moved the stream";
        }
    }
    const std::string before = Save(&Target);
    TStringStream s(Input);
    try {
        TReadOptions skip;
        skip.SkipUnknownProperties = true;
        LoadComponentFromMemory(s, &Target, nullptr, nullptr, skip);
    } catch (const Exception&) {
        if (Save(&Target) != before)
            return "a failed read changed the target";
        return {};
    }
    TComponent holder(nullptr);
    TStringStream again(Save(&Target));
    try {
        ReadComponent(again, nullptr, &holder);
    } catch (const Exception&) {
        return "a tree that was read does not read back after writing";
    }
    return {};
}

} // namespace qel::fuzz
