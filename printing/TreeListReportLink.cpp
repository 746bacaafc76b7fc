// The tree-list report link's settings (defaults, which changes rebuild,
// what is taken from the control and from another link), the data items
// of TdxTreeListReportLink, and custom drawing through the link's events.
#include "printing/TreeListReportLink.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Locale.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "printing/ReportLinkRegistry.h"
#include "printing/ReportRenderer.h"
#include "printing/detail/FontFiling.h"
#include "printing/detail/TreeListReportBuild.h"

namespace qel {

QEL_REGISTER_CLASS(TCustomdxTreeListReportLink, TBasedxReportLink);
QEL_REGISTER_CLASS(TdxTreeListReportLink, TCustomdxTreeListReportLink);

const std::vector<std::string>& dxTreeListPaintOptionNames()
{
    static const std::vector<std::string> names = {
        "tlpoBands", "tlpoHeaders", "tlpoFooters", "tlpoRowFooters", "tlpoPreview", "tlpoPreviewGrid",
        "tlpoGrid", "tlpoFlatCheckMarks", "tlpoImages", "tlpoStateImages", "tlpoTransparentColumnGraphic",
        "tlpoGraphicAsText", "tlpo3DEffects", "tlpoSoft3D", "tlpoRowFooterGrid", "tlpoCheckMarksAsText"};
    return names;
}

namespace {

// What a stored link keeps. ExtendedColorManage and UseColumnFont are written
// only when true (the borrow-source mode); reading either sets that mode.
const bool g_treeListLinkPropertiesRegistered = [] {
    using L = TCustomdxTreeListReportLink;
    TPropertyRegistrar<L>("TCustomdxTreeListReportLink")
        .Boolean("AutoNodesExpand", &L::AutoNodesExpand, &L::SetAutoNodesExpand, false)
        .Color("BandColor", &L::BandColor, &L::SetBandColor, L::DefaultFixedColor)
        .Boolean("BandsOnEveryPage", &L::BandsOnEveryPage, &L::SetBandsOnEveryPage, true)
        .Enumeration("DrawMode", &L::DrawMode, &L::SetDrawMode, {"tldmStrict", "tldmOddEven", "tldmBorrowSource"},
                     tldmStrict)
        .Color("EvenColor", &L::EvenColor, &L::SetEvenColor, clWhite)
        .Integer("ExpandLevel", &L::ExpandLevel, &L::SetExpandLevel, -1)
        .Boolean("ExtendedColorManage", &L::ExtendedColorManage, &L::SetExtendedColorManage, false)
        .Boolean("ExtendedSelect", &L::ExtendedSelect, &L::SetExtendedSelect, true)
        .Boolean("FixedTransparent", &L::FixedTransparent, &L::SetFixedTransparent, false)
        .String("GraphicAsTextValue", &L::GraphicAsTextValue, &L::SetGraphicAsTextValue)
        .StoredIf([](const L& Link) { return Link.IsGraphicAsTextValueStored(); })
        .Color("GridLineColor", &L::GridLineColor, &L::SetGridLineColor, clBlack)
        .Color("GroupNodeColor", &L::GroupNodeColor, &L::SetGroupNodeColor, L::DefaultFixedColor)
        .Color("HeaderColor", &L::HeaderColor, &L::SetHeaderColor, L::DefaultFixedColor)
        .Boolean("HeadersOnEveryPage", &L::HeadersOnEveryPage, &L::SetHeadersOnEveryPage, true)
        .Boolean("HorzDelimitByBands", &L::HorzDelimitByBands, &L::SetHorzDelimitByBands, false)
        .Boolean("OnlySelected", &L::OnlySelected, &L::SetOnlySelected, false)
        .Set("Options", &L::Options, &L::SetOptions, dxTreeListPaintOptionNames(), dxDefaultTreeListPaintOptions.ToBits())
        .Color("PreviewColor", &L::PreviewColor, &L::SetPreviewColor, clWhite)
        .Integer("PreviewLineCount", &L::PreviewLineCount, &L::SetPreviewLineCount, -1)
        .Color("RowFooterColor", &L::RowFooterColor, &L::SetRowFooterColor, L::DefaultFixedColor)
        .Boolean("SupportedCustomDraw", &L::SupportedCustomDraw, &L::SetSupportedCustomDraw, false)
        .Boolean("UseColumnFont", &L::UseColumnFont, &L::SetUseColumnFont, false)
        .DefineProperties([](L& Link, TFiler& F) {
            const std::pair<const char*, TFont*> fonts[] = {
                {"BandFont", Link.BandFont()},           {"EvenFont", Link.EvenFont()},
                {"FooterFont", Link.FooterFont()},       {"GroupNodeFont", Link.GroupNodeFont()},
                {"HeaderFont", Link.HeaderFont()},       {"OddFont", Link.OddFont()},
                {"PreviewFont", Link.PreviewFont()},     {"RowFooterFont", Link.RowFooterFont()}};
            for (const auto& [name, font] : fonts)
                detail::DefineFontProperties(F, name, font);
        });
    return true;
}();

} // namespace

// ----- construction ---------------------------------------------------------------------------------------

TCustomdxTreeListReportLink::TCustomdxTreeListReportLink(TComponent* AOwner)
    : TBasedxReportLink(AOwner), m_scratchFont(std::make_unique<TFont>())
{
    for (std::unique_ptr<TFont>* font : {&m_bandFont, &m_evenFont, &m_footerFont, &m_groupNodeFont, &m_headerFont,
                                         &m_oddFont, &m_previewFont, &m_rowFooterFont}) {
        *font = std::make_unique<TFont>();
        (*font)->Assign(Font());
        m_fontLinks.push_back(std::make_unique<TChangeLink>((*font)->Changes(), [this](TObject*) { FontChanged(); }));
    }
    m_scratchFontLink.Connect(m_scratchFont->Changes(), [this](TObject*) { m_scratchFontChanged = true; });
    SetHeadersOnEveryPage(true);
}

TCustomdxTreeListReportLink::~TCustomdxTreeListReportLink() = default;

TCustomdxTreeListControl* TCustomdxTreeListReportLink::TreeListControl() const
{
    return dynamic_cast<TCustomdxTreeListControl*>(Component());
}

std::unique_ptr<TdxTreeListReportAccess> TCustomdxTreeListReportLink::CreateAccess(TCustomdxTreeListControl* Control)
{
    return std::make_unique<TdxTreeListReportAccess>(Control);
}

void TCustomdxTreeListReportLink::SetComponent(TComponent* Value)
{
    // Identities of the old control mean nothing for a new one.
    if (Value != Component())
        m_access.reset();
    TBasedxReportLink::SetComponent(Value);
}

void TCustomdxTreeListReportLink::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent == Component())
        m_access.reset();
    TBasedxReportLink::Notification(AComponent, Operation);
}

