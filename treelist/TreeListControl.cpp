#include "treelist/TreeListControl.h"

#include "editors/RegIniWrapper.h"
#include "platform/core/Locale.h"
#include "platform/storage/Registry.h"

#include <algorithm>
#include <climits>

namespace qel {

TCustomdxTreeListControl::TCustomdxTreeListControl(TComponent* AOwner)
    : TCustomdxTreeList(AOwner), m_bands(this)
{
    m_bands.Add();
}

TCustomdxTreeListControl::~TCustomdxTreeListControl()
{
    m_destroyingColumns = true;
    ClearNodes();
    // Columns are the owner's components; the control only lets go of them.
    for (TdxTreeListColumn* c : m_columns) {
        c->m_treeList = nullptr;
        m_columnIdentities.Withdraw(c->m_identity);
    }
    m_columns.clear();
}

TdxTreeListColumn* TCustomdxTreeListControl::GetColumnByIndex(int Index) const
{
    if (Index < 0 || Index >= GetColumnCount())
        return nullptr;
    return m_columns[static_cast<std::size_t>(Index)];
}

TdxTreeListColumn* TCustomdxTreeListControl::ColumnByName(const std::string& Name) const
{
    for (TdxTreeListColumn* c : m_columns)
        if (!c->Name().empty() && AnsiCompareText(c->Name(), Name) == 0)
            return c;
    return nullptr;
}

void TCustomdxTreeListControl::DestroyColumns()
{
    TUpdateScope<TCustomdxTreeList> scope(*this);
    while (!m_columns.empty())
        delete m_columns.back();
}

void TCustomdxTreeListControl::RestoreColumnsDefaults()
{
    TUpdateScope<TCustomdxTreeList> scope(*this);
    for (TdxTreeListColumn* c : m_columns)
        c->RestoreDefaults();
}

std::uint64_t TCustomdxTreeListControl::ColumnIdentity(const TdxTreeListColumn* Column)
{
    if (!Column || Column->m_treeList != this)
        return 0;
    auto* column = const_cast<TdxTreeListColumn*>(Column);
    return m_columnIdentities.Publish(column, column->m_identity);
}

void TCustomdxTreeListControl::AddColumn(TdxTreeListColumn* Column)
{
    if (Column->m_treeList == this)
        return;
    Column->m_treeList = this;
    m_columns.push_back(Column);
    if (Column->m_sorted != csNone)
        AddSortedColumn(GetColumnCount() - 1);
    if (GetFocusedColumn() < 0 && Column->Visible())
        SetFocusedColumn(GetColumnCount() - 1);
    ColumnsChanged();
}

void TCustomdxTreeListControl::RemoveColumn(TdxTreeListColumn* Column)
{
    auto it = std::find(m_columns.begin(), m_columns.end(), Column);
    if (it == m_columns.end())
        return;
    const int index = static_cast<int>(it - m_columns.begin());
    if (GetFocusedColumn() == index)
        HideEditor();
    m_columns.erase(it);
    m_columnIdentities.Withdraw(Column->m_identity);
    NoteRemoval();
    Column->m_treeList = nullptr;
    // Column indexes after the removed one move down by one.
    std::vector<int> sorted = SortedColumns();
    TCustomdxTreeList::ClearSorting();
    for (int c : sorted)
        if (c != index)
            AddSortedColumn(c > index ? c - 1 : c);
    if (!m_destroyingColumns) {
        const int focused = GetFocusedColumn();
        if (focused == index)
            SetFocusedColumn(-1);
        else if (focused > index)
            SetFocusedColumn(focused - 1);
    }
    ColumnRemoved(Column, index);
    ColumnsChanged();
}

void TCustomdxTreeListControl::MoveColumnIndex(TdxTreeListColumn* Column, int NewIndex)
{
    auto it = std::find(m_columns.begin(), m_columns.end(), Column);
    if (it == m_columns.end())
        return;
    const int old = static_cast<int>(it - m_columns.begin());
    NewIndex = std::clamp(NewIndex, 0, GetColumnCount() - 1);
    if (old == NewIndex)
        return;
    HideEditor();
    TdxTreeListColumn* focused = GetColumnByIndex(GetFocusedColumn());
    std::vector<TdxTreeListColumn*> sorted;
    for (int c : SortedColumns())
        sorted.push_back(GetColumnByIndex(c));
    m_columns.erase(it);
    m_columns.insert(m_columns.begin() + NewIndex, Column);
    TCustomdxTreeList::ClearSorting();
    for (TdxTreeListColumn* c : sorted)
        AddSortedColumn(c->GetColumnIndex());
    if (focused)
        SetFocusedColumn(focused->GetColumnIndex());
    ColumnMoved(old, NewIndex);
    ColumnsChanged();
}

void TCustomdxTreeListControl::ColumnsChanged()
{
    m_map.Valid = false;
    HeaderChanged();
}

// ----- header map ---------------------------------------------------------------------------------

const TCustomdxTreeListControl::THeaderMap& TCustomdxTreeListControl::Map() const
{
    if (m_map.Valid)
        return m_map;
    THeaderMap& m = m_map;
    const int bands = m_bands.VisibleCount();
    const int panelRows = HeaderPanelRowCount();
    m.Rows.assign(static_cast<std::size_t>(bands), {});
    m.Order.clear();
    m.VisibleIndex.assign(m_columns.size(), -1);
    m.BandOf.assign(m_columns.size(), -1);
    // Rows used per band: the highest row index of its visible columns, within the panel.
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const TdxTreeListColumn* c = m_columns[i];
        const int band = m_bands.AbsoluteToVisible(c->m_bandIndex);
        if (!c->m_visible || band < 0)
            continue;
        const int row = std::min(c->m_rowIndex, panelRows - 1);
        auto& rows = m.Rows[static_cast<std::size_t>(band)];
        if (static_cast<int>(rows.size()) <= row)
            rows.resize(static_cast<std::size_t>(row) + 1);
        rows[static_cast<std::size_t>(row)].push_back(static_cast<int>(i));
        m.BandOf[i] = band;
    }
    for (auto& rows : m.Rows) {
        if (rows.empty())
            rows.resize(1);
        for (auto& row : rows) {
            std::stable_sort(row.begin(), row.end(), [this](int A, int B) {
                const int ka = m_columns[static_cast<std::size_t>(A)]->m_colIndex;
                const int kb = m_columns[static_cast<std::size_t>(B)]->m_colIndex;
                return (ka < 0 ? INT_MAX : ka) < (kb < 0 ? INT_MAX : kb);
            });
            // Positions become the stored places, so a later insert keeps this order.
            for (std::size_t p = 0; p < row.size(); ++p)
                m_columns[static_cast<std::size_t>(row[p])]->m_colIndex = static_cast<int>(p);
            for (int c : row) {
                m.VisibleIndex[static_cast<std::size_t>(c)] = static_cast<int>(m.Order.size());
                m.Order.push_back(c);
            }
        }
    }
    m.Valid = true;
    return m;
}

