#include "dbgrid/GridLayouts.h"

#include "dbgrid/GridStreaming.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Guards.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/data/DataSource.h"
#include "platform/core/Streaming.h"
#include "platform/graphics/Graphics.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TdxDBGridWrapper, TdxDBGrid);
QEL_REGISTER_CLASS(TdxDBGridLayout, TComponent);
QEL_REGISTER_CLASS(TdxDBGridLayoutList, TComponent);

namespace {

// The grid's settings as published properties, so that a layout's stream
// carries them. Defaults are the values a layout resets a grid to, so a
// value left out of a stream is the value it had. Registered here, beside
// their only reader, so the static library keeps them.

// The grouped option sets a layout resets a grid to: those of a new grid.
const TdxDBGridOptionsBehavior ResetOptionsBehavior{edgoAutoSort,        edgoDragScroll,       edgoEditing,
                                                    edgoEnterShowEditor, edgoImmediateEditor, edgoTabThrough,
                                                    edgoVertThrough};
const TdxDBGridOptionsCustomize ResetOptionsCustomize{edgoBandMoving, edgoBandSizing, edgoColumnMoving,
                                                      edgoColumnSizing};
const TdxDBGridOptionsDB ResetOptionsDB{edgoCancelOnExit, edgoCanDelete,     edgoCanInsert,
                                        edgoCanNavigation, edgoConfirmDelete, edgoUseBookmarks};
const TdxDBGridOptionsView ResetOptionsView{edgoBandHeaderWidth, edgoUseBitmap};

const bool registered = [] {
    RegisterGridStreaming();
    TPropertyRegistrar<TCustomdxDBGrid>("TCustomdxDBGrid")
        .Component("DataSource", &TCustomdxDBGrid::DataSource, &TCustomdxDBGrid::SetDataSource)
        .String("KeyField", &TCustomdxDBGrid::KeyField, &TCustomdxDBGrid::SetKeyField)
        .String("PreviewFieldName", &TCustomdxDBGrid::PreviewFieldName, &TCustomdxDBGrid::SetPreviewFieldName)
        .Boolean("ShowGroupPanel", &TCustomdxDBGrid::ShowGroupPanel, &TCustomdxDBGrid::SetShowGroupPanel, false)
        .Boolean("ShowBands", &TCustomdxDBGrid::ShowBands, &TCustomdxDBGrid::SetShowBands, false)
        .Boolean("ShowHeader", &TCustomdxDBGrid::ShowHeader, &TCustomdxDBGrid::SetShowHeader, true)
        .Boolean("ShowGrid", &TCustomdxDBGrid::ShowGrid, &TCustomdxDBGrid::SetShowGrid, true)
        .Boolean("ShowRowFooter", &TCustomdxDBGrid::ShowRowFooter, &TCustomdxDBGrid::SetShowRowFooter, false)
        .Integer("DefaultRowHeight", &TCustomdxDBGrid::DefaultRowHeight, &TCustomdxDBGrid::SetDefaultRowHeight, 17)
        .Integer("IndentDesc", &TCustomdxDBGrid::IndentDesc, &TCustomdxDBGrid::SetIndentDesc, 20)
        .Integer("PreviewLines", &TCustomdxDBGrid::PreviewLines, &TCustomdxDBGrid::SetPreviewLines, 2)
        .Integer("MaxRowLineCount", &TCustomdxDBGrid::MaxRowLineCount, &TCustomdxDBGrid::SetMaxRowLineCount, -1)
        .Integer("GrIndicatorWidth", &TCustomdxDBGrid::GrIndicatorWidth, &TCustomdxDBGrid::SetGrIndicatorWidth, 12)
        .Color("GroupPanelColor", &TCustomdxDBGrid::GroupPanelColor, &TCustomdxDBGrid::SetGroupPanelColor,
               clBtnShadow)
        .Color("HeaderColor", &TCustomdxDBGrid::HeaderColor, &TCustomdxDBGrid::SetHeaderColor, clBtnFace)
        .String("SummarySeparator", &TCustomdxDBGrid::SummarySeparator, &TCustomdxDBGrid::SetSummarySeparator,
                ", ")
        .Enumeration("ScrollBars", &TCustomdxDBGrid::ScrollBars, &TCustomdxDBGrid::SetScrollBars,
                     {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, ssBoth)
        .Integer("RowSeparatorLineWidth", &TCustomdxDBGrid::RowSeparatorLineWidth,
                 &TCustomdxDBGrid::SetRowSeparatorLineWidth, 1)
        .Integer("FixedBandLineWidth", &TCustomdxDBGrid::FixedBandLineWidth, &TCustomdxDBGrid::SetFixedBandLineWidth,
                 2)
        .Color("FixedBandLineColor", &TCustomdxDBGrid::FixedBandLineColor, &TCustomdxDBGrid::SetFixedBandLineColor,
               clWindowFrame)
        .Color("RowFooterTextColor", &TCustomdxDBGrid::RowFooterTextColor, &TCustomdxDBGrid::SetRowFooterTextColor,
               clWindowText)
        .Integer("CustomizingRowCount", &TCustomdxDBGrid::CustomizingRowCount,
                 &TCustomdxDBGrid::SetCustomizingRowCount, 11)
        .Boolean("ShowNewItemRow", &TCustomdxDBGrid::ShowNewItemRow, &TCustomdxDBGrid::SetShowNewItemRow, false)
        .Boolean("ShowSummaryFooter", &TCustomdxDBGrid::ShowFooter, &TCustomdxDBGrid::SetShowFooter, false)
        .Integer("WaitForExpandNodeTime", &TCustomdxDBGrid::WaitForExpandNodeTime,
                 &TCustomdxDBGrid::SetWaitForExpandNodeTime, 500)
        .Set("OptionsBehavior", &TCustomdxDBGrid::OptionsBehavior, &TCustomdxDBGrid::SetOptionsBehavior,
             {"edgoAnsiSort", "edgoAutoSearch", "edgoAutoSort", "edgoCaseInsensitive", "edgoCollapsedReload",
              "edgoDblClick", "edgoDragExpand", "edgoDragScroll", "edgoEditing", "edgoEnterShowEditor",
              "edgoEnterThrough", "edgoImmediateEditor", "edgoMouseScroll", "edgoMultiSelect", "edgoMultiSort",
              "edgoSeekDetail", "edgoShowHourGlass", "edgoTabs", "edgoTabThrough", "edgoVertThrough"},
             ResetOptionsBehavior.ToBits())
        .Set("OptionsCustomize", &TCustomdxDBGrid::OptionsCustomize, &TCustomdxDBGrid::SetOptionsCustomize,
             {"edgoBandMoving", "edgoBandSizing", "edgoColumnMoving", "edgoColumnSizing", "edgoExtCustomizing",
              "edgoKeepColumnWidth", "edgoNotHideColumn"},
             ResetOptionsCustomize.ToBits())
        .Set("OptionsDB", &TCustomdxDBGrid::OptionsDB, &TCustomdxDBGrid::SetOptionsDB,
             {"edgoCanAppend", "edgoCanDelete", "edgoCanInsert", "edgoCanNavigation", "edgoCancelOnExit",
              "edgoConfirmDelete", "edgoLoadAllRecords", "edgoPartialLoad", "edgoResetColumnFocus",
              "edgoSmartRefresh", "edgoSmartReload", "edgoSyncSelection", "edgoUseBookmarks", "edgoUseLocate"},
             ResetOptionsDB.ToBits())
        .Set("OptionsView", &TCustomdxDBGrid::OptionsView, &TCustomdxDBGrid::SetOptionsView,
             {"edgoAutoCalcPreviewLines", "edgoAutoHeaderPanelHeight", "edgoAutoWidth", "edgoBandHeaderWidth",
              "edgoDrawEndEllipsis", "edgoHideFocusRect", "edgoIndicator", "edgoInvertSelect", "edgoPreview",
              "edgoRowAutoHeight", "edgoRowSelect", "edgoUseBitmap"},
             ResetOptionsView.ToBits());
    return true;
}();

} // namespace

std::string TdxDBGridWrapper::DisplayPath() const
{
    return (Owner() ? Owner()->Name() : std::string()) + ".(DBGrid)";
}

// ===== TdxDBGridLayout ==================================================================

TdxDBGridLayout::TdxDBGridLayout(TComponent* AOwner) : TComponent(AOwner) {}

TdxDBGridLayout::~TdxDBGridLayout()
{
    // The wrapper is dropped unstored: nobody reads the snapshot any more.
    m_wrapper.reset();
    if (m_hostForm)
        m_hostForm->RemoveFreeNotification(this);
    if (m_layoutList)
        m_layoutList->RemoveLayout(this);
}

void TdxDBGridLayout::SetLayoutList(TdxDBGridLayoutList* Value)
{
    if (m_layoutList == Value)
        return;
    if (m_layoutList)
        m_layoutList->RemoveLayout(this);
    if (Value)
        Value->AddLayout(this);
}

void TdxDBGridLayout::SetParentComponent(TComponent* Value)
{
    if (auto* list = dynamic_cast<TdxDBGridLayoutList*>(Value))
        SetLayoutList(list);
}

TComponent* TdxDBGridLayout::GetParentComponent() const
{
    return m_layoutList;
}

void TdxDBGridLayout::SetHostForm(TWinControl* Value)
{
    if (m_hostForm)
        m_hostForm->RemoveFreeNotification(this);
    m_hostForm = Value;
    if (m_hostForm)
        m_hostForm->FreeNotification(this);
}

void TdxDBGridLayout::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == m_hostForm) {
        m_hostForm = nullptr;
        if (m_wrapper)
            m_wrapper->SetParent(nullptr);
    }
}

