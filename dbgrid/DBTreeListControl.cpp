#include "dbgrid/DBTreeListControl.h"

#include "dbgrid/DBTreeListColumn.h"
#include "dbgrid/detail/RowTextCache.h"
#include "editors/InplaceEdit.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/FreeWatch.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Utf8.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"

#include <algorithm>
#include <atomic>

namespace qel {

namespace {

std::vector<TCustomdxDBTreeListControl*>*& Registry()
{
    static std::vector<TCustomdxDBTreeListControl*>* list = nullptr;
    return list;
}

} // namespace

int dxVarCompare(const Variant& A, const Variant& B)
{
    const int c = Variant::Compare(A, B);
    return (c > 0) - (c < 0);
}

// ----- node -------------------------------------------------------------------------------------

// One slot per column, held by value; lookup keys apart, since few columns have one.
struct TdxDBTreeListControlNode::TRowValues {
    struct TStoredValue {
        Variant Value;
        std::uint8_t Flags = 0;
    };
    std::vector<std::string> Strings;
    std::vector<TStoredValue> Values;
    std::vector<Variant> LookupKeys;
    std::string PreviewText;

    // About what the block takes from the heap.
    std::size_t Bytes() const
    {
        auto text = [](const std::string& S) { return S.capacity() > 15 ? S.capacity() + 1 : 0; };
        std::size_t n = sizeof(TRowValues) + Strings.capacity() * sizeof(std::string) +
                        Values.capacity() * sizeof(TStoredValue) + LookupKeys.capacity() * sizeof(Variant) +
                        text(PreviewText);
        for (const std::string& s : Strings)
            n += text(s);
        return n;
    }
};

TdxDBTreeListControlNode::TdxDBTreeListControlNode(TCustomdxTreeList* Owner) : TdxTreeListNode(Owner) {}

Variant TdxDBTreeListControlNode::Key() const
{
    auto* control = dynamic_cast<const TCustomdxDBTreeListControl*>(Owner());
    return control ? control->NodeKey(this) : Variant::Null();
}

TdxDBTreeListControlNode::~TdxDBTreeListControlNode()
{
    LeaveCache();
}

// Only rows of a data-bound control are ever cached (LoadPendingValues).
void TdxDBTreeListControlNode::LeaveCache()
{
    if (!m_cached)
        return;
    static_cast<TCustomdxDBTreeListControl*>(Owner())->m_rowCache->Remove(this);
    m_cached = false;
}

TdxDBTreeListControlNode::TRowValues& TdxDBTreeListControlNode::Row()
{
    LeaveCache();
    if (!m_row)
        m_row = std::make_unique<TRowValues>();
    return *m_row;
}

const std::string& TdxDBTreeListControlNode::PreviewText() const
{
    static const std::string none;
    EnsureValues();
    return m_row ? m_row->PreviewText : none;
}

void TdxDBTreeListControlNode::SetPreviewText(std::string Value)
{
    EnsureValues();
    if (m_row || !Value.empty())
        Row().PreviewText = std::move(Value);
}

std::string TdxDBTreeListControlNode::OwnString(int Column) const
{
    EnsureValues();
    if (!m_row || Column < 0 || Column >= static_cast<int>(m_row->Strings.size()))
        return {};
    return m_row->Strings[static_cast<std::size_t>(Column)];
}

void TdxDBTreeListControlNode::SetOwnString(int Column, const std::string& Value)
{
    EnsureValues();
    StoreString(Column, Value);
}

void TdxDBTreeListControlNode::StoreString(int Column, const std::string& Value)
{
    if (Column < 0 || (Value.empty() && (!m_row || Column >= static_cast<int>(m_row->Strings.size()))))
        return;
    std::vector<std::string>& strings = Row().Strings;
    GrowToColumn(strings, static_cast<std::size_t>(Column), Owner() ? Owner()->GetColumnCount() : 0);
    strings[static_cast<std::size_t>(Column)] = Value;
}

void TdxDBTreeListControlNode::SetValuesPending(bool Value)
{
    if (Value && m_cached) {
        LeaveCache();
        m_row.reset();
    }
    m_valuesPending = Value;
}

void TdxDBTreeListControlNode::LoadPendingValues() const
{
    // Cleared first: the loading writes through the setters of this node.
    auto* self = const_cast<TdxDBTreeListControlNode*>(this);
    self->m_valuesPending = false;
    auto* control = dynamic_cast<TCustomdxDBTreeListControl*>(Owner());
    if (!control)
        return;
    // A row that holds values of its own (written to before) keeps them as ever.
    const bool fromRecordOnly = !m_row;
    control->LoadPendingNodeValues(self);
    if (fromRecordOnly && m_row && !control->IsControlDestroying()) {
        self->m_cached = true;
        control->m_rowCache->Add(self, m_row->Bytes());
    }
}

void TdxDBTreeListControlNode::TouchCached() const
{
    static_cast<TCustomdxDBTreeListControl*>(Owner())->m_rowCache->Touch(this);
}

void TdxDBTreeListControlNode::ForgetRecordValues()
{
    m_row.reset();
    m_cached = false;
    m_valuesPending = true;
}

TNodeVariantData TdxDBTreeListControlNode::GetVariantData(int Index) const
{
    EnsureValues();
    TNodeVariantData d;
    if (!m_row || Index < 0 || Index >= static_cast<int>(m_row->Values.size()))
        return d;
    const auto& v = m_row->Values[static_cast<std::size_t>(Index)];
    d.Flags = v.Flags;
    if (v.Flags & 1)
        d.Value = v.Value;
    if ((v.Flags & 2) && Index < static_cast<int>(m_row->LookupKeys.size()))
        d.LookupKey = m_row->LookupKeys[static_cast<std::size_t>(Index)];
    return d;
}

const Variant* TdxDBTreeListControlNode::StoredValue(int Index) const
{
    EnsureValues();
    if (!m_row || Index < 0 || Index >= static_cast<int>(m_row->Values.size()))
        return nullptr;
    const auto& v = m_row->Values[static_cast<std::size_t>(Index)];
    return (v.Flags & 1) ? &v.Value : nullptr;
}

void TdxDBTreeListControlNode::SetVariantData(int Index, TNodeVariantData Data)
{
    if (Index < 0)
        return;
    EnsureValues();
    TRowValues& row = Row();
    const auto i = static_cast<std::size_t>(Index);
    GrowToColumn(row.Values, i, Owner() ? Owner()->GetColumnCount() : 0);
    row.Values[i].Flags = Data.Flags;
    row.Values[i].Value = (Data.Flags & 1) ? std::move(Data.Value) : Variant();
    if (Data.Flags & 2) {
        if (i >= row.LookupKeys.size())
            row.LookupKeys.resize(i + 1);
        row.LookupKeys[i] = std::move(Data.LookupKey);
    } else if (i < row.LookupKeys.size()) {
        row.LookupKeys[i] = Variant();
    }
}

void TdxDBTreeListControlNode::MoveColumnSlot(int From, int To)
{
    if (!m_row)
        return;
    qel::MoveColumnSlot(m_row->Strings, From, To);
    qel::MoveColumnSlot(m_row->Values, From, To);
    qel::MoveColumnSlot(m_row->LookupKeys, From, To);
}

void TdxDBTreeListControlNode::ClearVariantData()
{
    if (m_row) {
        TRowValues& row = Row();
        row.Values.clear();
        row.LookupKeys.clear();
    }
}

// ----- data link ---------------------------------------------------------------------------------

TdxDBTreeListControlDataLink::TdxDBTreeListControlDataLink(TCustomdxDBTreeListControl* Control)
    : m_control(Control)
{
    SetVisualControl(true);
}

void TdxDBTreeListControlDataLink::AddToFieldMap(int FieldIndex)
{
    // The map's capacity limit of the stored format.
    constexpr std::size_t MaxEntries = 268435455;
    if (m_fieldMap.size() >= MaxEntries)
        throw EInvaliddxTreeListOperation("Too many fields");
    m_fieldMap.push_back(FieldIndex);
}

TField* TdxDBTreeListControlDataLink::MappedField(int Index) const
{
    TDataSet* ds = DataSet();
    if (!ds || Index < 0 || Index >= FieldMapCount())
        return nullptr;
    const int f = m_fieldMap[static_cast<std::size_t>(Index)];
    if (f < 0 || f >= static_cast<int>(ds->Fields().size()))
        return nullptr;
    return ds->Fields()[static_cast<std::size_t>(f)];
}

void TdxDBTreeListControlDataLink::ActiveChanged()
{
    m_control->DoLinkActive(Active());
}

void TdxDBTreeListControlDataLink::DataSetChanged()
{
    // A control freed meanwhile took this link with it.
    RunThenUnlessFreed(m_control, [&] { m_control->DataChanged(); }, [this] { m_modified = false; });
}

void TdxDBTreeListControlDataLink::DataSetScrolled(int Distance)
{
    m_control->Scroll(-Distance);
}

void TdxDBTreeListControlDataLink::RecordChanged(TField* Field)
{
    // A control freed meanwhile took this link with it.
    RunThenUnlessFreed(m_control, [&] { m_control->RecordChanged(Field); }, [this] { m_modified = false; });
}

void TdxDBTreeListControlDataLink::UpdateData()
{
    const bool modified = m_modified;
    m_modified = false;
    if (modified)
        m_control->UpdateData();
}

void TdxDBTreeListControlDataLink::Reset()
{
    if (m_modified)
        RecordChanged(nullptr);
    else if (DataSet())
        DataSet()->Cancel();
}

void TdxDBTreeListControlDataLink::LayoutChanged()
{
    m_control->LinkLayoutChanged();
}

void TdxDBTreeListControlDataLink::FocusControl(TField*& Field)
{
    m_control->LinkFocusControl(Field);
}

// ----- control -----------------------------------------------------------------------------------

TCustomdxDBTreeListControl::TCustomdxDBTreeListControl(TComponent* AOwner)
    : TCustomdxTreeListControl(AOwner), m_rowCache(std::make_unique<TRowTextCache>())
{
    SetIndicatorWidth(m_grIndicatorWidth);
}

TCustomdxDBTreeListControl::~TCustomdxDBTreeListControl()
{
    m_destroying = true;
    UnregisterDBTreeListControl(this);
    // The rows outlive this part of the control: none may call back into the cache.
    m_rowCache->Clear();
}

std::size_t TCustomdxDBTreeListControl::RowTextCacheLimit() const
{
    return m_rowCache->Limit();
}

void TCustomdxDBTreeListControl::SetRowTextCacheLimit(std::size_t Bytes)
{
    m_rowCache->SetLimit(Bytes);
}

std::size_t TCustomdxDBTreeListControl::RowTextCacheBytes() const
{
    return m_rowCache->Bytes();
}

TDataSource* TCustomdxDBTreeListControl::GetDataSource() const
{
    TdxDBTreeListControlDataLink* link = GetDataLink();
    return link ? link->DataSource() : nullptr;
}

TDataSet* TCustomdxDBTreeListControl::DataSet() const
{
    TdxDBTreeListControlDataLink* link = GetDataLink();
    return link ? link->DataSet() : nullptr;
}

bool TCustomdxDBTreeListControl::LinkActive() const
{
    TdxDBTreeListControlDataLink* link = GetDataLink();
    return link && link->Active();
}

bool TCustomdxDBTreeListControl::IsControlLoading() const
{
    return ComponentState().Contains(csLoading);
}

TdxTreeListNode* TCustomdxDBTreeListControl::CreateNode()
{
    return new TdxDBTreeListControlNode(this);
}

// ----- columns ----------------------------------------------------------------------------------

TdxDBTreeListColumn* TCustomdxDBTreeListControl::FindColumnByFieldName(const std::string& FieldName) const
{
    for (int i = 0; i < GetColumnCount(); ++i) {
        auto* c = dynamic_cast<TdxDBTreeListColumn*>(GetColumnByIndex(i));
        if (c && AnsiCompareText(c->FieldName(), FieldName) == 0)
            return c;
    }
    return nullptr;
}

TdxDBTreeListColumn* TCustomdxDBTreeListControl::ColumnByFieldName(const std::string& FieldName) const
{
    if (TdxDBTreeListColumn* c = FindColumnByFieldName(FieldName))
        return c;
    throw EInvaliddxTreeListOperation(Name() + ": Column by Field ''" + FieldName + "'' not found");
}

TdxDBTreeListColumn* TCustomdxDBTreeListControl::ColumnByName(const std::string& Name) const
{
    return dynamic_cast<TdxDBTreeListColumn*>(TCustomdxTreeListControl::ColumnByName(Name));
}

TdxDBTreeListColumn* TCustomdxDBTreeListControl::GetColumn(int Index) const
{
    return dynamic_cast<TdxDBTreeListColumn*>(GetColumnByIndex(Index));
}

TField* TCustomdxDBTreeListControl::GetFocusedField() const
{
    TdxDBTreeListColumn* c = GetColumn(GetFocusedColumn());
    return c ? c->GetField() : nullptr;
}

void TCustomdxDBTreeListControl::FocusColumnByField(TField* Field)
{
    if (!Field)
        return;
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxDBTreeListColumn* c = GetColumn(i);
        if (c && c->Visible() && c->GetField() == Field) {
            SetFocusedColumn(i);
            return;
        }
    }
}

