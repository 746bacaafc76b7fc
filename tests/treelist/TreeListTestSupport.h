#pragma once
// A tree list of a known size with three text columns, a tree builder, and
// checks shared by the tree list tests.
#include "treelist/TreeListControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qel::test {

struct TreeFixture {
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TdxTreeList* tree = nullptr;
    TdxTreeListColumn* colName = nullptr;
    TdxTreeListColumn* colSize = nullptr;
    TdxTreeListColumn* colKind = nullptr;

    TreeFixture(int Width = 400, int Height = 300)
    {
        tree = new TdxTreeList(owner.get());
        tree->SetName("Tree1");
        tree->SetBounds(0, 0, Width, Height);
        tree->SetDefaultRowHeight(18);
        colName = tree->CreateColumn();
        colName->SetName("ColName");
        colName->SetCaption("Name");
        colName->SetWidth(150);
        colSize = tree->CreateColumn();
        colSize->SetName("ColSize");
        colSize->SetCaption("Size");
        colSize->SetWidth(80);
        colSize->SetAlignment(taRightJustify);
        colKind = tree->CreateColumn();
        colKind->SetName("ColKind");
        colKind->SetCaption("Kind");
        colKind->SetWidth(100);
    }

    TdxTreeListNode* Add(TdxTreeListNode* Parent, const std::string& Name, const std::string& Size = "",
                         const std::string& Kind = "")
    {
        TdxTreeListNode* n = Parent ? Parent->AddChild() : tree->Add();
        n->SetString(0, Name);
        n->SetString(1, Size);
        n->SetString(2, Kind);
        return n;
    }

    // Names in display order.
    std::vector<std::string> Display() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < tree->GetAbsoluteCount(); ++i)
            out.push_back(tree->GetAbsoluteNode(i)->GetString(0));
        return out;
    }
};

// An editor that keeps its value; counts how often it was hidden.
class FakeEditor : public TdxTreeListInplaceEditor {
public:
    explicit FakeEditor(int* Hides) : m_hides(Hides) {}
    Variant GetEditingValue() const override { return m_value; }
    void SetEditingValue(const Variant& Value) override
    {
        m_value = Value;
        m_modified = m_shown;
    }
    bool Modified() const override { return m_modified; }
    void Show(TWinControl*, const TRect&) override { m_shown = true; }
    void Hide() override
    {
        m_shown = false;
        ++*m_hides;
    }
    bool Visible() const override { return m_shown; }
    void SetBounds(const TRect&) override {}

private:
    Variant m_value;
    bool m_modified = false;
    bool m_shown = false;
    int* m_hides;
};

class EditColumn : public TdxTreeListColumn {
public:
    using TdxTreeListColumn::TdxTreeListColumn;
    int Hides = 0;
    TdxTreeListEditorFactory GetEditorClass() const override
    {
        int* hides = const_cast<int*>(&Hides);
        return [hides] { return std::make_unique<FakeEditor>(hides); };
    }
};

// A reference walk: the display order as the tree defines it.
inline void Walk(TdxTreeListNode* N, std::vector<TdxTreeListNode*>& Out)
{
    Out.push_back(N);
    if (N->Expanded())
        for (int i = 0; i < N->GetCount(); ++i)
            Walk(N->GetItem(i), Out);
}

inline void ExpectDisplayConsistent(TdxTreeList& T)
{
    std::vector<TdxTreeListNode*> ref;
    for (int i = 0; i < T.GetCount(); ++i)
        Walk(T.GetItem(i), ref);
    ASSERT_EQ(T.GetAbsoluteCount(), static_cast<int>(ref.size()));
    for (int i = 0; i < static_cast<int>(ref.size()); ++i) {
        EXPECT_EQ(T.GetAbsoluteNode(i), ref[static_cast<std::size_t>(i)]);
        EXPECT_EQ(T.GetAbsoluteIndex(ref[static_cast<std::size_t>(i)]), i);
        EXPECT_EQ(T.GetNextVisibleNode(ref[static_cast<std::size_t>(i)]),
                  i + 1 < static_cast<int>(ref.size()) ? ref[static_cast<std::size_t>(i) + 1] : nullptr);
    }
}


// The visible columns in header order.
inline std::vector<int> HeaderOrder(const TCustomdxTreeList& T)
{
    std::vector<int> out;
    for (int i = 0; i < T.GetVisibleColumnCount(); ++i)
        out.push_back(T.GetVisibleColumn(i));
    return out;
}

inline TPoint Mid(const TRect& R)
{
    return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

} // namespace qel::test