void TdxDBGridLayout::StoreGrid(TCustomdxDBGrid& Grid)
{
    const bool wasStoring = Grid.StoringLayout();
    Grid.SetStoringLayout(true);
    Finally restore([&] { Grid.SetStoringLayout(wasStoring); });
    TMemoryStream captured;
    SaveComponentToMemory(&Grid, captured);
    m_data.LoadFromStream(captured);
}

void TdxDBGridLayout::Assign(TPersistent* Source)
{
    if (auto* layout = dynamic_cast<TdxDBGridLayout*>(Source)) {
        if (layout == this)
            return;
        if (layout->Editing())
            layout->StoreGrid(*layout->m_wrapper);
        TMemoryStream copy;
        copy.SetBytes(layout->m_data.Bytes());
        m_data.LoadFromStream(copy);
        if (m_wrapper)
            LoadComponentFromMemory(m_data, m_wrapper.get(), this);
        return;
    }
    if (auto* grid = dynamic_cast<TCustomdxDBGrid*>(Source)) {
        // Captured through the wrapper so that the snapshot holds what a
        // grid of the layout's own reads back; the wrapper goes again so no
        // hidden grid stays bound to the source's data.
        const bool wasEditing = Editing();
        BeginEdit();
        Finally leave([&] {
            if (!wasEditing)
                m_wrapper.reset();
        });
        TMemoryStream captured;
        SaveComponentToMemory(grid, captured);
        LoadComponentFromMemory(captured, m_wrapper.get(), this);
        StoreGrid(*m_wrapper);
        return;
    }
    TComponent::Assign(Source);   // refuses; the snapshot stays
}

