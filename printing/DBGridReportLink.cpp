#include "printing/DBGridReportLink.h"

#include "dbgrid/DBTreeListCheckColumn.h"
#include "dbgrid/DBTreeListTypedColumns.h"
#include "platform/controls/Application.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/data/DataSet.h"

#include <utility>
#include "printing/ReportLinkRegistry.h"

namespace qel {

QEL_REGISTER_CLASS(TdxDBTreeListControlReportLink, TCustomdxTreeListReportLink);
QEL_REGISTER_CLASS(TdxDBGridReportLink, TdxDBTreeListControlReportLink);

namespace {

// The grid link's Options default differs: no image options.
const bool g_gridLinkPropertiesRegistered = [] {
    TPropertyRegistrar<TdxDBGridReportLink>("TdxDBGridReportLink")
        .Set("Options", &TdxDBGridReportLink::Options, &TdxDBGridReportLink::SetOptions,
             dxTreeListPaintOptionNames(), dxDefaultDBGridPaintOptions.ToBits());
    return true;
}();

} // namespace

// ----- the data-bound tree list ---------------------------------------------------------------------------

TCustomdxDBTreeListControl* TdxDBTreeListControlReportLink::DBTreeListControl() const
{
    return dynamic_cast<TCustomdxDBTreeListControl*>(Component());
}

std::unique_ptr<TdxTreeListReportAccess> TdxDBTreeListControlReportLink::CreateAccess(TCustomdxTreeListControl* Control)
{
    if (auto* db = dynamic_cast<TCustomdxDBTreeListControl*>(Control))
        return std::make_unique<TdxDBTreeListReportAccess>(db);
    return TCustomdxTreeListReportLink::CreateAccess(Control);
}

int TdxDBTreeListControlReportLink::LeftOffset() const
{
    const TCustomdxTreeListControl* c = TreeListControl();
    return c ? c->GetIndicatorWidth() : 0;
}

TdxTreeListColumn* TdxDBTreeListControlReportLink::GetRealColumn(TdxTreeListColumn* Column, TdxTreeListNode* Node)
{
    if (auto* wrapper = dynamic_cast<TdxDBTreeListWrapperColumn*>(Column))
        if (TdxDBTreeListColumn* real = wrapper->GetReferenceColumn(Node))
            return real;
    return Column;
}

bool TdxDBTreeListControlReportLink::IsGraphicColumn(TdxTreeListColumn* Column) const
{
    return dynamic_cast<TdxDBTreeListGraphicColumn*>(Column) != nullptr;
}

bool TdxDBTreeListControlReportLink::IsHyperLinkColumn(TdxTreeListColumn* Column) const
{
    return dynamic_cast<TdxDBTreeListHyperLinkColumn*>(Column) != nullptr;
}

TdxReportCellDataClass TdxDBTreeListControlReportLink::GetDataItemClass(TdxTreeListColumn* Column,
                                                                        TdxTreeListNode* Node)
{
    TdxTreeListColumn* real = GetRealColumn(Column, Node);
    if (dynamic_cast<TdxDBTreeListCheckColumn*>(real))
        return Options().Contains(tlpoCheckMarksAsText) ? &dxNewReportCellData<TdxReportCellString>
                                                         : &dxNewReportCellData<TdxReportCellCheckImage>;
    if (auto* image = dynamic_cast<TdxDBTreeListImageColumn*>(real))
        return image->ShowDescription() ? &dxNewReportCellData<TdxReportCellImage>
                                        : &dxNewReportCellData<TdxReportCellGraphic>;
    if (IsGraphicColumn(real) && !Options().Contains(tlpoGraphicAsText))
        return &dxNewReportCellData<TdxReportCellGraphic>;
    return &dxNewReportCellData<TdxReportCellString>;
}

void TdxDBTreeListControlReportLink::FillDataItem(TAbstractdxReportCellData& Item, TdxTreeListColumn* Column,
                                                  TdxTreeListNode* Node)
{
    TdxTreeListReportAccess& access = *Access();
    TdxTreeListColumn* real = GetRealColumn(Column, Node);
    if (auto* check = dynamic_cast<TdxReportCellCheckImage*>(&Item)) {
        if (auto* column = dynamic_cast<TdxDBTreeListCheckColumn*>(real))
            FillCheck(*check, column->GetCheckState(access.CellText(Node, real)),
                      column->HasGlyph() ? column->Glyph() : nullptr, column->GlyphCount());
        return;
    }
    if (auto* image = dynamic_cast<TdxDBTreeListImageColumn*>(real)) {
        if (auto* item = dynamic_cast<TdxReportCellCustomImage*>(&Item)) {
            const std::string text = access.CellText(Node, real);
            int list = -1, index = -1;
            image->GetImageInfo(text, list, index);
            FillListImage(*item, image->Images(), index);
            if (dynamic_cast<TdxReportCellImage*>(&Item))
                item->SetText(image->GetDescription(text));
            return;
        }
    }
    if (auto* graphic = dynamic_cast<TdxReportCellGraphic*>(&Item)) {
        if (auto* column = dynamic_cast<TdxDBTreeListGraphicColumn*>(real))
            FillGraphic(*graphic, access.CellValue(Node, real), column->Stretch(), column->Center());
        return;
    }
    if (auto* text = dynamic_cast<TdxReportCellString*>(&Item))
        FillString(*text, Column, Node);
}

// ----- keeping the dataset still --------------------------------------------------------------------------

void TdxDBTreeListControlReportLink::OnUnprepare(TUndo Undo)
{
    m_undo.push_back(std::move(Undo));
}

void TdxDBTreeListControlReportLink::PrepareConstruct(TdxReportCells& Cells)
{
    m_undo.clear();
    TdxTreeListReportAccess& a = *Access();
    if (a.HasDataSet()) {
        // Each step's undo is recorded as soon as there is something to undo.
        const bool hold = a.Hold();
        OnUnprepare([hold](TdxTreeListReportAccess* A) {
            if (A)
                A->SetHold(hold);
        });
        a.SetHold(true);
        a.DisableControls();
        auto* db = dynamic_cast<TdxDBTreeListReportAccess*>(&a);
        SetFreeNotified(m_disabledDataSet, db ? db->DataSet() : nullptr);
        OnUnprepare([this](TdxTreeListReportAccess* A) {
            TDataSet* dataSet = std::exchange(m_disabledDataSet, nullptr);
            if (A)
                A->EnableControls();
            else if (dataSet)
                dataSet->EnableControls();
        });
        const int top = a.GetTopIndex();
        OnUnprepare([top](TdxTreeListReportAccess* A) {
            if (A)
                A->SetTopIndex(top);
        });
        const TBookmark bookmark = a.GetBookmark();
        if (!bookmark.empty())
            OnUnprepare([bookmark](TdxTreeListReportAccess* A) {
                if (A)
                    A->GotoBookmark(bookmark);
            });
        if (NeedsLoadAll() && CanLoadAll()) {
            OnUnprepare([this](TdxTreeListReportAccess*) { EndLoadAll(); });
            BeginLoadAll();
        }
    }
    TCustomdxTreeListReportLink::PrepareConstruct(Cells);
}

void TdxDBTreeListControlReportLink::UnprepareConstruct()
{
    TCustomdxTreeListReportLink::UnprepareConstruct();
    std::vector<TUndo> undo = std::move(m_undo);
    m_undo.clear();
    // Last first, each on its own: one that fails is reported and the others still run.
    for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
        try {
            (*it)(Access());
        } catch (const std::exception& e) {
            Application().HandleException(e);
        }
    }
}

