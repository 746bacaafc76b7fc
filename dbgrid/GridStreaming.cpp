#include "dbgrid/GridStreaming.h"

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBTreeListControl.h"
#include "dbgrid/DBTreeListCheckColumn.h"
#include "dbgrid/DBTreeListColumn.h"
#include "dbgrid/DBTreeListTypedColumns.h"
#include "dbgrid/GridFilter.h"
#include "dbgrid/LookupColumn.h"
#include "dbgrid/SummaryItems.h"
#include "platform/core/Exceptions.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "treelist/TreeListColumn.h"

#include <cstdint>
#include <string>

namespace qel {

namespace {

// Functions, not namespace statics: the registration runs from another
// file's static initialisation.
std::vector<std::string> AlignmentNames()
{
    return {"taLeftJustify", "taRightJustify", "taCenter"};
}

std::vector<std::string> SortNames()
{
    return {"csNone", "csDown", "csUp"};
}

std::vector<std::string> SummaryTypeNames()
{
    return {"cstNone", "cstSum", "cstMin", "cstMax", "cstCount", "cstAvg"};
}

// A limit of 0 is a real limit once assigned: the assigned flag alone
// decides whether it is written, not a comparison with a default.
// Applies to the property registered last.
void StoreWhenAssigned(const std::string& ClassName)
{
    detail::LastRegisteredProperty(ClassName).Default.reset();
}

// Bands block: i32 count, per band: str caption, i32 width, i32 min width,
// u8 visible, u8 alignment, u8 dragging disabled.
constexpr std::int32_t MaxBands = 4096;

void WriteStr(TStream& Stream, const std::string& Text)
{
    Stream.WriteLE<std::uint32_t>(static_cast<std::uint32_t>(Text.size()));
    Stream.WriteBytes(Text);
}

std::string ReadStr(TStream& Stream)
{
    const auto size = Stream.ReadLE<std::uint32_t>();
    return Stream.ReadBytes(size);   // checked against what remains
}

void WriteBands(const TdxTreeListBands& Bands, TStream& Stream)
{
    Stream.WriteLE<std::int32_t>(Bands.Count());
    for (int i = 0; i < Bands.Count(); ++i) {
        const TdxTreeListBand* band = Bands.Items(i);
        WriteStr(Stream, band->Caption());
        Stream.WriteLE<std::int32_t>(band->Width());
        Stream.WriteLE<std::int32_t>(band->MinWidth());
        Stream.WriteLE<std::uint8_t>(band->Visible() ? 1 : 0);
        Stream.WriteLE<std::uint8_t>(static_cast<std::uint8_t>(band->Alignment()));
        Stream.WriteLE<std::uint8_t>(band->DisableDragging() ? 1 : 0);
    }
}

struct TBandData {
    std::string Caption;
    std::int32_t Width = 0;
    std::int32_t MinWidth = 0;
    bool Visible = true;
    TAlignment Alignment = taCenter;
    bool DisableDragging = false;
};

// The whole block is parsed before the bands are touched, so a bad block
// leaves them as they were.
void ReadBands(TdxTreeListBands& Bands, TStream& Stream)
{
    const auto count = Stream.ReadLE<std::int32_t>();
    if (count < 0 || count > MaxBands)
        throw EReadError("Invalid band count in the grid's bands");
    std::vector<TBandData> read;
    for (std::int32_t i = 0; i < count; ++i) {
        TBandData band;
        band.Caption = ReadStr(Stream);
        band.Width = Stream.ReadLE<std::int32_t>();
        band.MinWidth = Stream.ReadLE<std::int32_t>();
        band.Visible = Stream.ReadLE<std::uint8_t>() != 0;
        const auto alignment = Stream.ReadLE<std::uint8_t>();
        if (alignment > taCenter)
            throw EReadError("Invalid band alignment in the grid's bands");
        band.Alignment = static_cast<TAlignment>(alignment);
        band.DisableDragging = Stream.ReadLE<std::uint8_t>() != 0;
        read.push_back(std::move(band));
    }
    Bands.Clear();
    for (const TBandData& data : read) {
        TdxTreeListBand* band = Bands.Add();
        band->SetCaption(data.Caption);
        band->SetMinWidth(data.MinWidth);
        band->SetWidth(data.Width);
        band->SetVisible(data.Visible);
        band->SetAlignment(data.Alignment);
        band->SetDisableDragging(data.DisableDragging);
    }
}

bool Register()
{
    TPropertyRegistrar<TdxTreeListColumn>("TdxTreeListColumn")
        .String("Caption", &TdxTreeListColumn::Caption, &TdxTreeListColumn::SetCaption)
        .Integer("MinWidth", &TdxTreeListColumn::MinWidth, &TdxTreeListColumn::SetMinWidth, 4)
        .Integer("Width", &TdxTreeListColumn::Width, &TdxTreeListColumn::SetWidth)
        .Boolean("Visible", &TdxTreeListColumn::Visible, &TdxTreeListColumn::SetVisible, true)
        .Integer("BandIndex", &TdxTreeListColumn::BandIndex, &TdxTreeListColumn::SetBandIndex, 0)
        .Integer("RowIndex", &TdxTreeListColumn::RowIndex, &TdxTreeListColumn::SetRowIndex, 0)
        .Integer("ColIndex", &TdxTreeListColumn::ColIndex, &TdxTreeListColumn::SetColIndex, -1)
        .Enumeration("Alignment", &TdxTreeListColumn::Alignment, &TdxTreeListColumn::SetAlignment, AlignmentNames())
        .StoredIf([](const TdxTreeListColumn& Column) { return Column.AlignmentAssigned(); })
        .Enumeration("HeaderAlignment", &TdxTreeListColumn::HeaderAlignment, &TdxTreeListColumn::SetHeaderAlignment,
                     AlignmentNames(), taLeftJustify)
        .Enumeration("FooterAlignment", &TdxTreeListColumn::FooterAlignment, &TdxTreeListColumn::SetFooterAlignment,
                     AlignmentNames(), taLeftJustify)
        .Enumeration("Sorted", &TdxTreeListColumn::Sorted, &TdxTreeListColumn::SetSorted, SortNames(), csNone)
        .Color("Color", &TdxTreeListColumn::Color, &TdxTreeListColumn::SetColor, clNone)
        .Boolean("ParentFont", &TdxTreeListColumn::ParentFont, &TdxTreeListColumn::SetParentFont, true)
        .Boolean("ReadOnly", &TdxTreeListColumn::ReadOnly, &TdxTreeListColumn::SetReadOnly)
        .Boolean("DisableDragging", &TdxTreeListColumn::DisableDragging, &TdxTreeListColumn::SetDisableDragging, false)
        .Boolean("DisableEditor", &TdxTreeListColumn::DisableEditor, &TdxTreeListColumn::SetDisableEditor, false)
        .Boolean("Sizing", &TdxTreeListColumn::Sizing, &TdxTreeListColumn::SetSizing, true)
        .String("FooterText", &TdxTreeListColumn::FooterText, &TdxTreeListColumn::SetFooterText);

    TPropertyRegistrar<TdxDBTreeListColumn>("TdxDBTreeListColumn")
        .String("FieldName", &TdxDBTreeListColumn::FieldName, &TdxDBTreeListColumn::SetFieldName)
        .Boolean("DisableGrouping", &TdxDBTreeListColumn::DisableGrouping, &TdxDBTreeListColumn::SetDisableGrouping,
                 false)
        .Boolean("DisableFilter", &TdxDBTreeListColumn::DisableFilter, &TdxDBTreeListColumn::SetDisableFilter, false)
        .Integer("GroupIndex", &TdxDBTreeListColumn::GroupIndex, &TdxDBTreeListColumn::SetGroupIndex, -1)
        .Enumeration("SummaryType", &TdxDBTreeListColumn::SummaryType, &TdxDBTreeListColumn::SetSummaryType,
                     SummaryTypeNames(), cstNone)
        .String("SummaryField", &TdxDBTreeListColumn::SummaryField, &TdxDBTreeListColumn::SetSummaryField)
        .String("SummaryFormat", &TdxDBTreeListColumn::SummaryFormat, &TdxDBTreeListColumn::SetSummaryFormat)
        .Boolean("SortBySummary", &TdxDBTreeListColumn::SortBySummary, &TdxDBTreeListColumn::SetSortBySummary, false)
        .String("SummaryGroupName", &TdxDBTreeListColumn::SummaryGroupName, &TdxDBTreeListColumn::SetSummaryGroupName)
        .Enumeration("SummaryFooterType", &TdxDBTreeListColumn::SummaryFooterType,
                     &TdxDBTreeListColumn::SetSummaryFooterType, SummaryTypeNames(), cstNone)
        .String("SummaryFooterField", &TdxDBTreeListColumn::SummaryFooterField,
                &TdxDBTreeListColumn::SetSummaryFooterField)
        .String("SummaryFooterFormat", &TdxDBTreeListColumn::SummaryFooterFormat,
                &TdxDBTreeListColumn::SetSummaryFooterFormat);

    TPropertyRegistrar<TdxDBTreeListMaskColumn>("TdxDBTreeListMaskColumn")
        .String("EditMask", &TdxDBTreeListMaskColumn::EditMask, &TdxDBTreeListMaskColumn::SetEditMask)
        .StoredIf([](const TdxDBTreeListMaskColumn& Column) { return Column.IsEditMaskStored(); })
        .Boolean("IgnoreMaskBlank", &TdxDBTreeListMaskColumn::IgnoreMaskBlank,
                 &TdxDBTreeListMaskColumn::SetIgnoreMaskBlank, false);

    // Typed columns: always written (their defaults vary by class).
    TPropertyRegistrar<TdxDBTreeListCheckColumn>("TdxDBTreeListCheckColumn")
        .Boolean("AllowGrayed", &TdxDBTreeListCheckColumn::AllowGrayed, &TdxDBTreeListCheckColumn::SetAllowGrayed)
        .Boolean("Border3D", &TdxDBTreeListCheckColumn::Border3D, &TdxDBTreeListCheckColumn::SetBorder3D)
        .Integer("GlyphCount", &TdxDBTreeListCheckColumn::GlyphCount, &TdxDBTreeListCheckColumn::SetGlyphCount)
        .String("ValueChecked", &TdxDBTreeListCheckColumn::ValueChecked, &TdxDBTreeListCheckColumn::SetValueChecked)
        .String("ValueGrayed", &TdxDBTreeListCheckColumn::ValueGrayed, &TdxDBTreeListCheckColumn::SetValueGrayed)
        .String("ValueUnchecked", &TdxDBTreeListCheckColumn::ValueUnchecked, &TdxDBTreeListCheckColumn::SetValueUnchecked)
        ;
    TPropertyRegistrar<TdxDBTreeListImageColumn>("TdxDBTreeListImageColumn")
        .Boolean("DefaultImages", &TdxDBTreeListImageColumn::DefaultImages, &TdxDBTreeListImageColumn::SetDefaultImages)
        .Boolean("ShowDescription", &TdxDBTreeListImageColumn::ShowDescription, &TdxDBTreeListImageColumn::SetShowDescription)
        .Boolean("MultiLineText", &TdxDBTreeListImageColumn::MultiLineText, &TdxDBTreeListImageColumn::SetMultiLineText)
        .Boolean("Incremental", &TdxDBTreeListImageColumn::Incremental, &TdxDBTreeListImageColumn::SetIncremental)
        ;
    TPropertyRegistrar<TdxDBTreeListDropDownColumn>("TdxDBTreeListDropDownColumn")
        .Integer("DropDownRows", &TdxDBTreeListDropDownColumn::DropDownRows, &TdxDBTreeListDropDownColumn::SetDropDownRows)
        .Integer("DropDownWidth", &TdxDBTreeListDropDownColumn::DropDownWidth, &TdxDBTreeListDropDownColumn::SetDropDownWidth)
        ;
    TPropertyRegistrar<TdxDBTreeListDateColumn>("TdxDBTreeListDateColumn")
        .Boolean("DateValidation", &TdxDBTreeListDateColumn::DateValidation, &TdxDBTreeListDateColumn::SetDateValidation)
        .Boolean("SaveTime", &TdxDBTreeListDateColumn::SaveTime, &TdxDBTreeListDateColumn::SetSaveTime)
        .Boolean("UseEditMask", &TdxDBTreeListDateColumn::UseEditMask, &TdxDBTreeListDateColumn::SetUseEditMask)
        ;
    TPropertyRegistrar<TdxDBTreeListButtonColumn>("TdxDBTreeListButtonColumn")
        .Boolean("ButtonOnly", &TdxDBTreeListButtonColumn::ButtonOnly, &TdxDBTreeListButtonColumn::SetButtonOnly)
        .Boolean("HideEditCursor", &TdxDBTreeListButtonColumn::HideEditCursor, &TdxDBTreeListButtonColumn::SetHideEditCursor)
        ;
    TPropertyRegistrar<TdxDBTreeListPickColumn>("TdxDBTreeListPickColumn")
        .Boolean("ItemsSorted", &TdxDBTreeListPickColumn::ItemsSorted, &TdxDBTreeListPickColumn::SetItemsSorted)
        .Boolean("DropDownListStyle", &TdxDBTreeListPickColumn::DropDownListStyle, &TdxDBTreeListPickColumn::SetDropDownListStyle)
        .Boolean("ImmediateDropDown", &TdxDBTreeListPickColumn::ImmediateDropDown, &TdxDBTreeListPickColumn::SetImmediateDropDown)
        .Boolean("CanDeleteText", &TdxDBTreeListPickColumn::CanDeleteText, &TdxDBTreeListPickColumn::SetCanDeleteText)
        .Boolean("Revertable", &TdxDBTreeListPickColumn::Revertable, &TdxDBTreeListPickColumn::SetRevertable)
        ;
    TPropertyRegistrar<TdxDBTreeListMRUColumn>("TdxDBTreeListMRUColumn")
        .Integer("MaxItemCount", &TdxDBTreeListMRUColumn::MaxItemCount, &TdxDBTreeListMRUColumn::SetMaxItemCount)
        .Boolean("ShowEllipsis", &TdxDBTreeListMRUColumn::ShowEllipsis, &TdxDBTreeListMRUColumn::SetShowEllipsis)
        ;
    TPropertyRegistrar<TdxDBTreeListCalcColumn>("TdxDBTreeListCalcColumn")
        .Boolean("BeepOnError", &TdxDBTreeListCalcColumn::BeepOnError, &TdxDBTreeListCalcColumn::SetBeepOnError)
        .Integer("Precision", &TdxDBTreeListCalcColumn::Precision, &TdxDBTreeListCalcColumn::SetPrecision)
        .Boolean("QuickClose", &TdxDBTreeListCalcColumn::QuickClose, &TdxDBTreeListCalcColumn::SetQuickClose)
        .Boolean("ShowButtonFrame", &TdxDBTreeListCalcColumn::ShowButtonFrame, &TdxDBTreeListCalcColumn::SetShowButtonFrame)
        ;
    TPropertyRegistrar<TdxDBTreeListSpinColumn>("TdxDBTreeListSpinColumn")
        .Boolean("EditorEnabled", &TdxDBTreeListSpinColumn::EditorEnabled, &TdxDBTreeListSpinColumn::SetEditorEnabled)
        .Float("Increment", &TdxDBTreeListSpinColumn::Increment, &TdxDBTreeListSpinColumn::SetIncrement)
        .Boolean("UseCtrlIncrement", &TdxDBTreeListSpinColumn::UseCtrlIncrement, &TdxDBTreeListSpinColumn::SetUseCtrlIncrement)
        .Float("MinValue", &TdxDBTreeListSpinColumn::MinValue, &TdxDBTreeListSpinColumn::SetMinValue)
        .StoredIf([](const TdxDBTreeListSpinColumn& Column) { return Column.IsMinValueStored(); });
    StoreWhenAssigned("TdxDBTreeListSpinColumn");
    TPropertyRegistrar<TdxDBTreeListSpinColumn>("TdxDBTreeListSpinColumn")
        .Float("MaxValue", &TdxDBTreeListSpinColumn::MaxValue, &TdxDBTreeListSpinColumn::SetMaxValue)
        .StoredIf([](const TdxDBTreeListSpinColumn& Column) { return Column.IsMaxValueStored(); });
    StoreWhenAssigned("TdxDBTreeListSpinColumn");
    TPropertyRegistrar<TdxDBTreeListTimeColumn>("TdxDBTreeListTimeColumn")
        .Boolean("UseCtrlIncrement", &TdxDBTreeListTimeColumn::UseCtrlIncrement, &TdxDBTreeListTimeColumn::SetUseCtrlIncrement)
        ;
    TPropertyRegistrar<TdxDBTreeListCurrencyColumn>("TdxDBTreeListCurrencyColumn")
        .Integer("DecimalPlaces", &TdxDBTreeListCurrencyColumn::DecimalPlaces, &TdxDBTreeListCurrencyColumn::SetDecimalPlaces)
        .String("DisplayFormat", &TdxDBTreeListCurrencyColumn::DisplayFormat, &TdxDBTreeListCurrencyColumn::SetDisplayFormat)
        .Boolean("Nullable", &TdxDBTreeListCurrencyColumn::Nullable, &TdxDBTreeListCurrencyColumn::SetNullable)
        .String("NullString", &TdxDBTreeListCurrencyColumn::NullString, &TdxDBTreeListCurrencyColumn::SetNullString)
        .Boolean("UseThousandSeparator", &TdxDBTreeListCurrencyColumn::UseThousandSeparator, &TdxDBTreeListCurrencyColumn::SetUseThousandSeparator)
        .Float("MinValue", &TdxDBTreeListCurrencyColumn::MinValue, &TdxDBTreeListCurrencyColumn::SetMinValue)
        .StoredIf([](const TdxDBTreeListCurrencyColumn& Column) { return Column.IsMinValueStored(); });
    StoreWhenAssigned("TdxDBTreeListCurrencyColumn");
    TPropertyRegistrar<TdxDBTreeListCurrencyColumn>("TdxDBTreeListCurrencyColumn")
        .Float("MaxValue", &TdxDBTreeListCurrencyColumn::MaxValue, &TdxDBTreeListCurrencyColumn::SetMaxValue)
        .StoredIf([](const TdxDBTreeListCurrencyColumn& Column) { return Column.IsMaxValueStored(); });
    StoreWhenAssigned("TdxDBTreeListCurrencyColumn");
    TPropertyRegistrar<TdxDBTreeListHyperLinkColumn>("TdxDBTreeListHyperLinkColumn")
        .Color("EditBackgroundColor", &TdxDBTreeListHyperLinkColumn::EditBackgroundColor, &TdxDBTreeListHyperLinkColumn::SetEditBackgroundColor)
        .Color("EditFontColor", &TdxDBTreeListHyperLinkColumn::EditFontColor, &TdxDBTreeListHyperLinkColumn::SetEditFontColor)
        .Boolean("SingleClick", &TdxDBTreeListHyperLinkColumn::SingleClick, &TdxDBTreeListHyperLinkColumn::SetSingleClick)
        ;
    TPropertyRegistrar<TdxDBTreeListMemoColumn>("TdxDBTreeListMemoColumn")
        .Integer("MaxDisplayLength", &TdxDBTreeListMemoColumn::MaxDisplayLength, &TdxDBTreeListMemoColumn::SetMaxDisplayLength)
        .Boolean("WordWrap", &TdxDBTreeListMemoColumn::WordWrap, &TdxDBTreeListMemoColumn::SetWordWrap)
        .Boolean("WantReturns", &TdxDBTreeListMemoColumn::WantReturns, &TdxDBTreeListMemoColumn::SetWantReturns)
        .Boolean("WantTabs", &TdxDBTreeListMemoColumn::WantTabs, &TdxDBTreeListMemoColumn::SetWantTabs)
        .Boolean("HideScrollBars", &TdxDBTreeListMemoColumn::HideScrollBars, &TdxDBTreeListMemoColumn::SetHideScrollBars)
        .Boolean("SelectionBar", &TdxDBTreeListMemoColumn::SelectionBar, &TdxDBTreeListMemoColumn::SetSelectionBar)
        ;
    TPropertyRegistrar<TdxDBTreeListBlobColumn>("TdxDBTreeListBlobColumn")
        .Integer("MaxDisplayLength", &TdxDBTreeListBlobColumn::MaxDisplayLength, &TdxDBTreeListBlobColumn::SetMaxDisplayLength)
        .Integer("PopupWidth", &TdxDBTreeListBlobColumn::PopupWidth, &TdxDBTreeListBlobColumn::SetPopupWidth)
        .Integer("PopupHeight", &TdxDBTreeListBlobColumn::PopupHeight, &TdxDBTreeListBlobColumn::SetPopupHeight)
        .Boolean("AlwaysSaveText", &TdxDBTreeListBlobColumn::AlwaysSaveText, &TdxDBTreeListBlobColumn::SetAlwaysSaveText)
        ;
    TPropertyRegistrar<TdxDBTreeListGraphicColumn>("TdxDBTreeListGraphicColumn")
        .Boolean("Center", &TdxDBTreeListGraphicColumn::Center, &TdxDBTreeListGraphicColumn::SetCenter)
        .Boolean("Stretch", &TdxDBTreeListGraphicColumn::Stretch, &TdxDBTreeListGraphicColumn::SetStretch)
        .Boolean("ShadowSelection", &TdxDBTreeListGraphicColumn::ShadowSelection, &TdxDBTreeListGraphicColumn::SetShadowSelection)
        ;
    TPropertyRegistrar<TdxDBTreeListLookupColumn>("TdxDBTreeListLookupColumn")
        .String("ListFieldName", &TdxDBTreeListLookupColumn::ListFieldName, &TdxDBTreeListLookupColumn::SetListFieldName)
        .Integer("ListFieldIndex", &TdxDBTreeListLookupColumn::ListFieldIndex, &TdxDBTreeListLookupColumn::SetListFieldIndex)
        .Integer("ListWidth", &TdxDBTreeListLookupColumn::ListWidth, &TdxDBTreeListLookupColumn::SetListWidth)
        .Boolean("ImmediateDropDown", &TdxDBTreeListLookupColumn::ImmediateDropDown, &TdxDBTreeListLookupColumn::SetImmediateDropDown)
        .Boolean("CanDeleteText", &TdxDBTreeListLookupColumn::CanDeleteText, &TdxDBTreeListLookupColumn::SetCanDeleteText)
        ;

    TPropertyRegistrar<TdxDBGridSummaryItem>("TdxDBGridSummaryItem")
        .String("ColumnName", &TdxDBGridSummaryItem::ColumnName, &TdxDBGridSummaryItem::SetColumnName)
        .String("SummaryField", &TdxDBGridSummaryItem::SummaryField, &TdxDBGridSummaryItem::SetSummaryField)
        .String("SummaryFormat", &TdxDBGridSummaryItem::SummaryFormat, &TdxDBGridSummaryItem::SetSummaryFormat)
        .Enumeration("SummaryType", &TdxDBGridSummaryItem::SummaryType, &TdxDBGridSummaryItem::SetSummaryType,
                     SummaryTypeNames(), cstNone);
    TPropertyRegistrar<TdxDBGridSummaryGroup>("TdxDBGridSummaryGroup")
        .String("Name", &TdxDBGridSummaryGroup::Name, &TdxDBGridSummaryGroup::SetName)
        .Boolean("DefaultGroup", &TdxDBGridSummaryGroup::DefaultGroup, &TdxDBGridSummaryGroup::SetDefaultGroup, false)
        .String("BeginSummaryText", &TdxDBGridSummaryGroup::BeginSummaryText,
                &TdxDBGridSummaryGroup::SetBeginSummaryText)
        .String("EndSummaryText", &TdxDBGridSummaryGroup::EndSummaryText, &TdxDBGridSummaryGroup::SetEndSummaryText)
        .Collection("SummaryItems", &TdxDBGridSummaryGroup::SummaryItems);

    // The filter's own properties are registered with the layout keys.
    TPropertyRegistrar<TCustomdxDBGrid>("TCustomdxDBGrid")
        .Persistent("Filter", &TCustomdxDBGrid::Filter)
        .Collection("SummaryGroups", &TCustomdxDBGrid::SummaryGroups);
    TPropertyRegistrar<TCustomdxDBGrid>("TCustomdxDBGrid").DefineProperties([](TCustomdxDBGrid& Grid, TFiler& Filer) {
        Filer.DefineBinaryProperty(
            "Bands", [&Grid](TStream& Stream) { ReadBands(*Grid.Bands(), Stream); },
            [&Grid](TStream& Stream) { WriteBands(*Grid.Bands(), Stream); }, Grid.Bands()->Count() > 0);
    });
    return true;
}

} // namespace

void RegisterGridStreaming()
{
    static const bool registered = Register();
    (void)registered;
}

} // namespace qel

namespace qel {

TComponent* TdxDBTreeListColumn::GetParentComponent() const
{
    return TreeList();
}

void TdxDBTreeListColumn::SetParentComponent(TComponent* Value)
{
    if (auto* control = dynamic_cast<TCustomdxTreeListControl*>(Value))
        SetTreeList(control);
}

void TCustomdxDBTreeListControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root)
{
    RegisterGridStreaming();
    // The columns first and in order, so that reading appends them in it. A
    // grid written as the root takes its columns along wherever they are
    // owned (a layout captures the grid alone).
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxTreeListColumn* column = GetColumnByIndex(i);
        if (column && (Root == this || column->Owner() == Root))
            Proc(column);
    }
    TCustomdxTreeListControl::GetChildren(
        [&](TComponent* Child) {
            if (!dynamic_cast<TdxTreeListColumn*>(Child))
                Proc(Child);
        },
        Root);
}

} // namespace qel