void TdxDBGridLayout::AssignTo(TPersistent* Dest)
{
    auto* grid = dynamic_cast<TCustomdxDBGrid*>(Dest);
    if (!grid) {
        TComponent::AssignTo(Dest);
        return;
    }
    if (Editing())
        StoreGrid(*m_wrapper);
    // A snapshot that cannot be read must fail before the grid is reset:
    // read it into a scratch grid first.
    if (!IsEmpty()) {
        TdxDBGrid scratch(nullptr);
        LoadComponentFromMemory(m_data, &scratch, nullptr);
    }
    TUpdateScope<TCustomdxDBGrid> update(*grid);
    const std::string name = grid->Name();
    Finally keepName([&] {
        if (grid->Name() != name)
            grid->SetName(name);
    });
    const bool wasLoading = grid->LoadingLayout();
    grid->SetLoadingLayout(true);
    Finally restoreFlag([&] { grid->SetLoadingLayout(wasLoading); });
    ResetGrid(*grid);
    // The layout's columns replace the grid's, in the layout's order.
    if (!IsEmpty())
        grid->DestroyColumns();
    if (!IsEmpty())
        LoadComponentFromMemory(m_data, grid, grid->Owner());
    grid->SetName(name);
    grid->SetLoadingLayout(wasLoading);
    static_cast<TComponent*>(grid)->Loaded();   // public on the component
}