int TCustomdxTreeListControl::GetVisibleBandCount() const
{
    return m_bands.VisibleCount();
}

void TCustomdxTreeListControl::GetBandCaption(int VisibleBand, std::string& Text) const
{
    const TdxTreeListBand* b = m_bands.VisibleItem(VisibleBand);
    Text = b ? b->Caption() : std::string();
}

TAlignment TCustomdxTreeListControl::GetBandAlignment(int VisibleBand) const
{
    const TdxTreeListBand* b = m_bands.VisibleItem(VisibleBand);
    return b ? b->Alignment() : taCenter;
}

int TCustomdxTreeListControl::GetBandRowCount(int VisibleBand) const
{
    const auto& m = Map();
    if (VisibleBand < 0 || VisibleBand >= static_cast<int>(m.Rows.size()))
        return 0;
    return static_cast<int>(m.Rows[static_cast<std::size_t>(VisibleBand)].size());
}

int TCustomdxTreeListControl::GetBandRowColumnCount(int VisibleBand, int Row) const
{
    if (Row < 0 || Row >= GetBandRowCount(VisibleBand))
        return 0;
    return static_cast<int>(Map().Rows[static_cast<std::size_t>(VisibleBand)][static_cast<std::size_t>(Row)].size());
}

int TCustomdxTreeListControl::GetHeaderColumnIndex(int VisibleBand, int Row, int Position) const
{
    if (Position < 0 || Position >= GetBandRowColumnCount(VisibleBand, Row))
        return -1;
    return Map().Rows[static_cast<std::size_t>(VisibleBand)][static_cast<std::size_t>(Row)]
                     [static_cast<std::size_t>(Position)];
}