void TCustomdxDBTreeListControl::CheckNotDefaultFields() const
{
    if (IsDefaultFields() && !m_destroyingColumns)
        throw Exception("DefaultFields property should be set to False");
}

void TCustomdxDBTreeListControl::NameAndAttach(TdxDBTreeListColumn* Column)
{
    std::unique_ptr<TdxDBTreeListColumn> guard(Column->Owner() ? nullptr : Column);
    // A clash raises; try the next number until a name is accepted.
    const int first = GetColumnCount() + 1;
    for (int n = first;; ++n) {
        try {
            Column->SetName(Name() + "Column" + std::to_string(n));
            break;
        } catch (const EComponentError&) {
            if (n - first > 10000)   // not a clash: the name itself is refused
                throw;
        }
    }
    guard.release();
    Column->SetTreeList(this);
}

TdxDBTreeListColumn* TCustomdxDBTreeListControl::CreateColumn(const std::string& ClassName, TComponent* Owner)
{
    CheckNotDefaultFields();
    TComponent* owner = Owner ? Owner : (this->Owner() ? this->Owner() : this);
    std::unique_ptr<TComponent> made(TClassRegistry::Instance().Create(ClassName, nullptr));
    auto* column = dynamic_cast<TdxDBTreeListColumn*>(made.get());
    if (!column)
        throw EInvaliddxTreeListOperation("Class " + ClassName + " is no data-bound column");
    made.release();
    owner->InsertComponent(column);
    NameAndAttach(column);
    return column;
}