// ----- settings -------------------------------------------------------------------------------------------

void TCustomdxTreeListReportLink::FontChanged()
{
    LinkModified();
}

template <class T>
void TCustomdxTreeListReportLink::Change(T& Field, T Value, bool Rebuild)
{
    if (Field == Value)
        return;
    Field = Value;
    if (Rebuild)
        LinkModified();
}

void TCustomdxTreeListReportLink::SetAutoNodesExpand(bool Value) { Change(m_autoNodesExpand, Value); }

void TCustomdxTreeListReportLink::SetBandColor(TColor Value)
{
    Change(m_bandColor, Value, m_options.Contains(tlpoBands));
}

void TCustomdxTreeListReportLink::SetBandsOnEveryPage(bool Value) { Change(m_bandsOnEveryPage, Value); }

void TCustomdxTreeListReportLink::SetDrawMode(TdxTreeListDrawMode Value) { Change(m_drawMode, Value); }

int TCustomdxTreeListReportLink::ExpandLevel() const
{
    return IsExpandLevelFixed() || IsExpandLevelFixedEx() ? -1 : m_expandLevel;
}

void TCustomdxTreeListReportLink::SetExpandLevel(int Value)
{
    // Every change rebuilds: the level applies to expanded nodes too, not
    // only with AutoNodesExpand.
    Change(m_expandLevel, std::max(-1, Value));
}