void TdxDBGridLayout::BeginEdit()
{
    if (m_wrapper)
        return;
    // Owned by the layout, so that its references (the data source) resolve
    // through the layout's form.
    auto wrapper = std::make_unique<TdxDBGridWrapper>(this);
    if (m_hostForm) {
        wrapper->SetParent(m_hostForm);
        wrapper->SetBounds(0, 0, m_hostForm->ClientWidth(), m_hostForm->ClientHeight());
    }
    if (IsEmpty()) {
        TMemoryStream captured;
        SaveComponentToMemory(wrapper.get(), captured);
        m_data.LoadFromStream(captured);
    } else {
        LoadComponentFromMemory(m_data, wrapper.get(), this);
    }
    m_wrapper = std::move(wrapper);
}

void TdxDBGridLayout::EndEdit()
{
    if (!m_wrapper)
        return;
    Finally drop([&] { m_wrapper.reset(); });
    StoreGrid(*m_wrapper);
}

void TdxDBGridLayout::ReadDataBlock(TStream& Stream)
{
    TMemoryStream block;
    block.LoadFromStream(Stream);
    m_data.LoadFromStream(block);
    if (m_wrapper)
        LoadComponentFromMemory(m_data, m_wrapper.get(), this);
}

void TdxDBGridLayout::DefineProperties(TFiler& Filer)
{
    TComponent::DefineProperties(Filer);
    if (m_wrapper && ComponentState().Contains(csWriting))
        StoreGrid(*m_wrapper);
    Filer.DefineBinaryProperty(
        "Data", [this](TStream& Stream) { ReadDataBlock(Stream); },
        [this](TStream& Stream) {
            if (m_wrapper)
                StoreGrid(*m_wrapper);
            m_data.SaveToStream(Stream);
        },
        !IsEmpty() || m_wrapper != nullptr);
}