bool TCustomdxTreeListControl::IsColumnShown(int Column) const
{
    const auto& m = Map();
    return Column >= 0 && Column < static_cast<int>(m.VisibleIndex.size()) &&
           m.VisibleIndex[static_cast<std::size_t>(Column)] >= 0;
}

int TCustomdxTreeListControl::GetVisibleColumnCount() const
{
    return static_cast<int>(Map().Order.size());
}

int TCustomdxTreeListControl::GetVisibleColumn(int N) const
{
    const auto& m = Map();
    if (N < 0 || N >= static_cast<int>(m.Order.size()))
        return -1;
    return m.Order[static_cast<std::size_t>(N)];
}

int TCustomdxTreeListControl::GetColumnVisibleIndex(int Column) const
{
    return IsColumnShown(Column) ? Map().VisibleIndex[static_cast<std::size_t>(Column)] : -1;
}

int TCustomdxTreeListControl::GetColumnWidth(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return c ? c->Width() : 0;
}

int TCustomdxTreeListControl::GetColumnMinWidth(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return c ? c->MinWidth() : 0;
}

void TCustomdxTreeListControl::SetColumnWidth(int Column, int Width)
{
    if (TdxTreeListColumn* c = GetColumnByIndex(Column)) {
        // The band follows its columns when it had no width of its own.
        int band = -1, row = -1, pos = -1;
        GetColumnPlace(Column, band, row, pos);
        if (TdxTreeListBand* b = m_bands.VisibleItem(band); b && b->Width() > 0)
            b->SetWidth(b->Width() + Width - GetColumnDisplayWidth(Column));
        c->SetWidth(Width);
    }
}

int TCustomdxTreeListControl::GetBandMinWidth(int VisibleBand) const
{
    const TdxTreeListBand* b = m_bands.VisibleItem(VisibleBand);
    return b ? b->MinWidth() : 0;
}

void TCustomdxTreeListControl::SetBandWidth(int VisibleBand, int Width)
{
    if (TdxTreeListBand* b = m_bands.VisibleItem(VisibleBand))
        b->SetWidth(Width);
}

std::string TCustomdxTreeListControl::GetColumnCaption(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return c ? c->Caption() : std::string();
}

TAlignment TCustomdxTreeListControl::GetColumnAlignmentByIndex(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return c ? c->Alignment() : taLeftJustify;
}

TAlignment TCustomdxTreeListControl::GetColumnHeaderAlignment(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return c ? c->HeaderAlignment() : taLeftJustify;
}

TdxTreeListColumnSort TCustomdxTreeListControl::GetColumnSorted(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return c ? c->Sorted() : csNone;
}

TColor TCustomdxTreeListControl::GetColumnColor(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return c ? c->Color() : clNone;
}

TFont* TCustomdxTreeListControl::GetColumnFont(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return (c && !c->ParentFont()) ? c->Font() : Font();
}

bool TCustomdxTreeListControl::IsColumnReadOnly(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return !c || c->ReadOnly();
}

bool TCustomdxTreeListControl::CanColumnBeDragged(int Column) const
{
    const TdxTreeListColumn* c = GetColumnByIndex(Column);
    return c && !c->DisableDragging();
}

bool TCustomdxTreeListControl::CanBandBeDragged(int VisibleBand) const
{
    const TdxTreeListBand* b = m_bands.VisibleItem(VisibleBand);
    return b && !b->DisableDragging();
}