void TCustomdxTreeListReportLink::SetExtendedColorManage(bool /*Value*/) { SetDrawMode(tldmBorrowSource); }

void TCustomdxTreeListReportLink::SetUseColumnFont(bool /*Value*/) { SetDrawMode(tldmBorrowSource); }

void TCustomdxTreeListReportLink::SetExtendedSelect(bool Value) { Change(m_extendedSelect, Value); }

void TCustomdxTreeListReportLink::SetEvenColor(TColor Value)
{
    Change(m_evenColor, Value, m_drawMode == tldmOddEven);
}

void TCustomdxTreeListReportLink::SetFixedTransparent(bool Value) { Change(m_fixedTransparent, Value); }

void TCustomdxTreeListReportLink::SetGraphicAsTextValue(const std::string& Value)
{
    Change(m_graphicAsTextValue, Value, m_options.Contains(tlpoGraphicAsText));
}

bool TCustomdxTreeListReportLink::IsGraphicAsTextValueStored() const
{
    return !SameText(m_graphicAsTextValue, DefaultGraphicAsTextValue);
}

void TCustomdxTreeListReportLink::SetGridLineColor(TColor Value) { Change(m_gridLineColor, Value); }

void TCustomdxTreeListReportLink::SetGroupNodeColor(TColor Value) { Change(m_groupNodeColor, Value); }

void TCustomdxTreeListReportLink::SetHeaderColor(TColor Value) { Change(m_headerColor, Value); }

void TCustomdxTreeListReportLink::SetHorzDelimitByBands(bool Value) { Change(m_horzDelimitByBands, Value); }

void TCustomdxTreeListReportLink::SetOnlySelected(bool Value) { Change(m_onlySelected, Value); }

void TCustomdxTreeListReportLink::SetOptions(TdxTreeListPaintOptions Value) { Change(m_options, Value); }

void TCustomdxTreeListReportLink::SetPreviewColor(TColor Value)
{
    Change(m_previewColor, Value, m_options.Contains(tlpoPreview));
}

void TCustomdxTreeListReportLink::SetPreviewLineCount(int Value)
{
    Change(m_previewLineCount, std::max(-1, Value), m_options.Contains(tlpoPreview));
}

void TCustomdxTreeListReportLink::SetRowFooterColor(TColor Value)
{
    Change(m_rowFooterColor, Value, m_options.Contains(tlpoRowFooters));
}

void TCustomdxTreeListReportLink::SetSupportedCustomDraw(bool Value) { Change(m_supportedCustomDraw, Value); }

bool TCustomdxTreeListReportLink::EffectiveGrid() const
{
    if (m_drawMode == tldmBorrowSource)
        if (TCustomdxTreeListControl* c = TreeListControl())
            return c->ShowGrid();
    return m_options.Contains(tlpoGrid);
}

bool TCustomdxTreeListReportLink::EffectivePreviewGrid() const
{
    if (m_drawMode == tldmBorrowSource)
        if (TCustomdxTreeListControl* c = TreeListControl())
            return c->ShowPreviewGrid();
    return m_options.Contains(tlpoPreviewGrid);
}

void TCustomdxTreeListReportLink::RestoreDefaults()
{
    TBasedxReportLink::RestoreDefaults();
    m_autoNodesExpand = false;
    m_bandsOnEveryPage = true;
    m_drawMode = tldmStrict;
    m_fixedTransparent = false;
    m_onlySelected = false;
    m_graphicAsTextValue = DefaultGraphicAsTextValue;
    SetHeadersOnEveryPage(true);
    m_options = dxDefaultTreeListPaintOptions;
    m_previewLineCount = -1;
    m_supportedCustomDraw = false;
    m_bandColor = m_groupNodeColor = m_headerColor = m_rowFooterColor = DefaultFixedColor;
    m_evenColor = m_previewColor = Color();
    m_gridLineColor = clBlack;
    for (TFont* font : {m_bandFont.get(), m_evenFont.get(), m_footerFont.get(), m_groupNodeFont.get(),
                        m_headerFont.get(), m_oddFont.get(), m_previewFont.get()})
        font->Assign(Font());
    m_rowFooterFont->Assign(m_footerFont.get());
    m_expandLevel = -1;
    m_extendedSelect = true;
    LinkModified();
}