void TdxDBTreeListControlReportLink::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent == m_disabledDataSet)
        m_disabledDataSet = nullptr;
    TCustomdxTreeListReportLink::Notification(AComponent, Operation);
}

// ----- the grid ---------------------------------------------------------------------------------------------

TdxDBGridReportLink::TdxDBGridReportLink(TComponent* AOwner) : TdxDBTreeListControlReportLink(AOwner)
{
    SetOptions(dxDefaultDBGridPaintOptions);
}

TCustomdxDBGrid* TdxDBGridReportLink::Grid() const
{
    return dynamic_cast<TCustomdxDBGrid*>(Component());
}

std::unique_ptr<TdxTreeListReportAccess> TdxDBGridReportLink::CreateAccess(TCustomdxTreeListControl* Control)
{
    if (auto* grid = dynamic_cast<TCustomdxDBGrid*>(Control))
        return std::make_unique<TdxDBGridReportAccess>(grid);
    return TdxDBTreeListControlReportLink::CreateAccess(Control);
}

TdxDBGridReportAccess* TdxDBGridReportLink::GridAccess() const
{
    return dynamic_cast<TdxDBGridReportAccess*>(Access());
}

void TdxDBGridReportLink::RestoreDefaults()
{
    TdxDBTreeListControlReportLink::RestoreDefaults();
    SetOptions(dxDefaultDBGridPaintOptions);
}

bool TdxDBGridReportLink::NeedsLoadAll() const
{
    const TdxDBGridReportAccess* a = GridAccess();
    return a && !a->OptionsDB().Contains(edgoLoadAllRecords);
}

bool TdxDBGridReportLink::CanLoadAll() const
{
    const TdxDBGridReportAccess* a = GridAccess();
    return a && a->CanLoadAllRecords();
}

void TdxDBGridReportLink::BeginLoadAll()
{
    TdxDBGridReportAccess* a = GridAccess();
    if (!a)
        return;
    // Loading all records clears edgoPartialLoad and may turn DefaultFields
    // off: both are remembered before anything changes.
    m_savedLoading = TSavedLoading{a->OptionsDB(), a->DefaultFields()};
    a->SetOptionsDB(m_savedLoading->OptionsDB + TdxDBGridOptionsDB{edgoLoadAllRecords});
}

void TdxDBGridReportLink::EndLoadAll()
{
    TdxDBGridReportAccess* a = GridAccess();
    if (!a || !m_savedLoading)
        return;
    const TSavedLoading saved = *m_savedLoading;
    m_savedLoading.reset();
    a->SetOptionsDB(saved.OptionsDB);
    if (a->DefaultFields() != saved.DefaultFields)
        a->SetDefaultFields(saved.DefaultFields);
}

TdxTreeListColumn* TdxDBGridReportLink::GetGroupColumn(TdxTreeListNode* Node)
{
    const TdxDBGridReportAccess* a = GridAccess();
    return a ? a->GroupColumn(Node) : nullptr;
}

// ----- registration --------------------------------------------------------------------------------------

namespace {
TdxReportLinkRegistration& GridLinkRegistration()
{
    static TdxReportLinkRegistration registration("TdxDBGridReportLink", "TdxDBGrid", "TdxTLReportLinkDesignWindow");
    return registration;
}
} // namespace

void dxRegisterDBGridReportLink() { GridLinkRegistration().AddUser(); }
void dxUnregisterDBGridReportLink() { GridLinkRegistration().RemoveUser(); }

} // namespace qel