void TCustomdxDBTreeListControl::CreateDefaultColumns(TDataSet* DataSet, TComponent* Owner)
{
    if (!DataSet)
        return;
    for (TField* f : DataSet->Fields()) {
        TdxDBTreeListColumn* c = CreateColumn(GetColumnClassForField(f), Owner ? Owner : this);
        c->SetFieldName(f->FieldName());
        c->SetVisible(f->Visible());
    }
}

void TCustomdxDBTreeListControl::DestroyColumns()
{
    if (!m_destroyingColumns && !m_destroying && !IsControlLoading())
        CheckNotDefaultFields();
    TCustomdxTreeListControl::DestroyColumns();
}

std::string TCustomdxDBTreeListControl::GetDefaultColumnClass() const
{
    return "TdxDBTreeListColumn";
}

std::string TCustomdxDBTreeListControl::GetColumnClassForField(TField* /*Field*/) const
{
    return "TdxDBTreeListColumn";
}

void TCustomdxDBTreeListControl::MapColumnFields()
{
    TdxDBTreeListControlDataLink* link = GetDataLink();
    link->ClearFieldMap();
    TDataSet* ds = link->DataSet();
    if (!ds || !link->Active())
        return;
    const auto& fields = ds->Fields();
    if (IsDefaultFields()) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i]->Visible()) {
                link->AddToFieldMap(static_cast<int>(i));
                fields[i]->FreeNotification(this);
            }
        return;
    }
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxDBTreeListColumn* c = GetColumn(i);
        TField* f = c ? ds->FindField(c->FieldName()) : nullptr;
        link->AddToFieldMap(f ? f->Index() : -1);
        if (f)
            f->FreeNotification(this);
    }
}