void TCustomdxTreeListReportLink::InternalRestoreFromOriginal()
{
    TBasedxReportLink::InternalRestoreFromOriginal();
    TCustomdxTreeListControl* c = TreeListControl();
    if (!c)
        return;
    SetPreviewLineCount(c->OptionsEx().Contains(aoAutoCalcPreviewLines) ? -1 : c->PreviewLines());
    SetBandFont(c->BandFont());
    SetHeaderFont(c->HeaderFont());
    SetPreviewFont(c->PreviewFont());
    SetFont(c->Font());
    TFont group;
    group.Assign(c->Font());
    group.SetColor(c->GroupNodeTextColor() == clNone ? c->Font()->Color() : c->GroupNodeTextColor());
    SetGroupNodeFont(&group);
    SetFooterFont(c->Font());
    SetRowFooterFont(m_footerFont.get());
    SetBandColor(c->EffectiveBandColor());
    SetGroupNodeColor(c->EffectiveGroupNodeColor());
    SetHeaderColor(c->EffectiveHeaderColor());
    SetRowFooterColor(c->EffectiveRowFooterColor());
    SetGridLineColor(c->GetRowColor(c->EffectiveGridLineColor()));
    TdxTreeListPaintOptions o = m_options;
    o.Set(tlpoBands, c->ShowBands());
    o.Set(tlpoHeaders, c->ShowHeader());
    o.Set(tlpoFooters, c->ShowFooter());
    o.Set(tlpoRowFooters, c->ShowRowFooter());
    o.Set(tlpoGrid, c->ShowGrid());
    o.Set(tlpoPreviewGrid, c->ShowPreviewGrid());
    o.Set(tlpoPreview, c->Options().Contains(aoPreview));
    o.Set(tlpoImages, c->Images() != nullptr);
    o.Set(tlpoStateImages, c->StateImages() != nullptr);
    o.Set(tlpo3DEffects, c->LookAndFeel() == lfStandard || c->LookAndFeel() == lfFlat);
    o.Set(tlpoSoft3D, c->LookAndFeel() == lfFlat);
    SetOptions(o);
}

void TCustomdxTreeListReportLink::Assign(TPersistent* Source)
{
    TBasedxReportLink::Assign(Source);
    auto* src = dynamic_cast<TCustomdxTreeListReportLink*>(Source);
    if (!src || src == this)
        return;
    SetAutoNodesExpand(src->m_autoNodesExpand);
    SetBandsOnEveryPage(src->m_bandsOnEveryPage);
    SetDrawMode(src->m_drawMode);
    SetExpandLevel(src->m_expandLevel);
    SetExtendedSelect(src->m_extendedSelect);
    SetFixedTransparent(src->m_fixedTransparent);
    SetOnlySelected(src->m_onlySelected);
    SetOptions(src->m_options);
    SetPreviewLineCount(src->m_previewLineCount);
    SetSupportedCustomDraw(src->m_supportedCustomDraw);
    SetBandColor(src->m_bandColor);
    SetEvenColor(src->m_evenColor);
    SetGridLineColor(src->m_gridLineColor);
    SetGroupNodeColor(src->m_groupNodeColor);
    SetHeaderColor(src->m_headerColor);
    SetPreviewColor(src->m_previewColor);
    SetRowFooterColor(src->m_rowFooterColor);
    SetBandFont(src->m_bandFont.get());
    SetEvenFont(src->m_evenFont.get());
    SetFooterFont(src->m_footerFont.get());
    SetGroupNodeFont(src->m_groupNodeFont.get());
    SetHeaderFont(src->m_headerFont.get());
    SetOddFont(src->m_oddFont.get());
    SetPreviewFont(src->m_previewFont.get());
    SetRowFooterFont(src->m_rowFooterFont.get());
}

bool TCustomdxTreeListReportLink::GetHeadersOnEveryPage() const
{
    const TCustomdxTreeListControl* c = TreeListControl();
    return m_bandsOnEveryPage && c && c->GetCount() > 0 &&
           (m_options.Contains(tlpoBands) || (HeadersOnEveryPage() && m_options.Contains(tlpoHeaders)));
}

