// Writing and reading a component tree of 10,000 objects through the
// component stream (each with a few simple properties and a nested object).
#include "platform/core/ClassRegistry.h"
#include "platform/core/Streaming.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace qel;

namespace {

enum TBenchAlign { baNone, baLeft, baClient };

class TBenchFont : public TPersistent {
    QEL_CLASS(TBenchFont)
public:
    int Size() const { return m_size; }
    void SetSize(int v) { m_size = v; }
    bool Bold() const { return m_bold; }
    void SetBold(bool v) { m_bold = v; }

private:
    int m_size = 8;
    bool m_bold = false;
};

class TBenchNode : public TComponent {
    QEL_CLASS(TBenchNode)
public:
    explicit TBenchNode(TComponent* owner) : TComponent(owner) {}

    int Width() const { return m_width; }
    void SetWidth(int v) { m_width = v; }
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& v) { m_caption = v; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool v) { m_visible = v; }
    TBenchAlign Align() const { return m_align; }
    void SetAlign(TBenchAlign v) { m_align = v; }
    double Ratio() const { return m_ratio; }
    void SetRatio(double v) { m_ratio = v; }
    TBenchFont* Font() { return &m_font; }

    // Like a container control: it knows its own children, so writing
    // does not scan the root's whole component list for each node.
    bool HasParent() const override { return m_parent != nullptr; }
    TComponent* GetParentComponent() const override { return m_parent; }
    void SetParentComponent(TComponent* v) override
    {
        if (m_parent == v)
            return;
        if (auto* old = dynamic_cast<TBenchNode*>(m_parent))
            std::erase(old->m_children, this);
        m_parent = v;
        if (auto* p = dynamic_cast<TBenchNode*>(v))
            p->m_children.push_back(this);
    }
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) override
    {
        for (TComponent* c : m_children)
            Proc(c);
    }

private:
    int m_width = 64;
    std::string m_caption;
    bool m_visible = true;
    TBenchAlign m_align = baNone;
    double m_ratio = 0;
    TBenchFont m_font;
    TComponent* m_parent = nullptr;
    std::vector<TComponent*> m_children;
};

void Register()
{
    static const bool done = [] {
        RegisterClass<TBenchFont>("TBenchFont", "TPersistent");
        RegisterClass<TBenchNode>("TBenchNode", "TComponent");
        TPropertyRegistrar<TBenchFont>("TBenchFont")
            .Integer("Size", &TBenchFont::Size, &TBenchFont::SetSize, 8)
            .Boolean("Bold", &TBenchFont::Bold, &TBenchFont::SetBold, false);
        TPropertyRegistrar<TBenchNode>("TBenchNode")
            .Integer("Width", &TBenchNode::Width, &TBenchNode::SetWidth, 64)
            .String("Caption", &TBenchNode::Caption, &TBenchNode::SetCaption)
            .Boolean("Visible", &TBenchNode::Visible, &TBenchNode::SetVisible, true)
            .Enumeration("Align", &TBenchNode::Align, &TBenchNode::SetAlign, {"baNone", "baLeft", "baClient"}, baNone)
            .Float("Ratio", &TBenchNode::Ratio, &TBenchNode::SetRatio)
            .Persistent("Font", &TBenchNode::Font);
        return true;
    }();
    (void)done;
}

TBenchNode* Node(TComponent* root, TComponent* parent, int i)
{
    auto* n = new TBenchNode(root);
    std::string name = "N";   // (not "N" + ...: g++ 12 -O3 warns falsely on that)
    name += std::to_string(i);
    n->SetName(name);
    n->SetParentComponent(parent);
    n->SetWidth(i % 300);
    std::string caption = "Column ";
    caption += std::to_string(i);
    n->SetCaption(caption);
    n->SetVisible(i % 7 != 0);
    n->SetAlign(static_cast<TBenchAlign>(i % 3));
    n->SetRatio(i * 0.25);
    n->Font()->SetSize(8 + i % 5);
    n->Font()->SetBold(i % 2 == 0);
    return n;
}

// 1 root + 99 groups + 99 x 100 leaves = 10,000 components.
std::unique_ptr<TBenchNode> BuildTree()
{
    Register();
    auto root = std::make_unique<TBenchNode>(nullptr);
    root->SetName("Root");
    int i = 0;
    for (int g = 0; g < 99; ++g) {
        TBenchNode* group = Node(root.get(), root.get(), i++);
        for (int k = 0; k < 100; ++k)
            Node(root.get(), group, i++);
    }
    return root;
}

void BM_WriteTree(benchmark::State& state)
{
    auto root = BuildTree();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream s;
        WriteComponent(s, root.get());
        bytes = s.Size();
        benchmark::DoNotOptimize(s.Memory());
    }
    state.SetItemsProcessed(state.iterations() * (root->ComponentCount() + 1));
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["stream_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteTree)->Unit(benchmark::kMillisecond);

void BM_ReadTreeNew(benchmark::State& state)
{
    auto root = BuildTree();
    TMemoryStream s;
    WriteComponent(s, root.get());
    for (auto _ : state) {
        s.SetPosition(0);
        std::unique_ptr<TComponent> copy(ReadComponent(s, nullptr, nullptr));
        benchmark::DoNotOptimize(copy.get());
    }
    state.SetItemsProcessed(state.iterations() * (root->ComponentCount() + 1));
    state.SetBytesProcessed(state.iterations() * s.Size());
}
BENCHMARK(BM_ReadTreeNew)->Unit(benchmark::kMillisecond);

// Applying a stored tree to the same tree again (children matched by name).
void BM_ReadTreeIntoExisting(benchmark::State& state)
{
    auto root = BuildTree();
    TMemoryStream s;
    WriteComponent(s, root.get());
    for (auto _ : state) {
        s.SetPosition(0);
        ReadComponent(s, root.get(), nullptr);
    }
    state.SetItemsProcessed(state.iterations() * (root->ComponentCount() + 1));
}
BENCHMARK(BM_ReadTreeIntoExisting)->Unit(benchmark::kMillisecond);

} // namespace