void TCustomdxTreeListControl::MoveColumnTo(int Column, int VisibleBand, int Row, int Position)
{
    TdxTreeListColumn* c = GetColumnByIndex(Column);
    const int bandIndex = m_bands.VisibleToAbsolute(VisibleBand);
    if (!c || bandIndex < 0)
        return;
    Row = std::clamp(Row, 0, HeaderPanelRowCount() - 1);
    // The target row as it is now, without the moved column.
    std::vector<int> row;
    if (VisibleBand < static_cast<int>(Map().Rows.size()) &&
        Row < static_cast<int>(Map().Rows[static_cast<std::size_t>(VisibleBand)].size()))
        row = Map().Rows[static_cast<std::size_t>(VisibleBand)][static_cast<std::size_t>(Row)];
    const auto old = std::find(row.begin(), row.end(), Column);
    if (old != row.end()) {
        if (old - row.begin() < Position)
            --Position;
        row.erase(old);
    }
    Position = std::clamp(Position, 0, static_cast<int>(row.size()));
    row.insert(row.begin() + Position, Column);
    c->m_bandIndex = bandIndex;
    c->m_rowIndex = Row;
    for (std::size_t p = 0; p < row.size(); ++p)
        m_columns[static_cast<std::size_t>(row[p])]->m_colIndex = static_cast<int>(p);
    ColumnsChanged();
}

void TCustomdxTreeListControl::MoveBandTo(int VisibleBand, int NewVisibleBand)
{
    const int from = m_bands.VisibleToAbsolute(VisibleBand);
    const int to = m_bands.VisibleToAbsolute(NewVisibleBand);
    if (from < 0 || to < 0 || from == to)
        return;
    // Columns name their band by index: carry them along with the moved bands.
    std::vector<const TdxTreeListBand*> before;
    for (int b = 0; b < m_bands.Count(); ++b)
        before.push_back(m_bands.GetItem(b));
    m_bands.Move(from, to);
    for (TdxTreeListColumn* c : m_columns)
        if (c->m_bandIndex >= 0 && c->m_bandIndex < static_cast<int>(before.size()))
            c->m_bandIndex = m_bands.IndexOf(before[static_cast<std::size_t>(c->m_bandIndex)]);
    ColumnsChanged();
}

void TCustomdxTreeListControl::SetColumnVisible(int Column, bool Visible)
{
    if (TdxTreeListColumn* c = GetColumnByIndex(Column))
        c->SetVisible(Visible);
}

void TCustomdxTreeListControl::ToggleColumnSort(int Column, bool Multi)
{
    TdxTreeListColumn* c = GetColumnByIndex(Column);
    if (!c)
        return;
    const TdxTreeListColumnSort next = c->Sorted() == csDown ? csUp : csDown;
    TUpdateScope<TCustomdxTreeList> scope(*this);
    if (!Multi) {
        for (TdxTreeListColumn* other : m_columns)
            if (other != c && !KeepsSortDirection(other))
                other->m_sorted = csNone;
        TCustomdxTreeList::ClearSorting();
    }
    c->m_sorted = next;
    AddSortedColumn(Column);
    SortNodes();
    ColumnsChanged();
}

void TCustomdxTreeListControl::ClearSorting()
{
    TCustomdxTreeList::ClearSorting();
    for (TdxTreeListColumn* c : m_columns)
        if (!KeepsSortDirection(c))
            c->m_sorted = csNone;
    ColumnsChanged();
}

std::string TCustomdxTreeListControl::GetCellText(TdxTreeListNode* Node, int Column) const
{
    return DoColumnNodeText(Node, GetColumnByIndex(Column));
}

std::string TCustomdxTreeListControl::DoColumnNodeText(TdxTreeListNode* Node, TdxTreeListColumn* Column) const
{
    if (!Node || !Column)
        return {};
    return Column->GetDisplayText(Node);
}

// ----- layout storage -------------------------------------------------------------------------------

namespace {
struct TStoredColumn {
    TdxTreeListColumn* Column = nullptr;
    int Index = -1;
    int Width = 0;
    bool Visible = true;
    int BandIndex = 0;
    int RowIndex = 0;
    int ColIndex = -1;
    int Sorted = 0;
    int SortIndex = -1;
};
} // namespace