void TCustomdxDBTreeListControl::RebuildColumns()
{
    HideEditor();
    TdxDBTreeListControlDataLink* link = GetDataLink();
    link->ClearFieldMap();
    if (link->Active())
        MapColumnFields();
    BindPreviewField();
    if (IsDefaultFields()) {
        TValueRestorer<bool> flag(m_destroyingColumns, true);
        if (!link->Active()) {
            DestroyColumns();
        } else {
            for (int i = GetColumnCount() - 1; i >= 0; --i) {
                TdxDBTreeListColumn* c = GetColumn(i);
                bool mapped = false;
                for (int m = 0; m < link->FieldMapCount(); ++m)
                    mapped = mapped || (c && link->MappedField(m) == c->GetField() && c->GetField());
                if (!mapped)
                    delete GetColumnByIndex(i);
            }
        }
        const int count = link->FieldMapCount();
        for (int i = 0; i < count; ++i) {
            TField* f = link->MappedField(i);
            TdxDBTreeListColumn* found = nullptr;
            for (int j = i; j < GetColumnCount() && !found; ++j) {
                TdxDBTreeListColumn* c = GetColumn(j);
                if (c && f && c->GetField() == f)
                    found = c;
            }
            if (!found) {
                found = CreateColumn(f ? GetColumnClassForField(f) : GetDefaultColumnClass(), this);
                if (f) {
                    found->SetFieldName(f->FieldName());
                    found->SetWidth(found->DefaultWidth());
                }
            }
            // Bounded by the column count: every mapped column ends at its field's place.
            if (i < GetColumnCount() && found->GetColumnIndex() != i)
                MoveColumnIndex(found, i);
        }
    } else {
        for (int i = 0; i < GetColumnCount(); ++i)
            if (TdxDBTreeListColumn* c = GetColumn(i))
                c->RebindField();
    }
    RestoreColumnsDefaults();
}

void TCustomdxDBTreeListControl::RestoreColumnsDefaults()
{
    for (int i = 0; i < GetColumnCount(); ++i)
        if (TdxDBTreeListColumn* c = GetColumn(i))
            c->ApplyFieldDefaults();
}

void TCustomdxDBTreeListControl::ColumnRemoved(TdxTreeListColumn* Column, int Index)
{
    TCustomdxTreeListControl::ColumnRemoved(Column, Index);
    MoveRowColumnSlots(Index, -1);
}

void TCustomdxDBTreeListControl::ColumnMoved(int From, int To)
{
    TCustomdxTreeListControl::ColumnMoved(From, To);
    MoveRowColumnSlots(From, To);
}

void TCustomdxDBTreeListControl::MoveRowColumnSlots(int From, int To)
{
    for (TdxTreeListNode* n = GetCount() > 0 ? GetItem(0) : nullptr; n; n = n->GetNext())
        if (auto* row = dynamic_cast<TdxDBTreeListControlNode*>(n))
            row->MoveColumnSlot(From, To);
}

void TCustomdxDBTreeListControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomdxTreeListControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    // A freed field is only a component by now (a cast to TField finds
    // nothing): it is recognised by its address.
    const void* gone = AComponent;
    if (m_keyField == gone)
        m_keyField = nullptr;
    if (m_previewField == gone)
        m_previewField = nullptr;
    for (int i = 0; i < GetColumnCount(); ++i)
        if (TdxDBTreeListColumn* c = GetColumn(i))
            c->FieldRemoved(gone);
}

// ----- key and preview -----------------------------------------------------------------------------

void TCustomdxDBTreeListControl::RelinkActive()
{
    if (IsControlLoading())
        return;
    TdxDBTreeListControlDataLink* link = GetDataLink();
    if (link)
        DoLinkActive(link->Active());
}