void TdxDBGridLayout::ResetGrid(TCustomdxDBGrid& Grid)
{
    Grid.SetDataSource(nullptr);
    Grid.SetBorderStyle(bsSingle);
    Grid.SetColor(clWindow);
    Grid.SetCtl3D(true);
    Grid.SetParentColor(false);
    // Fonts as a fresh font; the preview's blue.
    TFont freshFont;
    Grid.SetFont(&freshFont);
    Grid.SetBandFont(&freshFont);
    Grid.SetHeaderFont(&freshFont);
    TFont previewFont;
    previewFont.SetColor(clBlue);
    Grid.SetPreviewFont(&previewFont);
    Grid.SetParentFont(true);
    Grid.SetParentShowHint(true);
    Grid.SetPopupMenu(nullptr);
    Grid.SetGroupPanelColor(clBtnShadow);
    Grid.SetGroupPanelFontColor(clBtnFace);
    Grid.SetGroupNodeColor(clBtnFace);
    Grid.SetBandColor(clBtnFace);
    Grid.SetHeaderColor(clBtnFace);
    Grid.SetGroupNodeTextColor(clNone);
    Grid.SetGridLineColor(clNone);
    Grid.SetRowFooterColor(cl3DLight);
    Grid.SetRowFooterTextColor(clWindowText);
    Grid.SetHideFocusRect(false);
    Grid.SetHideSelection(false);
    Grid.SetIndentDesc(20);
    Grid.SetFixedBandLineWidth(2);
    Grid.SetFixedBandLineColor(clWindowFrame);
    Grid.SetLookAndFeel(static_cast<decltype(Grid.LookAndFeel())>(0));
    Grid.SetDefaultRowHeight(17);
    Grid.SetRowSeparatorLineWidth(1);
    Grid.SetPreviewLines(2);
    Grid.SetHighlightColor(clHighlight);
    Grid.SetHideSelectionColor(clHighlight);
    Grid.SetHighlightTextColor(clHighlightText);
    Grid.SetHideSelectionTextColor(clHighlightText);
    Grid.SetScrollBars(ssBoth);
    Grid.SetCustomizingRowCount(11);
    Grid.SetShowBands(false);
    Grid.SetShowGrid(true);
    Grid.SetShowPreviewGrid(true);
    Grid.SetShowHeader(true);
    Grid.SetShowRowFooter(false);
    Grid.SetShowNewItemRow(false);
    Grid.SetShowGroupPanel(false);
    Grid.SetShowFooter(false);
    Grid.SetGrIndicatorWidth(12);
    Grid.SetPreviewFieldName("");
    Grid.SetKeyField("");
    Grid.SetDefaultFields(false);
    Grid.SetSummarySeparator(", ");
    Grid.SetPreviewMaxLength(0);
    // The filter cleared, its settings back to their defaults (a snapshot
    // leaves them out when they are the defaults).
    Grid.ClearFilter();
    Grid.Filter()->RestoreDefaults();
    Grid.SetMaxRowLineCount(-1);
    // The grouped sets as a new grid has them (the values a layout resets to;
    // the view set, which a layout stores, takes the indicator along), then
    // the tree list's own sets, which hold members no grouped set mirrors.
    const TdxDBGrid fresh(nullptr);
    Grid.SetOptionsBehavior(ResetOptionsBehavior);
    Grid.SetOptionsCustomize(ResetOptionsCustomize);
    Grid.SetOptionsDB(ResetOptionsDB);
    Grid.SetOptionsView(ResetOptionsView);
    Grid.TCustomdxTreeList::SetOptions(fresh.GetOptions());
    Grid.TCustomdxTreeList::SetOptionsEx(fresh.GetOptionsEx());
    Grid.SetWaitForExpandNodeTime(500);
}

// ===== TdxDBGridLayoutList ==============================================================

TdxDBGridLayoutList::~TdxDBGridLayoutList()
{
    while (!m_layouts.empty()) {
        TdxDBGridLayout* layout = m_layouts.back();
        RemoveLayout(layout);
        delete layout;
    }
}

int TdxDBGridLayoutList::IndexOf(const TdxDBGridLayout* Layout) const
{
    const auto it = std::find(m_layouts.begin(), m_layouts.end(), Layout);
    return it == m_layouts.end() ? -1 : static_cast<int>(it - m_layouts.begin());
}

void TdxDBGridLayoutList::AddLayout(TdxDBGridLayout* Layout)
{
    m_layouts.push_back(Layout);
    Layout->m_layoutList = this;
}

void TdxDBGridLayoutList::RemoveLayout(TdxDBGridLayout* Layout)
{
    m_layouts.erase(std::remove(m_layouts.begin(), m_layouts.end(), Layout), m_layouts.end());
    Layout->m_layoutList = nullptr;
}

void TdxDBGridLayoutList::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root)
{
    for (TdxDBGridLayout* layout : m_layouts)
        if (layout->Owner() == Root)
            Proc(layout);
}

} // namespace qel