void TCustomdxTreeListControl::SaveColumnLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section,
                                                TdxTreeListColumn* Column)
{
    namespace N = TreeListLayoutNames;
    Storage.WriteInteger(Section, N::Index, Column->GetColumnIndex());
    Storage.WriteInteger(Section, N::Width, Column->Width());
    Storage.WriteBool(Section, N::Visible, Column->Visible());
    Storage.WriteInteger(Section, N::BandIndex, Column->BandIndex());
    Storage.WriteInteger(Section, N::RowIndex, Column->RowIndex());
    Storage.WriteInteger(Section, N::ColIndex, Column->ColIndex());
    Storage.WriteInteger(Section, N::Sorted, static_cast<int>(Column->Sorted()));
    const auto& sorted = SortedColumns();
    const auto it = std::find(sorted.begin(), sorted.end(), Column->GetColumnIndex());
    Storage.WriteInteger(Section, N::SortIndex, it == sorted.end() ? -1 : static_cast<int>(it - sorted.begin()));
}

void TCustomdxTreeListControl::LoadColumnLayout(TdxTreeListLayoutStorage&, const std::string&, TdxTreeListColumn*)
{
    // The tree list's own column values are read together by RestoreLayout,
    // which checks them as a whole; the grid adds its values here.
}

void TCustomdxTreeListControl::SaveControlLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section)
{
    namespace N = TreeListLayoutNames;
    Storage.WriteInteger(Section, N::ColumnCount, GetColumnCount());
    Storage.WriteInteger(Section, N::BandCount, m_bands.Count());
    Storage.WriteInteger(Section, N::HeaderPanelRowCount, HeaderPanelRowCount());
    Storage.WriteInteger(Section, N::SortCount, static_cast<int>(SortedColumns().size()));
}

void TCustomdxTreeListControl::LoadControlLayout(TdxTreeListLayoutStorage&, const std::string&) {}

void TCustomdxTreeListControl::StoreLayout(TdxTreeListLayoutStorage& Storage)
{
    namespace N = TreeListLayoutNames;
    // Current positions first, so a stored ColIndex is the shown order.
    (void)Map();
    const std::string name = LayoutName();
    SaveControlLayout(Storage, N::ControlSection(name));
    for (int b = 0; b < m_bands.Count(); ++b) {
        const std::string section = N::BandSection(name, b);
        Storage.WriteInteger(section, N::Width, m_bands.GetItem(b)->Width());
        Storage.WriteBool(section, N::Visible, m_bands.GetItem(b)->Visible());
    }
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxTreeListColumn* c = GetColumnByIndex(i);
        SaveColumnLayout(Storage, N::ColumnSection(name, c->Name(), i), c);
    }
}