void TCustomdxDBTreeListControl::SetKeyField(const std::string& Value)
{
    if (Value == m_keyFieldName)
        return;
    m_keyFieldName = Value;
    RelinkActive();
}

void TCustomdxDBTreeListControl::SetPreviewFieldName(const std::string& Value)
{
    if (Value == m_previewFieldName)
        return;
    m_previewFieldName = Value;
    RelinkActive();
}

void TCustomdxDBTreeListControl::SetPreviewMaxLength(int Value)
{
    Value = std::max(0, Value);
    if (Value == m_previewMaxLength)
        return;
    m_previewMaxLength = Value;
    LayoutChanged();
}

void TCustomdxDBTreeListControl::SetGrIndicatorWidth(int Value)
{
    Value = std::clamp(Value, MinIndicatorWidth, dxMaxTreeListLength);
    if (Value == m_grIndicatorWidth)
        return;
    m_grIndicatorWidth = Value;
    SetIndicatorWidth(Value);
}

std::string TCustomdxDBTreeListControl::TruncPreviewText(const std::string& Text) const
{
    if (m_previewMaxLength < 1 || Utf8Length(Text) <= static_cast<std::size_t>(m_previewMaxLength))
        return Text;
    return Utf8Prefix(Text, static_cast<std::size_t>(m_previewMaxLength)) + "...";
}

void TCustomdxDBTreeListControl::BindPreviewField()
{
    m_previewField = nullptr;
    TDataSet* ds = DataSet();
    if (!ds || !LinkActive() || m_previewFieldName.empty())
        return;
    TField* f = ds->FindField(m_previewFieldName);
    if (f && f->IsBlob()) {
        const TFieldType t = f->DataType();
        if (t != ftBlob && t != ftMemo && t != ftFmtMemo)
            f = nullptr;
    }
    m_previewField = f;
    if (f)
        f->FreeNotification(this);
}

std::string TCustomdxDBTreeListControl::GetPreviewText(TdxTreeListNode* Node) const
{
    auto* n = dynamic_cast<TdxDBTreeListControlNode*>(Node);
    if (n && m_previewField)
        return n->PreviewText();
    return TCustomdxTreeListControl::GetPreviewText(Node);
}

// ----- record to node ------------------------------------------------------------------------------

void TCustomdxDBTreeListControl::LoadColumnValue(TdxDBTreeListControlNode* Node, TdxDBTreeListColumn* Column)
{
    Column->LoadNodeValue(Node);
}

void TCustomdxDBTreeListControl::LoadNodeData(TdxDBTreeListControlNode* Node)
{
    // Everything is read now: nothing is left pending.
    Node->SetValuesPending(false);
    LoadNodeValues(Node);
}

void TCustomdxDBTreeListControl::LoadNodeValues(TdxDBTreeListControlNode* Node, bool Quiet)
{
    TdxDBTreeListControlNode* const filling = m_fillingNode;
    if (Quiet)
        m_fillingNode = Node;
    RunThenUnlessFreed(
        this,
        [&] {
            // Text handlers may free or move columns: each is found again by its identity.
            std::vector<std::uint64_t> columns;
            columns.reserve(static_cast<std::size_t>(GetColumnCount()));
            for (int i = 0; i < GetColumnCount(); ++i)
                if (TdxDBTreeListColumn* c = GetColumn(i); c && c->GetField())
                    columns.push_back(ColumnIdentity(c));
            for (const std::uint64_t identity : columns)
                if (auto* c = dynamic_cast<TdxDBTreeListColumn*>(ColumnByIdentity(identity)); c && c->GetField())
                    LoadColumnValue(Node, c);
            if (!m_previewField)
                return;
            if (!m_previewField->OnGetText) {
                Node->SetPreviewText(TruncPreviewText(m_previewField->Text()));
                return;
            }
            TFreeWatch watch{this};
            std::string text = m_previewField->DisplayText();
            if (watch.Freed(this))
                throw EdxControlFreed(this);
            Node->SetPreviewText(text);
        },
        [&] { m_fillingNode = filling; });
}

void TCustomdxDBTreeListControl::SetNodeString(TdxTreeListNode* Node, int Column, const std::string& Value)
{
    // A row filled on first use may be asked for while painting: no repaint.
    if (Node && Node == m_fillingNode) {
        m_fillingNode->StoreString(Column, Value);
        return;
    }
    TCustomdxTreeListControl::SetNodeString(Node, Column, Value);
}

void TCustomdxDBTreeListControl::DoRefreshNodeData(TdxTreeListNode* Node)
{
    if (OnRefreshNodeData)
        OnRefreshNodeData(this, Node);
}

void TCustomdxDBTreeListControl::DoBeforeCalcSummary()
{
    if (OnBeforeCalcSummary)
        OnBeforeCalcSummary(this);
}

void TCustomdxDBTreeListControl::PrepareFooterSummaries()
{
    TDataSet* ds = DataSet();
    if (!ds)
        return;
    for (int i = 0; i < GetColumnCount(); ++i) {
        TdxDBTreeListColumn* c = GetColumn(i);
        if (!c)
            continue;
        c->SetFooterSummaryField(
            ds->FindField(c->SummaryFooterField().empty() ? c->FieldName() : c->SummaryFooterField()));
        c->SetFooterValue(0, false);
    }
}