bool TCustomdxTreeListReportLink::GetFootersOnEveryPage() const
{
    const TCustomdxTreeListControl* c = TreeListControl();
    return FootersOnEveryPage() && m_options.Contains(tlpoFooters) && c && c->GetCount() > 0;
}

// ----- columns and data items ---------------------------------------------------------------------------

TdxTreeListColumn* TCustomdxTreeListReportLink::GetRealColumn(TdxTreeListColumn* Column, TdxTreeListNode* /*Node*/)
{
    if (auto* wrapper = dynamic_cast<TdxTreeListWrapperColumn*>(Column))
        if (wrapper->Column())
            return wrapper->Column();
    return Column;
}

bool TCustomdxTreeListReportLink::IsGraphicColumn(TdxTreeListColumn* Column) const
{
    return dynamic_cast<TdxTreeListGraphicColumn*>(Column) != nullptr;
}

bool TCustomdxTreeListReportLink::IsHyperLinkColumn(TdxTreeListColumn* Column) const
{
    return dynamic_cast<TdxTreeListHyperLinkColumn*>(Column) != nullptr;
}

TdxReportCellDataClass TCustomdxTreeListReportLink::GetDataItemClass(TdxTreeListColumn* Column, TdxTreeListNode* Node)
{
    TdxTreeListColumn* real = GetRealColumn(Column, Node);
    if (dynamic_cast<TdxTreeListCheckColumn*>(real))
        return m_options.Contains(tlpoCheckMarksAsText) ? &dxNewReportCellData<TdxReportCellString>
                                                        : &dxNewReportCellData<TdxReportCellCheckImage>;
    if (auto* image = dynamic_cast<TdxTreeListImageColumn*>(real))
        return image->ShowDescription() ? &dxNewReportCellData<TdxReportCellImage>
                                        : &dxNewReportCellData<TdxReportCellGraphic>;
    if (IsGraphicColumn(real) && !m_options.Contains(tlpoGraphicAsText))
        return &dxNewReportCellData<TdxReportCellGraphic>;
    return &dxNewReportCellData<TdxReportCellString>;
}

void TCustomdxTreeListReportLink::FillString(TdxReportCellString& Item, TdxTreeListColumn* Column,
                                             TdxTreeListNode* Node)
{
    detail::TTreeListReportBuild& b = *m_build;
    Item.SetText(b.Access->CellText(Node, Column));
    Item.SetTextAlignX(AlignXOf(b.Control->GetColumnAlignmentByIndex(Column->GetColumnIndex())));
    Item.SetEndEllipsis(b.Control->Options().Contains(aoDrawEndEllipsis));
    // Rows sized to their wrapped values show them wrapped.
    Item.SetMultiline(Column->IsMultiLine() || b.RowAutoHeight);
    if (Item.Multiline())
        Item.SetTextAlignY(taTop);
}

void TCustomdxTreeListReportLink::FillCheck(TdxReportCellCheckImage& Item, TCheckBoxState State,
                                            const TBitmap* Glyph, int GlyphCount)
{
    Item.SetChecked(State == cbChecked);
    Item.SetEnabled(State != cbGrayed);
    Item.SetFlatBorder(m_options.Contains(tlpoFlatCheckMarks));
    if (Glyph && !Glyph->Empty()) {
        Item.SetGlyph(Glyph);
        Item.SetGlyphCount(GlyphCount);
    }
}

void TCustomdxTreeListReportLink::FillListImage(TdxReportCellCustomImage& Item, TImageList* List, int Index)
{
    if (!List || Index < 0 || Index >= List->Count())
        return;
    // A copy: the report keeps nothing of the list, which may go while a preview is open.
    TBitmap bitmap;
    List->GetBitmap(Index, &bitmap);
    const TRect bounds = Item.BoundsRect();
    Item.SetImage(&bitmap);
    Item.SetBoundsRect(bounds);
}

