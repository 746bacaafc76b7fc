// The grid's option sets: the four grouped sets are the truth; the combined
// words and the tree list's own options follow them, and a change runs its
// side effects (sorting rule, holding mode, selection) once.
#include "dbgrid/DBGrid.h"

#include "platform/core/Guards.h"

namespace qel {

namespace {

// Where a grouped member goes: the combined words and the tree list.
enum class TOptionTarget : std::uint8_t { None, Options, OptionsEx, TreeOptions, TreeOptionsEx, Indicator };

struct TOptionLink {
    std::uint8_t Member;
    TOptionTarget CombinedKind;
    std::uint8_t Combined;
    TOptionTarget TreeKind = TOptionTarget::None;
    std::uint8_t Tree = 0;
};

constexpr auto kOpt = TOptionTarget::Options;
constexpr auto kOptEx = TOptionTarget::OptionsEx;
constexpr auto kTree = TOptionTarget::TreeOptions;
constexpr auto kTreeEx = TOptionTarget::TreeOptionsEx;

constexpr TOptionLink BehaviorLinks[] = {
    {edgoAnsiSort, kOptEx, egoAnsiSort, kTreeEx, aoAnsiSort},
    {edgoAutoSearch, kOptEx, egoAutoSearch, kTreeEx, aoAutoSearch},
    {edgoAutoSort, kOptEx, egoAutoSort, kTree, aoAutoSort},
    {edgoCaseInsensitive, kOpt, egoCaseInsensitive, kTree, aoCaseInsensitive},
    {edgoCollapsedReload, kOpt, egoCollapsedReload},
    {edgoDblClick, kOptEx, egoDblClick},
    {edgoDragExpand, kOptEx, egoDragExpand, kTreeEx, aoDragExpand},
    {edgoDragScroll, kOptEx, egoDragScroll, kTreeEx, aoDragScroll},
    {edgoEditing, kOpt, egoEditing, kTree, aoEditing},
    {edgoEnterShowEditor, kOptEx, egoEnterShowEditor, kTreeEx, aoEnterShowEditor},
    {edgoEnterThrough, kOptEx, egoEnterThrough, kTreeEx, aoEnterThrough},
    {edgoImmediateEditor, kOpt, egoImmediateEditor, kTree, aoImmediateEditor},
    {edgoMouseScroll, kOptEx, egoMouseScroll},
    {edgoMultiSelect, kOpt, egoMultiSelect, kTree, aoMultiSelect},
    {edgoMultiSort, kOptEx, egoMultiSort},
    {edgoSeekDetail, kOpt, egoSeekDetail},
    {edgoShowHourGlass, kOpt, egoShowHourGlass},
    {edgoTabs, kOpt, egoTabs, kTree, aoTabs},
    {edgoTabThrough, kOpt, egoTabThrough, kTree, aoTabThrough},
    {edgoVertThrough, kOptEx, egoVertThrough, kTreeEx, aoVertThrough},
};

constexpr TOptionLink CustomizeLinks[] = {
    {edgoBandMoving, kOptEx, egoBandMoving, kTreeEx, aoBandMoving},
    {edgoBandSizing, kOptEx, egoBandSizing, kTreeEx, aoBandSizing},
    {edgoColumnMoving, kOpt, egoColumnMoving, kTree, aoColumnMoving},
    {edgoColumnSizing, kOpt, egoColumnSizing, kTree, aoColumnSizing},
    {edgoExtCustomizing, kOptEx, egoExtCustomizing, kTreeEx, aoExtCustomizing},
    {edgoKeepColumnWidth, kOpt, egoKeepColumnWidth, kTree, aoKeepColumnWidth},
    {edgoNotHideColumn, kOptEx, egoNotHideColumn},
};

constexpr TOptionLink DBLinks[] = {
    {edgoCanAppend, kOpt, egoCanAppend},
    {edgoCanDelete, kOpt, egoCanDelete},
    {edgoCanInsert, kOpt, egoCanInsert},
    {edgoCanNavigation, kOpt, egoCanNavigation},
    {edgoCancelOnExit, kOpt, egoCancelOnExit},
    {edgoConfirmDelete, kOpt, egoConfirmDelete},
    {edgoLoadAllRecords, kOpt, egoLoadAllRecords},
    {edgoPartialLoad, TOptionTarget::None, 0},
    {edgoResetColumnFocus, kOpt, egoResetColumnFocus},
    {edgoSmartRefresh, kOpt, egoSmartRefresh},
    {edgoSmartReload, kOpt, egoSmartReload},
    {edgoSyncSelection, kOpt, egoSyncSelection},
    {edgoUseBookmarks, TOptionTarget::None, 0},
    {edgoUseLocate, kOpt, egoUseLocate},
};

constexpr TOptionLink ViewLinks[] = {
    {edgoAutoCalcPreviewLines, kOptEx, egoAutoCalcPreviewLines, kTreeEx, aoAutoCalcPreviewLines},
    {edgoAutoHeaderPanelHeight, kOptEx, egoAutoHeaderPanelHeight},
    {edgoAutoWidth, kOpt, egoAutoWidth, kTree, aoAutoWidth},
    {edgoBandHeaderWidth, kOptEx, egoBandHeaderWidth, kTreeEx, aoBandHeaderWidth},
    {edgoDrawEndEllipsis, kOpt, egoDrawEndEllipsis, kTree, aoDrawEndEllipsis},
    {edgoHideFocusRect, kOpt, egoHideFocusRect, kTree, aoHideFocusRect},
    {edgoIndicator, TOptionTarget::None, 0, TOptionTarget::Indicator, 0},
    {edgoInvertSelect, kOptEx, egoInvertSelect, kTreeEx, aoInvertSelect},
    {edgoPreview, kOpt, egoPreview, kTree, aoPreview},
    {edgoRowAutoHeight, kOptEx, egoRowAutoHeight, kTreeEx, aoRowAutoHeight},
    {edgoRowSelect, kOpt, egoRowSelect, kTree, aoRowSelect},
    {edgoUseBitmap, kOptEx, egoUseBitmap, kTreeEx, aoUseBitmap},
};

template <class E>
void SetMember(TSet<E>& Set, std::uint8_t Member, bool On)
{
    if (On)
        Set.Include(static_cast<E>(Member));
    else
        Set.Exclude(static_cast<E>(Member));
}

// Copies a grouped set's members to their like-named combined members.
template <class E, std::size_t N>
void CopyToCombined(TSet<E> Group, const TOptionLink (&Links)[N], TdxDBGridOptions& Options,
                    TdxDBGridOptionsEx& OptionsEx)
{
    for (const TOptionLink& l : Links) {
        const bool on = Group.Contains(static_cast<E>(l.Member));
        if (l.CombinedKind == kOpt)
            SetMember(Options, l.Combined, on);
        else if (l.CombinedKind == kOptEx)
            SetMember(OptionsEx, l.Combined, on);
    }
}

// The grouped set a combined pair stands for; members without a combined
// counterpart keep their value in Current.
template <class E, std::size_t N>
TSet<E> FromCombined(TSet<E> Current, const TOptionLink (&Links)[N], TdxDBGridOptions Options,
                     TdxDBGridOptionsEx OptionsEx)
{
    for (const TOptionLink& l : Links) {
        if (l.CombinedKind == kOpt)
            SetMember(Current, l.Member, Options.Contains(static_cast<TdxDBGridOption>(l.Combined)));
        else if (l.CombinedKind == kOptEx)
            SetMember(Current, l.Member, OptionsEx.Contains(static_cast<TdxDBGridOptionEx>(l.Combined)));
    }
    return Current;
}

// Spreads a combined pair over the grouped sets in one update.
void ApplyCombined(TCustomdxDBGrid& Grid, TdxDBGridOptions Options, TdxDBGridOptionsEx OptionsEx)
{
    TUpdateScope<TCustomdxDBGrid> update(Grid);
    Grid.SetOptionsBehavior(FromCombined(Grid.OptionsBehavior(), BehaviorLinks, Options, OptionsEx));
    Grid.SetOptionsCustomize(FromCombined(Grid.OptionsCustomize(), CustomizeLinks, Options, OptionsEx));
    Grid.SetOptionsDB(FromCombined(Grid.OptionsDB(), DBLinks, Options, OptionsEx));
    Grid.SetOptionsView(FromCombined(Grid.OptionsView(), ViewLinks, Options, OptionsEx));
}

template <class E, std::size_t N>
void CopyToTreeList(TCustomdxTreeList& Tree, TSet<E> Group, const TOptionLink (&Links)[N])
{
    TdxTreeListOptions options = Tree.GetOptions();
    TdxTreeListOptionsEx optionsEx = Tree.GetOptionsEx();
    for (const TOptionLink& l : Links) {
        const bool on = Group.Contains(static_cast<E>(l.Member));
        if (l.TreeKind == kTree)
            SetMember(options, l.Tree, on);
        else if (l.TreeKind == kTreeEx)
            SetMember(optionsEx, l.Tree, on);
        else if (l.TreeKind == TOptionTarget::Indicator)
            Tree.SetShowIndicator(on);
    }
    Tree.SetOptions(options);
    Tree.SetOptionsEx(optionsEx);
}

} // namespace

void TCustomdxDBGrid::DeriveCombinedOptions()
{
    TdxDBGridOptions options;
    TdxDBGridOptionsEx optionsEx;
    CopyToCombined(m_optionsBehavior, BehaviorLinks, options, optionsEx);
    CopyToCombined(m_optionsCustomize, CustomizeLinks, options, optionsEx);
    CopyToCombined(m_optionsDB, DBLinks, options, optionsEx);
    CopyToCombined(m_optionsView, ViewLinks, options, optionsEx);
    m_options = options;
    m_optionsEx = optionsEx;
}

void TCustomdxDBGrid::SetOptions(TdxDBGridOptions Value)
{
    if (Value == m_options)
        return;
    ApplyCombined(*this, Value, m_optionsEx);
}

void TCustomdxDBGrid::SetOptionsEx(TdxDBGridOptionsEx Value)
{
    if (Value == m_optionsEx)
        return;
    ApplyCombined(*this, m_options, Value);
}

void TCustomdxDBGrid::SetOptionsBehavior(TdxDBGridOptionsBehavior Value)
{
    if (Value == m_optionsBehavior)
        return;
    const TdxDBGridOptionsBehavior old = m_optionsBehavior;
    TUpdateScope<TCustomdxDBGrid> update(*this);
    m_optionsBehavior = Value;
    CopyToTreeList(*this, Value, BehaviorLinks);
    ApplyGroupedOptions(old, m_optionsDB);
}

void TCustomdxDBGrid::SetOptionsCustomize(TdxDBGridOptionsCustomize Value)
{
    if (Value == m_optionsCustomize)
        return;
    TUpdateScope<TCustomdxDBGrid> update(*this);
    m_optionsCustomize = Value;
    CopyToTreeList(*this, Value, CustomizeLinks);
    ApplyGroupedOptions(m_optionsBehavior, m_optionsDB);
}

void TCustomdxDBGrid::SetOptionsDB(TdxDBGridOptionsDB Value)
{
    if (Value.Contains(edgoLoadAllRecords))
        Value.Exclude(edgoPartialLoad);
    if (Value == m_optionsDB)
        return;
    const TdxDBGridOptionsDB old = m_optionsDB;
    TUpdateScope<TCustomdxDBGrid> update(*this);
    m_optionsDB = Value;
    ApplyGroupedOptions(m_optionsBehavior, old);
}

TdxDBGridOptionsView TCustomdxDBGrid::OptionsView() const
{
    TdxDBGridOptionsView r = m_optionsView;
    SetMember(r, edgoIndicator, ShowIndicator());   // the indicator may be switched on the tree list itself
    return r;
}

void TCustomdxDBGrid::SetOptionsView(TdxDBGridOptionsView Value)
{
    if (Value.Contains(edgoInvertSelect))
        Value.Exclude(edgoRowSelect);
    if (Value == OptionsView())
        return;
    TUpdateScope<TCustomdxDBGrid> update(*this);
    m_optionsView = Value;
    CopyToTreeList(*this, Value, ViewLinks);
    if (Value.Contains(edgoRowSelect))
        TCustomdxTreeList::SetOptionsEx(GetOptionsEx() - TdxTreeListOptionsEx{aoInvertSelect});
    ApplyGroupedOptions(m_optionsBehavior, m_optionsDB);
}

void TCustomdxDBGrid::ApplyGroupedOptions(TdxDBGridOptionsBehavior OldBehavior, TdxDBGridOptionsDB OldDB)
{
    DeriveCombinedOptions();

    const TdxDBGridOptionsBehavior& now = m_optionsBehavior;
    if (now.Contains(edgoAutoSort) != OldBehavior.Contains(edgoAutoSort) ||
        now.Contains(edgoMultiSort) != OldBehavior.Contains(edgoMultiSort)) {
        ApplySortingRule();
        SortNodes();
    }

    const TdxDBGridOptionsDB& db = m_optionsDB;
    const bool loadAll = db.Contains(edgoLoadAllRecords);
    const bool partial = db.Contains(edgoPartialLoad);
    if ((loadAll || partial) && !OldDB.Contains(edgoLoadAllRecords) && !OldDB.Contains(edgoPartialLoad))
        m_defaultFields = false;
    if (db.Contains(edgoUseBookmarks) && !OldDB.Contains(edgoUseBookmarks))
        ClearSelection();
    if (partial != OldDB.Contains(edgoPartialLoad)) {
        m_windowStart = m_windowEnd = false;
        RelinkActive();
    } else if (loadAll != OldDB.Contains(edgoLoadAllRecords) && m_groupColumns.empty()) {
        RelinkActive();
    }
}

void TCustomdxDBGrid::SetDefaultFields(bool Value)
{
    if (Value == m_defaultFields)
        return;
    m_defaultFields = Value;
    m_filter->SetActive(false);
    if (!IsControlLoading() && LinkActive()) {
        RebuildColumns();
        RelinkActive();
    }
}

void TCustomdxDBGrid::SetPartialLoad(bool Value)
{
    TdxDBGridOptionsDB o = m_optionsDB;
    if (Value) {
        o.Include(edgoPartialLoad);
        o.Exclude(edgoLoadAllRecords);
    } else {
        o.Exclude(edgoPartialLoad);
    }
    SetOptionsDB(o);
}

void TCustomdxDBGrid::SetUseBookmarks(bool Value)
{
    TdxDBGridOptionsDB o = m_optionsDB;
    SetMember(o, edgoUseBookmarks, Value);
    SetOptionsDB(o);
}

void TCustomdxDBGrid::SetShowNewItemRow(bool Value)
{
    if (Value == m_showNewItemRow)
        return;
    m_showNewItemRow = Value;
    LayoutChanged();
}

} // namespace qel