void TCustomdxDBTreeListControl::DoChangeNodeEx()
{
    if (IsUpdating())
        return;
    InvalidatePendingFocusRow();
    if (OnChangeNodeEx && LinkActive())
        OnChangeNodeEx(this);
}

TColor TCustomdxDBTreeListControl::GetEditColor() const
{
    TColor color = Color();
    if (OnGetEditColor)
        OnGetEditColor(const_cast<TCustomdxDBTreeListControl*>(this), GetFocusedNode(), color, GetFocusedColumn());
    return color;
}

Variant TCustomdxDBTreeListControl::GetNodeValue(const TdxTreeListNode* Node, int Column) const
{
    if (auto* n = dynamic_cast<const TdxDBTreeListControlNode*>(Node))
        if (const Variant* v = n->StoredValue(Column))
            return *v;
    return TCustomdxTreeListControl::GetNodeValue(Node, Column);
}

int TCustomdxDBTreeListControl::CompareNodeKeys(const Variant& A, const Variant& B)
{
    // Empty keys sort first, so the order stays strict and weak.
    const bool ea = A.IsEmpty(), eb = B.IsEmpty();
    if (ea || eb)
        return ea == eb ? 0 : (ea ? -1 : 1);
    return dxVarCompare(A, B);
}

Variant TCustomdxDBTreeListControl::GetGroupSummaryValue(const TdxTreeListNode* Node, int Column) const
{
    if (auto* n = dynamic_cast<const TdxDBTreeListControlNode*>(Node))
        if (const Variant* v = n->StoredValue(Column))
            return *v;
    const std::string s = GetNodeString(Node, Column);
    return s.empty() ? Variant::Null() : Variant(s);
}

double TCustomdxDBTreeListControl::GetGroupSummaryFloat(const TdxTreeListNode* Node, int Column) const
{
    const Variant v = GetGroupSummaryValue(Node, Column);
    switch (v.VarType()) {
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency: case varDate: case varByte:
        return v.AsDouble();
    default:
        return 0;
    }
}

void TCustomdxDBTreeListControl::FreeEmptyGroupNodes(TdxTreeListNode* Node)
{
    if (!Node)
        return;
    while (Node->Parent() && Node->Parent()->Count() == 1)
        Node = Node->Parent();
    delete Node;
}

void TCustomdxDBTreeListControl::DoDeletion(TdxTreeListNode* Node)
{
    m_editNodes.erase(std::remove(m_editNodes.begin(), m_editNodes.end(), Node), m_editNodes.end());
    TCustomdxTreeListControl::DoDeletion(Node);
}

bool TCustomdxDBTreeListControl::IsEditNode(const TdxTreeListNode* Node) const
{
    return std::find(m_editNodes.begin(), m_editNodes.end(), Node) != m_editNodes.end();
}

// ----- selection ---------------------------------------------------------------------------------------

int TCustomdxDBTreeListControl::CompareBookmarks(const TBookmark& A, const TBookmark& B) const
{
    TDataSet* ds = DataSet();
    if (!LinkActive() || !ds)
        return -1;
    return ds->CompareBookmarks(A, B);
}

bool TCustomdxDBTreeListControl::FindBookmark(const TBookmark& Bookmark, int& Index)
{
    if (m_lastIndex >= 0 && Bookmark == m_lastKey) {
        Index = m_lastIndex;
        return m_lastFound;
    }
    int l = 0, h = SelectedBookmarkCount() - 1;
    bool found = false;
    while (l <= h) {
        const int m = (l + h) / 2;
        const int c = CompareBookmarks(m_selectedBookmarks[static_cast<std::size_t>(m)], Bookmark);
        if (c < 0) {
            l = m + 1;
        } else {
            h = m - 1;
            if (c == 0) {
                found = true;
                l = m;
            }
        }
    }
    Index = l;
    m_lastKey = Bookmark;
    m_lastIndex = l;
    m_lastFound = found;
    return found;
}

bool TCustomdxDBTreeListControl::IndexOfSelectedNodeKey(const TdxDBTreeListControlNode* Node, int& Index) const
{
    // Node-keyed selection is the tree list's own list; its order is the nodes' stable ids.
    std::vector<const TdxDBTreeListControlNode*> nodes;
    for (int i = 0; i < TCustomdxTreeListControl::GetSelectedCount(); ++i)
        if (auto* n = dynamic_cast<const TdxDBTreeListControlNode*>(TCustomdxTreeListControl::GetSelectedItem(i)))
            nodes.push_back(n);
    std::sort(nodes.begin(), nodes.end(), [](auto* A, auto* B) { return A->Id() < B->Id(); });
    auto it = std::lower_bound(nodes.begin(), nodes.end(), Node, [](auto* A, auto* B) { return A->Id() < B->Id(); });
    Index = static_cast<int>(it - nodes.begin());
    return it != nodes.end() && *it == Node;
}