void TCustomdxTreeListReportLink::FillGraphic(TdxReportCellGraphic& Item, const Variant& Value, bool Stretch,
                                              bool Center)
{
    Item.SetImageTransparent(m_options.Contains(tlpoTransparentColumnGraphic));
    Item.SetDrawMode(Stretch ? gdmStretchProportional : Center ? gdmCenter : gdmNone);
    const std::string bytes = Value.IsEmptyOrNull() ? std::string() : VarToStr(Value);
    if (bytes.empty())
        return;
    TMemoryStream stream;
    stream.SetBytes(bytes);
    TBitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        // A value that is no picture prints as an empty cell, as the grid shows it.
        return;
    }
    const TRect bounds = Item.BoundsRect();
    Item.SetImage(&bitmap);
    Item.SetBoundsRect(bounds);
}

TdxTextAlignX TCustomdxTreeListReportLink::AlignXOf(TAlignment Value)
{
    switch (Value) {
    case taRightJustify: return taRight;
    case taCenter: return taCenterX;
    default: return taLeft;
    }
}

void TdxTreeListReportLink::FillDataItem(TAbstractdxReportCellData& Item, TdxTreeListColumn* Column,
                                         TdxTreeListNode* Node)
{
    TdxTreeListReportAccess& access = *Access();
    TdxTreeListColumn* real = GetRealColumn(Column, Node);
    if (auto* check = dynamic_cast<TdxReportCellCheckImage*>(&Item)) {
        auto* column = dynamic_cast<TdxTreeListCheckColumn*>(real);
        if (column)
            FillCheck(*check, column->GetCheckState(access.CellValue(Node, real)), column->GetGlyph(),
                      column->GlyphCount());
        return;
    }
    if (auto* image = dynamic_cast<TdxTreeListImageColumn*>(real)) {
        int index = -1;
        std::string description;
        image->GetDisplayValues(access.CellValue(Node, real), index, description);
        if (auto* item = dynamic_cast<TdxReportCellCustomImage*>(&Item)) {
            FillListImage(*item, image->Images(), index);
            if (dynamic_cast<TdxReportCellImage*>(&Item))
                item->SetText(description);
            return;
        }
    }
    if (auto* graphic = dynamic_cast<TdxReportCellGraphic*>(&Item)) {
        if (auto* column = dynamic_cast<TdxTreeListGraphicColumn*>(real))
            FillGraphic(*graphic, access.CellValue(Node, real), column->Stretch(), column->Center());
        return;
    }
    if (auto* text = dynamic_cast<TdxReportCellString*>(&Item))
        FillString(*text, Column, Node);
}

// ----- custom drawing ------------------------------------------------------------------------------------

TdxTLReportCellKind TCustomdxTreeListReportLink::GetCellKind(const TdxReportItem& Item)
{
    const TdxReportCell* parent = Item.Parent();
    const std::uint8_t parentKind = parent ? parent->Source().Kind() : std::uint8_t{tlskNone};
    switch (Item.Source().Kind()) {
    case tlskBand: return tlckBand;
    case tlskNode: return Item.IsCell() ? tlckNone : tlckPreview;
    case tlskColumn:
        if (parentKind == tlskNone)
            return tlckFooter;
        if (parentKind == tlskHeaderRow)
            return tlckHeader;
        if (parentKind == tlskNode) {
            const TdxReportCell* grand = parent->Parent();
            return grand && grand->Source().Kind() == tlskFooterLevel ? tlckRowFooter : tlckCell;
        }
        return tlckNone;
    default: return tlckNone;
    }
}

bool TCustomdxTreeListReportLink::IsCustomDrawn(const TdxReportItem* Item) const
{
    if (!Item)
        return m_supportedCustomDraw;
    if (!m_supportedCustomDraw || Item->Source().IsEmpty())
        return false;
    switch (GetCellKind(*Item)) {
    case tlckBand: return static_cast<bool>(OnCustomDrawBandCell);
    case tlckCell: return static_cast<bool>(OnCustomDrawCell);
    case tlckFooter: return static_cast<bool>(OnCustomDrawFooterCell);
    case tlckRowFooter: return static_cast<bool>(OnCustomDrawRowFooterCell);
    case tlckHeader: return static_cast<bool>(OnCustomDrawHeaderCell);
    case tlckPreview: return static_cast<bool>(OnCustomDrawPreviewCell);
    default: return false;
    }
}