void TCustomdxTreeListControl::RestoreLayout(TdxTreeListLayoutStorage& Storage)
{
    namespace N = TreeListLayoutNames;
    const std::string name = LayoutName();
    const std::string control = N::ControlSection(name);
    // Read and check everything before anything changes.
    const int headerRows = std::clamp(Storage.ReadInteger(control, N::HeaderPanelRowCount, HeaderPanelRowCount()), 1,
                                      dxMaxHeaderPanelRowCount);
    struct TStoredBand { int Width; bool Visible; };
    std::vector<TStoredBand> bands;
    for (int b = 0; b < m_bands.Count(); ++b) {
        const std::string section = N::BandSection(name, b);
        const TdxTreeListBand* band = m_bands.GetItem(b);
        bands.push_back({std::clamp(Storage.ReadInteger(section, N::Width, band->Width()), 0, dxMaxTreeListLength),
                         Storage.ReadBool(section, N::Visible, band->Visible())});
    }
    std::vector<TStoredColumn> columns;
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxTreeListColumn* c = GetColumnByIndex(i);
        const std::string section = N::ColumnSection(name, c->Name(), i);
        TStoredColumn s;
        s.Column = c;
        s.Index = Storage.ReadInteger(section, N::Index, i);
        s.Width = std::clamp(Storage.ReadInteger(section, N::Width, c->Width()), c->MinWidth(), dxMaxTreeListLength);
        s.Visible = Storage.ReadBool(section, N::Visible, c->Visible());
        s.BandIndex = Storage.ReadInteger(section, N::BandIndex, c->BandIndex());
        if (s.BandIndex < 0 || s.BandIndex >= m_bands.Count())
            s.BandIndex = c->BandIndex();
        s.RowIndex = std::clamp(Storage.ReadInteger(section, N::RowIndex, c->RowIndex()), 0, headerRows - 1);
        s.ColIndex = std::max(-1, Storage.ReadInteger(section, N::ColIndex, c->ColIndex()));
        s.Sorted = Storage.ReadInteger(section, N::Sorted, static_cast<int>(c->Sorted()));
        if (s.Sorted < csNone || s.Sorted > csUp)
            s.Sorted = csNone;
        s.SortIndex = s.Sorted == csNone ? -1 : Storage.ReadInteger(section, N::SortIndex, -1);
        columns.push_back(s);
    }
    TUpdateScope<TCustomdxTreeList> scope(*this);
    SetHeaderPanelRowCount(headerRows);
    for (int b = 0; b < static_cast<int>(bands.size()); ++b) {
        m_bands.GetItem(b)->SetWidth(bands[static_cast<std::size_t>(b)].Width);
        m_bands.GetItem(b)->SetVisible(bands[static_cast<std::size_t>(b)].Visible);
    }
    // Column list order: by stored index; ties and unknown indexes keep their order.
    std::stable_sort(columns.begin(), columns.end(),
                     [](const TStoredColumn& A, const TStoredColumn& B) { return A.Index < B.Index; });
    TdxTreeListColumn* focused = GetColumnByIndex(GetFocusedColumn());
    for (std::size_t i = 0; i < columns.size(); ++i)
        m_columns[i] = columns[i].Column;
    TCustomdxTreeList::ClearSorting();
    for (const TStoredColumn& s : columns) {
        TdxTreeListColumn* c = s.Column;
        c->m_width = s.Width;
        c->m_visible = s.Visible;
        c->m_bandIndex = s.BandIndex;
        c->m_rowIndex = s.RowIndex;
        c->m_colIndex = s.ColIndex;
        c->m_sorted = static_cast<TdxTreeListColumnSort>(s.Sorted);
    }
    std::vector<const TStoredColumn*> sorted;
    for (const TStoredColumn& s : columns)
        if (s.Sorted != csNone)
            sorted.push_back(&s);
    std::stable_sort(sorted.begin(), sorted.end(), [](const TStoredColumn* A, const TStoredColumn* B) {
        return (A->SortIndex < 0 ? INT_MAX : A->SortIndex) < (B->SortIndex < 0 ? INT_MAX : B->SortIndex);
    });
    for (const TStoredColumn* s : sorted)
        AddSortedColumn(s->Column->GetColumnIndex());
    SetFocusedColumn(focused ? focused->GetColumnIndex() : -1);
    LoadControlLayout(Storage, control);
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxTreeListColumn* c = GetColumnByIndex(i);
        LoadColumnLayout(Storage, N::ColumnSection(name, c->Name(), i), c);
    }
    ColumnsChanged();
    SortNodes();
}

void TCustomdxTreeListControl::StoreLayout(TdxRegIniWrapper& Wrapper)
{
    // One write of the settings file for the whole layout, not one per value.
    TUpdateScope<TSettingsStore> batch(SettingsStore());
    TdxTreeListRegIniLayoutStorage storage(Wrapper);
    StoreLayout(static_cast<TdxTreeListLayoutStorage&>(storage));
}

void TCustomdxTreeListControl::RestoreLayout(TdxRegIniWrapper& Wrapper)
{
    TdxTreeListRegIniLayoutStorage storage(Wrapper);
    RestoreLayout(static_cast<TdxTreeListLayoutStorage&>(storage));
}

// ----- TdxTreeList ----------------------------------------------------------------------------------

TdxTreeListNode* TdxTreeList::CreateNode()
{
    return new TdxTreeListTextNode(this);
}

} // namespace qel