TBookmark TCustomdxDBTreeListControl::GetSelectedBookmark(int Index) const
{
    if (Index < 0 || Index >= SelectedBookmarkCount())
        return {};
    return m_selectedBookmarks[static_cast<std::size_t>(Index)];
}

void TCustomdxDBTreeListControl::AddSelectedBookmark(const TBookmark& Bookmark)
{
    if (Bookmark.empty())
        return;
    int index = 0;
    if (FindBookmark(Bookmark, index))
        return;
    m_selectedBookmarks.insert(m_selectedBookmarks.begin() + index, Bookmark);
    InvalidateBookmarkCache();
}

void TCustomdxDBTreeListControl::RemoveSelectedBookmark(const TBookmark& Bookmark)
{
    int index = 0;
    if (!FindBookmark(Bookmark, index))
        return;
    m_selectedBookmarks.erase(m_selectedBookmarks.begin() + index);
    InvalidateBookmarkCache();
}

void TCustomdxDBTreeListControl::AddSelectedBookmarks(std::vector<TBookmark> Bookmarks)
{
    auto less = [this](const TBookmark& A, const TBookmark& B) { return CompareBookmarks(A, B) < 0; };
    Bookmarks.erase(std::remove(Bookmarks.begin(), Bookmarks.end(), TBookmark()), Bookmarks.end());
    std::sort(Bookmarks.begin(), Bookmarks.end(), less);
    std::vector<TBookmark> merged;
    merged.reserve(Bookmarks.size() + m_selectedBookmarks.size());
    std::merge(m_selectedBookmarks.begin(), m_selectedBookmarks.end(), Bookmarks.begin(), Bookmarks.end(),
               std::back_inserter(merged), less);
    merged.erase(std::unique(merged.begin(), merged.end(),
                             [this](const TBookmark& A, const TBookmark& B) { return CompareBookmarks(A, B) == 0; }),
                 merged.end());
    m_selectedBookmarks = std::move(merged);
    InvalidateBookmarkCache();
}

void TCustomdxDBTreeListControl::RemoveSelectedBookmarks(std::vector<TBookmark> Bookmarks)
{
    if (Bookmarks.empty() || m_selectedBookmarks.empty())
        return;
    auto less = [this](const TBookmark& A, const TBookmark& B) { return CompareBookmarks(A, B) < 0; };
    std::sort(Bookmarks.begin(), Bookmarks.end(), less);
    std::vector<TBookmark> kept;
    kept.reserve(m_selectedBookmarks.size());
    std::set_difference(m_selectedBookmarks.begin(), m_selectedBookmarks.end(), Bookmarks.begin(), Bookmarks.end(),
                        std::back_inserter(kept), less);
    if (kept.size() == m_selectedBookmarks.size())
        return;
    m_selectedBookmarks = std::move(kept);
    InvalidateBookmarkCache();
}

void TCustomdxDBTreeListControl::PurgeSelectedBookmarks()
{
    TDataSet* ds = DataSet();
    if (!ds || !LinkActive())
        return;
    const auto before = m_selectedBookmarks.size();
    std::erase_if(m_selectedBookmarks, [ds](const TBookmark& B) { return !ds->BookmarkValid(B); });
    if (m_selectedBookmarks.size() != before)
        InvalidateBookmarkCache();
}

bool TCustomdxDBTreeListControl::IsBookmarkSelected(const TBookmark& Bookmark)
{
    int index = 0;
    return FindBookmark(Bookmark, index);
}

void TCustomdxDBTreeListControl::ClearSelection()
{
    if (!m_selectedBookmarks.empty() && !m_keepBookmarks) {
        if (!m_destroying)
            DoSelectionRepaint();
        m_selectedBookmarks.clear();
        InvalidateBookmarkCache();
    }
    TCustomdxTreeListControl::ClearSelection();
}

void TCustomdxDBTreeListControl::SelectRange(TdxTreeListNode* From, TdxTreeListNode* To)
{
    TDataSet* ds = DataSet();
    if (ds && IsEditState(ds->State()))
        return;
    if (!IsMultiSelect() || !From || !To)
        return;
    BeginSelection();
    Finally endSelection([this] { EndSelection(); });
    TCustomdxTreeListControl::SelectRange(From, To);
    if (IsBufferMode() || !IsBookmarkSelection() || !LinkActive())
        return;
    int a = GetAbsoluteIndex(From), b = GetAbsoluteIndex(To);
    if (a > b)
        std::swap(a, b);
    std::vector<TBookmark> marks;
    marks.reserve(static_cast<std::size_t>(b - a + 1));
    for (int i = a; i <= b && i >= 0; ++i)
        marks.push_back(NodeBookmark(GetAbsoluteNode(i)));
    AddSelectedBookmarks(std::move(marks));
}

// ----- editing ---------------------------------------------------------------------------------------

bool TCustomdxDBTreeListControl::IsBrowseEmpty() const
{
    TDataSet* ds = DataSet();
    if (!LinkActive() || !ds || !ds->Active() || CanInsertRecords())
        return false;
    return ds->Bof() && ds->Eof() && ds->State() == dsBrowse;
}

