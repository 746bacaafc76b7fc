#include "dbgrid/DBGridExportAccess.h"

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

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

TdxDBTreeListColumn* TdxDBGridExportAccess::Column(int Index) const
{
    return dynamic_cast<TdxDBTreeListColumn*>(m_grid->GetColumnByIndex(Index));
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

void TdxDBGridExportAccess::BeginWalk()
{
    TDataSet* ds = DataSet();
    ds->DisableControls();
    m_disabled = true;
    m_bookmark = ds->GetBookmark();
    m_topIndex = m_grid->GetTopIndex();
}

void TdxDBGridExportAccess::EndWalk() noexcept
{
    TDataSet* ds = DataSet();
    try {
        // A record deleted meanwhile cannot be gone back to: the first takes its place.
        if (!m_bookmark.empty() && ds->BookmarkValid(m_bookmark))
            ds->GotoBookmark(m_bookmark);
        else
            ds->First();
    } catch (...) {
    }
    try {
        if (m_disabled)
            ds->EnableControls();
    } catch (...) {
    }
    m_disabled = false;
    try {
        if (m_topIndex >= 0)
            m_grid->SetTopIndex(m_topIndex);
    } catch (...) {
    }
}

void TdxDBGridExportAccess::First() { DataSet()->First(); }

bool TdxDBGridExportAccess::Eof() const { return DataSet()->Eof(); }

void TdxDBGridExportAccess::Next() { DataSet()->Next(); }

int TdxDBGridExportAccess::SelectedRecordCount() const
{
    return m_grid->IsBookmarkSelection() ? m_grid->SelectedBookmarkCount() : m_grid->GetSelectedCount();
}

void TdxDBGridExportAccess::GotoSelected(int Index) { DataSet()->GotoBookmark(m_grid->GetSelectedBookmark(Index)); }

bool TdxDBGridExportAccess::IsNodeSelected(const TdxTreeListNode* Node) const
{
    if (Node->Selected())
        return true;
    if (!m_grid->IsBookmarkSelection() || m_grid->SelectedBookmarkCount() == 0)
        return false;
    const TBookmark bookmark = m_grid->NodeBookmark(Node);
    return !bookmark.empty() && m_grid->IsBookmarkSelected(bookmark);
}

} // namespace qel