bool TCustomdxTreeListReportLink::IsItemCustomDrawn(const TAbstractdxReportCellData& Item) const
{
    return IsCustomDrawn(&Item);
}

void TCustomdxTreeListReportLink::DoCustomDrawItem(TCanvas& Canvas, TAbstractdxReportCellData& Item,
                                                   const TRect& Rect, bool& Done)
{
    const TdxTLReportCellKind kind = GetCellKind(Item);
    if (kind == tlckNone || !IsCustomDrawn(&Item) || !m_access)
        return;
    // The objects the cell came from, as they are now; a cell whose objects
    // are gone draws as it was built, without an event.
    TdxReportCell* parent = Item.Parent();
    const TdxReportCellSource source = Item.Source();
    TdxTreeListBand* band = nullptr;
    TdxTreeListColumn* column = nullptr;
    TdxTreeListNode* node = nullptr;
    int footerIndex = -1;
    switch (kind) {
    case tlckBand:
        if (!(band = m_access->BandByIdentity(source.Identity())))
            return;
        break;
    case tlckPreview:
        if (!(node = m_access->NodeByIdentity(source.Identity())))
            return;
        break;
    case tlckCell:
    case tlckRowFooter:
        if (!(node = m_access->NodeByIdentity(parent->Source().Identity())))
            return;
        if (kind == tlckRowFooter)
            footerIndex = static_cast<int>(parent->Parent()->Source().Identity()) - 1;
        [[fallthrough]];
    default:
        if (!(column = m_access->ColumnByIdentity(source.Identity())))
            return;
        break;
    }

    TColor color = Item.Transparent() ? clNone : Item.Color();
    const TFont* itemFont = Renderer()->ItemFont(Item.FontIndex());
    m_scratchFont->SetPixelsPerInch(itemFont->PixelsPerInch());
    m_scratchFont->Assign(const_cast<TFont*>(itemFont));
    m_scratchFontChanged = false;
    auto* text = dynamic_cast<TdxReportCellText*>(&Item);
    std::string value = text ? text->GetText() : std::string();
    TdxTextAlignX alignX = text ? text->TextAlignX() : taLeft;
    TdxTextAlignY alignY = text ? text->TextAlignY() : taCenterY;
    TdxCellSortOrder sorted = text ? text->SortOrder() : csoNone;
    const TRect client = Item.GetInnerBounds(Rect, Renderer()->LineWidth());
    TFont* font = m_scratchFont.get();
    switch (kind) {
    case tlckBand:
        DoCustomDrawBandCell(Canvas, Rect, client, band, value, color, font, alignX, alignY, Done);
        break;
    case tlckCell:
        DoCustomDrawCell(Canvas, Rect, client, node, column, value, color, font, alignX, alignY, Done);
        break;
    case tlckFooter:
        DoCustomDrawFooterCell(Canvas, Rect, client, column, value, color, font, alignX, alignY, Done);
        break;
    case tlckHeader:
        DoCustomDrawHeaderCell(Canvas, Rect, client, column, value, color, font, alignX, alignY, sorted, Done);
        break;
    case tlckRowFooter:
        DoCustomDrawRowFooterCell(Canvas, Rect, client, node, column, footerIndex, value, color, font, alignX, alignY,
                                  Done);
        break;
    case tlckPreview: {
        TColor textColor = m_scratchFont->Color();
        DoCustomDrawPreviewCell(Canvas, Rect, client, node, value, color, textColor, font, Done);
        if (textColor != m_scratchFont->Color())
            m_scratchFont->SetColor(textColor);
        break;
    }
    default: break;
    }
    if (Done)
        return;
    if (m_scratchFontChanged) {
        Canvas.SetFont(m_scratchFont.get());
        Item.SetFontIndex(-1);
        Renderer()->SetCustomDrawFont(m_scratchFont.get());
    }
    if (color != clNone) {
        Item.SetColor(color);
        Item.SetTransparent(false);
    }
    if (text) {
        text->SetText(value);
        if (kind != tlckPreview) {
            text->SetTextAlignX(alignX);
            text->SetTextAlignY(alignY);
        }
        if (kind == tlckHeader)
            text->SetSortOrder(sorted);
    }
}