bool TCustomdxDBTreeListControl::BeginEditRecord()
{
    TdxDBTreeListControlDataLink* link = GetDataLink();
    if (!CanEditRecords() || IsReadOnlyLink() || !link->Active() || link->ReadOnly() || !GetFocusedNode())
        return false;
    TdxDBTreeListColumn* c = GetColumn(GetFocusedColumn());
    if (!c || c->ReadOnly() || !c->GetField())
        return false;
    TField* f = c->GetField();
    if (!f->CanModify())
        return false;
    if (f->IsBlob() && !f->OnSetText && !c->IsBlobColumn())
        return false;
    if (IsBrowseEmpty())
        return false;
    link->Edit();
    if (link->Editing())
        link->SetModified(true);
    return link->Editing();
}

bool TCustomdxDBTreeListControl::InsertRecord()
{
    TDataSet* ds = DataSet();
    const int col = GetFocusedColumn();
    if (col < 0 || !IsColumnEditable(col) || !ds || !ds->Active() || !CanInsertRecords() || !CanEditRecords())
        return false;
    if (ds->State() != dsInsert)
        ds->Insert();
    bool allow = true;
    if (OnEditingRecord)
        OnEditingRecord(this, GetFocusedNode(), allow);
    return allow;
}

bool TCustomdxDBTreeListControl::IsValidChar(char32_t Key) const
{
    TdxDBTreeListColumn* c = GetColumn(GetFocusedColumn());
    return c ? c->IsValidChar(Key) : true;
}

bool TCustomdxDBTreeListControl::CanShowEditor() const
{
    return TCustomdxTreeListControl::CanShowEditor() && GetFocusedNode() && LinkActive() && CanEditRecords();
}

void TCustomdxDBTreeListControl::WriteEditorValue(const Variant& Value)
{
    TdxTreeListNode* node = GetFocusedNode();
    TdxDBTreeListColumn* c = GetColumn(GetFocusedColumn());
    TDataSet* ds = DataSet();
    m_editValue = Value;
    if (!node || !c)
        return;
    // The column wrote the field already (AssignEditorValue); the node shows the text read back.
    if (ds && IsEditState(ds->State()) && c->GetField()) {
        m_editNodes.push_back(node);
        Finally leave([this, node] {
            m_editNodes.erase(std::remove(m_editNodes.begin(), m_editNodes.end(), node), m_editNodes.end());
        });
        TdxDBTreeListControlNode* n = dynamic_cast<TdxDBTreeListControlNode*>(node);
        if (n)
            c->LoadNodeValue(n);
        if (OnEdited)
            OnEdited(this);
        InvalidateNode(node);
    }
    // Without a modified link the node keeps its text.
}

void TCustomdxDBTreeListControl::UpdateData()
{
    HideEditor();
}

void TCustomdxDBTreeListControl::DoExit()
{
    TdxDBTreeListControlDataLink* link = GetDataLink();
    TDataSet* ds = DataSet();
    if (link && link->Active() && ds) {
        if (IsCancelOnExit() && ds->State() == dsInsert && !ds->Modified() && !link->Modified())
            ds->Cancel();
        else
            link->UpdateRecord();
        if (IsEditState(ds->State()))
            ds->Post();
    }
    TCustomdxTreeListControl::DoExit();
}

void TCustomdxDBTreeListControl::SetFocusedNodeValue(TField* Field, TdxTreeListNode* Node)
{
    if (Node)
        StoreNodeValue(Node);
    TdxDBTreeListColumn* c = GetColumn(GetFocusedColumn());
    if (IsEditing() && c && (!Field || c->GetField() == Field) && !c->SameFieldValue(m_editValue)) {
        ClearSelectionAnchor();
        if (Editor())
            Editor()->SetSelection(0x7FFFFFFF, 0);
    }
}

void TCustomdxDBTreeListControl::RefreshEditorIfChanged()
{
    TdxDBTreeListColumn* c = GetColumn(GetFocusedColumn());
    if (IsEditing() && c && !c->SameFieldValue(m_editValue))
        ClearSelectionAnchor();
}

// ----- registry --------------------------------------------------------------------------------------

void TCustomdxDBTreeListControl::RegisterDBTreeListControl(TCustomdxDBTreeListControl* Control)
{
    auto*& list = Registry();
    if (!list)
        list = new std::vector<TCustomdxDBTreeListControl*>;
    if (std::find(list->begin(), list->end(), Control) == list->end())
        list->push_back(Control);
}

void TCustomdxDBTreeListControl::UnregisterDBTreeListControl(TCustomdxDBTreeListControl* Control)
{
    auto*& list = Registry();
    if (!list)
        return;
    list->erase(std::remove(list->begin(), list->end(), Control), list->end());
    if (list->empty()) {
        delete list;
        list = nullptr;
    }
}

bool TCustomdxDBTreeListControl::FindDBTreeListControlByDataSet(TDataSet* DataSet)
{
    auto* list = Registry();
    if (!list || !DataSet)
        return false;
    for (TCustomdxDBTreeListControl* c : *list)
        if (c->DataSet() == DataSet && c->IsDataSetBusy())
            return true;
    return false;
}

} // namespace qel
