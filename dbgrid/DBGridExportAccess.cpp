#include "dbgrid/DBGridExportAccess.h"

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

#include <algorithm>

namespace qel {

TdxDBGridExportAccess::TdxDBGridExportAccess(TCustomdxDBGrid* Grid) : TdxExportGridAccess(Grid), m_grid(Grid) {}

void TdxDBGridExportAccess::CheckUnchanged() const
{
    m_grid->CheckUnchangedWhileHeld();
}

TDataSet* TdxDBGridExportAccess::DataSet() const
{
    return m_grid && m_grid->DataSource() ? m_grid->DataSource()->DataSet() : nullptr;
}

bool TdxDBGridExportAccess::HasDataSet() const { return DataSet() != nullptr; }

int TdxDBGridExportAccess::GroupColumnCount() const { return m_grid->GroupColumnCount(); }

int TdxDBGridExportAccess::GroupColumn(int Level) const
{
    const TdxDBTreeListColumn* c = m_grid->GetGroupColumn(Level);
    return c ? c->Index() : -1;
}

TColor TdxDBGridExportAccess::RowFooterTextColor() const { return m_grid->RowFooterTextColor(); }

TdxDBTreeListColumn* TdxDBGridExportAccess::Column(int Index) const
{
    // Asked for every cell: the cast is made again only when another column stands at the index.
    TdxTreeListColumn* at = m_grid->GetColumnByIndex(Index);
    if (Index < 0)
        return nullptr;
    const auto i = static_cast<std::size_t>(Index);
    if (i >= m_columns.size())
        m_columns.resize(i + 1);
    if (m_columns[i].first != at || !at)
        m_columns[i] = {at, dynamic_cast<TdxDBTreeListColumn*>(at)};
    return m_columns[i].second;
}

TField* TdxDBGridExportAccess::Field(int Index) const
{
    const TdxDBTreeListColumn* c = Column(Index);
    return c && !c->FieldName().empty() ? c->Field() : nullptr;
}

bool TdxDBGridExportAccess::HasField(int Column) const { return Field(Column) != nullptr; }

TFieldType TdxDBGridExportAccess::FieldType(int Column) const
{
    const TField* f = Field(Column);
    return f ? f->DataType() : ftUnknown;
}

std::string TdxDBGridExportAccess::FieldName(int Column) const
{
    const TdxDBTreeListColumn* c = this->Column(Column);
    return c ? c->FieldName() : std::string();
}

bool TdxDBGridExportAccess::FieldHasGetText(int Column) const
{
    const TField* f = Field(Column);
    return f && f->OnGetText;
}

std::string_view TdxDBGridExportAccess::NodeText(TdxTreeListNode* Node, int Column, std::string& Scratch) const
{
    return m_grid->NodeText(Node, Column, Scratch);
}

Variant TdxDBGridExportAccess::RecordValue(int Column) const
{
    const TField* f = Field(Column);
    return f ? f->Value() : Variant();
}

std::string TdxDBGridExportAccess::RecordDisplayText(int Column) const
{
    const TField* f = Field(Column);
    return f ? f->DisplayText() : std::string();
}

TdxSummaryType TdxDBGridExportAccess::SummaryFooterType(int Column) const
{
    const TdxDBTreeListColumn* c = this->Column(Column);
    return c ? c->SummaryFooterType() : cstNone;
}

std::string TdxDBGridExportAccess::SummaryFooterField(int Column) const
{
    const TdxDBTreeListColumn* c = this->Column(Column);
    return c ? c->SummaryFooterField() : std::string();
}

std::string TdxDBGridExportAccess::SummaryFooterText(int Column) const
{
    const TdxDBTreeListColumn* c = this->Column(Column);
    return c ? c->GetSummaryFooterText() : TdxExportGridAccess::SummaryFooterText(Column);
}

bool TdxDBGridExportAccess::SummaryFooterValue(int Column, Variant& Value) const
{
    const TdxDBTreeListColumn* c = this->Column(Column);
    if (!c || !c->FooterValueAssigned())
        return false;
    Value = Variant(c->FooterValue());
    return true;
}

bool TdxDBGridExportAccess::IsBufferMode() const { return m_grid->IsBufferMode(); }

bool TdxDBGridExportAccess::IsPartialLoadMode() const { return m_grid->IsPartialLoadMode(); }

int TdxDBGridExportAccess::DataSetRecordCount() const { return DataSet() ? DataSet()->RecordCount() : 0; }

namespace {

// Goes back to the remembered record and top row and enables the controls.
class TDBGridWalk final : public TdxExportGridAccess::TWalk {
public:
    TDBGridWalk(TCustomdxDBGrid* Grid, TDataSet* DataSet) : m_grid(Grid), m_dataSet(DataSet) {}
    ~TDBGridWalk() override;