void TCustomdxTreeListReportLink::DoCustomDrawBandCell(TCanvas& Canvas, const TRect& BoundsRect,
                                                       const TRect& ClientRect, TdxTreeListBand* Band,
                                                       std::string& Text, TColor& Color, TFont* Font,
                                                       TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY,
                                                       bool& Done)
{
    if (OnCustomDrawBandCell)
        OnCustomDrawBandCell(this, Canvas, BoundsRect, ClientRect, Band, Text, Color, Font, TextAlignX, TextAlignY,
                             Done);
}

void TCustomdxTreeListReportLink::DoCustomDrawCell(TCanvas& Canvas, const TRect& BoundsRect, const TRect& ClientRect,
                                                   TdxTreeListNode* Node, TdxTreeListColumn* Column,
                                                   std::string& Text, TColor& Color, TFont* Font,
                                                   TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY, bool& Done)
{
    if (OnCustomDrawCell)
        OnCustomDrawCell(this, Canvas, BoundsRect, ClientRect, Node, Column, Text, Color, Font, TextAlignX,
                         TextAlignY, Done);
}

void TCustomdxTreeListReportLink::DoCustomDrawFooterCell(TCanvas& Canvas, const TRect& BoundsRect,
                                                         const TRect& ClientRect, TdxTreeListColumn* Column,
                                                         std::string& Text, TColor& Color, TFont* Font,
                                                         TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY,
                                                         bool& Done)
{
    if (OnCustomDrawFooterCell)
        OnCustomDrawFooterCell(this, Canvas, BoundsRect, ClientRect, nullptr, Column, Text, Color, Font, TextAlignX,
                               TextAlignY, Done);
}

void TCustomdxTreeListReportLink::DoCustomDrawHeaderCell(TCanvas& Canvas, const TRect& BoundsRect,
                                                         const TRect& ClientRect, TdxTreeListColumn* Column,
                                                         std::string& Text, TColor& Color, TFont* Font,
                                                         TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY,
                                                         TdxCellSortOrder& Sorted, bool& Done)
{
    if (OnCustomDrawHeaderCell)
        OnCustomDrawHeaderCell(this, Canvas, BoundsRect, ClientRect, Column, Text, Color, Font, TextAlignX,
                               TextAlignY, Sorted, Done);
}

void TCustomdxTreeListReportLink::DoCustomDrawPreviewCell(TCanvas& Canvas, const TRect& BoundsRect,
                                                          const TRect& ClientRect, TdxTreeListNode* Node,
                                                          std::string& Text, TColor& Color, TColor& TextColor,
                                                          TFont* Font, bool& Done)
{
    if (OnCustomDrawPreviewCell)
        OnCustomDrawPreviewCell(this, Canvas, BoundsRect, ClientRect, Node, Text, Color, TextColor, Font, Done);
}

void TCustomdxTreeListReportLink::DoCustomDrawRowFooterCell(TCanvas& Canvas, const TRect& BoundsRect,
                                                            const TRect& ClientRect, TdxTreeListNode* Node,
                                                            TdxTreeListColumn* Column, int FooterIndex,
                                                            std::string& Text, TColor& Color, TFont* Font,
                                                            TdxTextAlignX& TextAlignX, TdxTextAlignY& TextAlignY,
                                                            bool& Done)
{
    if (OnCustomDrawRowFooterCell)
        OnCustomDrawRowFooterCell(this, Canvas, BoundsRect, ClientRect, Node, Column, FooterIndex, Text, Color, Font,
                                  TextAlignX, TextAlignY, Done);
}

// ----- registration --------------------------------------------------------------------------------------

namespace {
TdxReportLinkRegistration& TreeListLinkRegistration()
{
    static TdxReportLinkRegistration registration("TdxTreeListReportLink", "TdxTreeList",
                                                  "TdxTLReportLinkDesignWindow");
    return registration;
}
} // namespace

void dxRegisterTreeListReportLink() { TreeListLinkRegistration().AddUser(); }
void dxUnregisterTreeListReportLink() { TreeListLinkRegistration().RemoveUser(); }

} // namespace qel