    // Each change is recorded as it is made, so the destructor undoes what
    // happened also when a later step raises.
    void Start()
    {
        m_dataSet->DisableControls();
        m_disabled = true;
        m_bookmark = m_dataSet->GetBookmark();
        m_topIndex = m_grid->GetTopIndex();
        m_started = true;
    }

private:
    TCustomdxDBGrid* m_grid;
    TDataSet* m_dataSet;
    TBookmark m_bookmark;
    int m_topIndex{-1};
    bool m_disabled{false};
    bool m_started{false};
};

TDBGridWalk::~TDBGridWalk()
{
    try {
        // A record deleted meanwhile cannot be gone back to: the first takes its place.
        if (m_started && !m_bookmark.empty() && m_dataSet->BookmarkValid(m_bookmark))
            m_dataSet->GotoBookmark(m_bookmark);
        else if (m_started)
            m_dataSet->First();
    } catch (...) {
    }
    try {
        if (m_disabled)
            m_dataSet->EnableControls();
    } catch (...) {
    }
    try {
        if (m_topIndex >= 0)
            m_grid->SetTopIndex(m_topIndex);
    } catch (...) {
    }
}

} // namespace

std::unique_ptr<TdxExportGridAccess::TWalk> TdxDBGridExportAccess::BeginWalk()
{
    auto walk = std::make_unique<TDBGridWalk>(m_grid, DataSet());
    walk->Start();
    return walk;
}

void TdxDBGridExportAccess::First() { DataSet()->First(); }

bool TdxDBGridExportAccess::Eof() const { return DataSet()->Eof(); }

void TdxDBGridExportAccess::Next() { DataSet()->Next(); }

bool TdxDBGridExportAccess::HasSelectedRows() const
{
    return m_grid->GetSelectedCount() > 0 || (m_grid->IsBookmarkSelection() && m_grid->SelectedBookmarkCount() > 0);
}

int TdxDBGridExportAccess::TakeSelectedRecords()
{
    m_selectedRecords.clear();
    if (m_grid->IsBookmarkSelection())
        for (int i = 0; i < m_grid->SelectedBookmarkCount(); ++i)
            m_selectedRecords.push_back(m_grid->GetSelectedBookmark(i));
    for (int i = 0; i < m_grid->GetSelectedCount(); ++i) {
        const TdxTreeListNode* node = m_grid->GetSelectedItem(i);
        if (node && !m_grid->IsGroupRow(node))
            if (TBookmark bookmark = m_grid->NodeBookmark(node); !bookmark.empty())
                m_selectedRecords.push_back(std::move(bookmark));
    }
    // The dataset's order, each record once (a row may be selected both ways).
    if (!m_grid->LinkActive())
        return static_cast<int>(m_selectedRecords.size());
    std::stable_sort(m_selectedRecords.begin(), m_selectedRecords.end(),
                     [this](const TBookmark& A, const TBookmark& B) { return m_grid->CompareBookmarks(A, B) < 0; });
    m_selectedRecords.erase(std::unique(m_selectedRecords.begin(), m_selectedRecords.end(),
                                        [this](const TBookmark& A, const TBookmark& B) {
                                            return m_grid->CompareBookmarks(A, B) == 0;
                                        }),
                            m_selectedRecords.end());
    return static_cast<int>(m_selectedRecords.size());
}

void TdxDBGridExportAccess::GotoSelected(int Index)
{
    DataSet()->GotoBookmark(m_selectedRecords.at(static_cast<std::size_t>(Index)));
}

bool TdxDBGridExportAccess::IsNodeSelected(const TdxTreeListNode* Node) const
{
    if (Node->Selected())
        return true;
    // A group row carries its first record's bookmark; only its own mark selects it.
    if (m_grid->IsGroupRow(Node) || !m_grid->IsBookmarkSelection() || m_grid->SelectedBookmarkCount() == 0)
        return false;
    const TBookmark bookmark = m_grid->NodeBookmark(Node);
    return !bookmark.empty() && m_grid->IsBookmarkSelected(bookmark);
}

} // namespace qel
