#include "dbgrid/SummaryItems.h"

#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/data/Field.h"
#include "treelist/TreeListTypes.h"

#include <cmath>

namespace qel {

std::string SummaryFormatDefaults(TdxSummaryType SummaryType, bool IsFooter)
{
    switch (SummaryType) {
    case cstSum:
        return IsFooter ? "0.00;-0.00" : "(SUM=0.00);(SUM=-0.00)";
    case cstMin:
        return IsFooter ? "MIN=0.00;MIN=-0.00" : "(MIN=0.00);(MIN=-0.00)";
    case cstMax:
        return IsFooter ? "MAX=0.00;MAX=-0.00" : "(MAX=0.00);(MAX=-0.00)";
    case cstCount:
        return IsFooter ? "0" : "(COUNT=0)";
    case cstAvg:
        return IsFooter ? "AVG=0.00;AVG=-0.00" : "(AVG=0.00);(AVG=-0.00)";
    case cstNone:
        break;
    }
    return {};
}

namespace {

std::string DatePrefix(TdxSummaryType SummaryType, bool IsFooter)
{
    switch (SummaryType) {
    case cstSum:
        return IsFooter ? "" : "(SUM=";
    case cstMin:
        return IsFooter ? "MIN=" : "(MIN=";
    case cstMax:
        return IsFooter ? "MAX=" : "(MAX=";
    case cstAvg:
        return IsFooter ? "AVG=" : "(AVG=";
    default:
        return {};
    }
}

} // namespace

std::string FormatSummaryFieldValue(TdxSummaryType SummaryType, const std::string& Format, const TField* Field,
                                    bool IsFooter, double Value)
{
    TFieldType type = ftUnknown;
    if (Field && SummaryType != cstCount) {
        const TFieldType t = Field->DataType();
        if (t == ftDate || t == ftTime || t == ftDateTime)
            type = t;
    }
    return FormatSummaryValue(SummaryType, Format, type, IsFooter, Value);
}

std::string FormatSummaryValue(TdxSummaryType SummaryType, const std::string& Format, TFieldType FieldType,
                               bool IsFooter, double Value)
{
    if (SummaryType == cstNone)
        return {};
    if (SummaryType != cstCount && (FieldType == ftDate || FieldType == ftTime || FieldType == ftDateTime)) {
        // An explicit format is the prefix text itself, as stored layouts use it.
        const std::string prefix = Format.empty() ? DatePrefix(SummaryType, IsFooter) : Format;
        const std::string suffix = (Format.empty() && !IsFooter) ? ")" : "";
        std::string text;
        switch (FieldType) {
        case ftDate:
            text = DateToStr(Value);
            break;
        case ftTime:
            text = TimeToStr(Value);
            break;
        default:
            text = DateTimeToStr(Value);
            break;
        }
        return prefix + text + suffix;
    }
    return FormatFloat(Format.empty() ? SummaryFormatDefaults(SummaryType, IsFooter) : Format, Value);
}

bool SummaryOperand(const Variant& Value, double& Out)
{
    if (Value.IsEmptyOrNull() || Value.IsArray())
        return false;
    if (Value.IsString())
        return TryStrToFloat(Value.AsString(), Out);
    try {
        Out = Value.AsDouble();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void TdxSummaryValue::Add(TdxSummaryType SummaryType, double Operand, bool HasValue)
{
    switch (SummaryType) {
    case cstNone:
        return;
    case cstCount:
        Assigned = true;
        return;
    case cstSum:
    case cstAvg:
        if (HasValue) {
            Value += Operand;
            ++ValueCount;
        }
        Assigned = true;
        return;
    case cstMin:
    case cstMax:
        if (!HasValue)
            return;
        if (ValueCount == 0 || (SummaryType == cstMin ? Value > Operand : Value < Operand))
            Value = Operand;
        ++ValueCount;
        Assigned = true;
        return;
    }
}

void TdxSummaryValue::Add(TdxSummaryType SummaryType, const Variant& Operand)
{
    double v = 0.0;
    const bool has = SummaryOperand(Operand, v);
    Add(SummaryType, v, has);
}

void TdxSummaryValue::Finish(TdxSummaryType SummaryType, std::int64_t RecordCount)
{
    if (SummaryType == cstCount) {
        Value = static_cast<double>(RecordCount);
        Assigned = true;
    } else if (SummaryType == cstAvg && ValueCount > 0) {
        Value /= static_cast<double>(ValueCount);
    }
}

bool TdxSummaryValue::Shown(TdxSummaryType SummaryType) const
{
    switch (SummaryType) {
    case cstNone:
        return false;
    case cstCount:
    case cstSum:
        return Assigned;
    default:
        return Assigned && ValueCount > 0;
    }
}

bool TdxSummaryValue::ShownInFooter(TdxSummaryType SummaryType) const
{
    return SummaryType == cstMin || SummaryType == cstMax ? Shown(SummaryType) : SummaryType != cstNone;
}

std::string JoinSummaryTexts(const std::string& BeginText, const std::vector<std::string>& Texts,
                             const std::string& Separator, const std::string& EndText)
{
    std::string joined;
    bool any = false;
    for (const std::string& t : Texts) {
        if (t.empty())
            continue;
        if (any)
            joined += Separator;
        joined += t;
        any = true;
    }
    return any ? BeginText + joined + EndText : std::string();
}

// ---------------------------------------------------------------------------

void TdxDBGridSummaryItem::SetColumnName(const std::string& Value)
{
    if (m_columnName == Value)
        return;
    m_columnName = Value;
    Changed(false);
}

void TdxDBGridSummaryItem::SetSummaryField(const std::string& Value)
{
    if (m_summaryField == Value)
        return;
    m_summaryField = Value;
    Changed(false);
}

void TdxDBGridSummaryItem::SetSummaryFormat(const std::string& Value)
{
    if (m_summaryFormat == Value)
        return;
    m_summaryFormat = Value;
    Changed(false);
}

void TdxDBGridSummaryItem::SetSummaryType(TdxSummaryType Value)
{
    if (Value > cstAvg)
        throw EInvaliddxTreeListOperation("Invalid summary type");
    if (m_summaryType == Value)
        return;
    m_summaryType = Value;
    Changed(false);
}

void TdxDBGridSummaryItem::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxDBGridSummaryItem*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    auto assign = [&] {
        SetColumnName(src->m_columnName);
        SetSummaryType(src->m_summaryType);
        SetSummaryField(src->m_summaryField);
        SetSummaryFormat(src->m_summaryFormat);
    };
    if (Collection()) {
        TUpdateScope<TCollection> scope(*Collection());
        assign();
    } else {
        assign();
    }
}

TdxDBGridSummaryItems::TdxDBGridSummaryItems(TdxDBGridSummaryGroup* Group)
    : TCollection([](TCollection* C) -> TCollectionItem* { return new TdxDBGridSummaryItem(C); },
                  "TdxDBGridSummaryItem", Group),
      m_group(Group)
{
}

int TdxDBGridSummaryItems::IndexOfColumn(const std::string& ColumnName) const
{
    if (ColumnName.empty())
        return -1;
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->ColumnName(), ColumnName))
            return i;
    return -1;
}

bool TdxDBGridSummaryItems::HasColumnItems() const
{
    for (int i = 0; i < Count(); ++i)
        if (!Items(i)->ColumnName().empty())
            return true;
    return false;
}

void TdxDBGridSummaryItems::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    if (m_group)
        m_group->ItemsChanged();
}

// ---------------------------------------------------------------------------

TdxDBGridSummaryGroup::TdxDBGridSummaryGroup(TCollection* Collection)
    : TCollectionItem(Collection), m_summaryItems(std::make_unique<TdxDBGridSummaryItems>(this))
{
}

// The items go first, so that their removal reaches no half-destroyed group.
TdxDBGridSummaryGroup::~TdxDBGridSummaryGroup()
{
    auto items = std::move(m_summaryItems);
}

void TdxDBGridSummaryGroup::SetName(const std::string& Value)
{
    if (Value.empty())
        throw EInvaliddxTreeListOperation("Invalidate group name!");
    if (Value == m_name)
        return;
    if (TCollection* c = Collection())
        for (int i = 0; i < c->Count(); ++i) {
            auto* g = static_cast<TdxDBGridSummaryGroup*>(c->Items(i));
            if (g != this && g->m_name == Value)
                throw EInvaliddxTreeListOperation("Invalidate group name: duplicate!");
        }
    m_name = Value;
    Changed(false);
}

void TdxDBGridSummaryGroup::SetDefaultGroup(bool Value)
{
    if (Value == m_defaultGroup)
        return;
    TCollection* c = Collection();
    if (Value && c) {
        TUpdateScope<TCollection> scope(*c);
        for (int i = 0; i < c->Count(); ++i)
            static_cast<TdxDBGridSummaryGroup*>(c->Items(i))->m_defaultGroup = false;
        m_defaultGroup = true;
        return;   // the scope's end reports the change of the whole list
    }
    m_defaultGroup = Value;
    Changed(false);
}

void TdxDBGridSummaryGroup::SetBeginSummaryText(const std::string& Value)
{
    if (m_beginSummaryText == Value)
        return;
    m_beginSummaryText = Value;
    Changed(false);
}

void TdxDBGridSummaryGroup::SetEndSummaryText(const std::string& Value)
{
    if (m_endSummaryText == Value)
        return;
    m_endSummaryText = Value;
    Changed(false);
}

void TdxDBGridSummaryGroup::SetSummaryItems(TdxDBGridSummaryItems* Value)
{
    m_summaryItems->Assign(Value);
}

std::string TdxDBGridSummaryGroup::DisplayName() const
{
    return m_name.empty() ? TCollectionItem::DisplayName() : m_name;
}

void TdxDBGridSummaryGroup::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxDBGridSummaryGroup*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    auto assign = [&] {
        SetBeginSummaryText(src->m_beginSummaryText);
        SetEndSummaryText(src->m_endSummaryText);
        SetDefaultGroup(src->m_defaultGroup);
        m_summaryItems->Assign(src->m_summaryItems.get());
        // A copy into a fresh item of the same list keeps an empty name
        // rather than clashing with its source.
        if (!src->m_name.empty() && !(Collection() && Collection() == src->Collection()))
            SetName(src->m_name);
    };
    if (Collection()) {
        TUpdateScope<TCollection> scope(*Collection());
        assign();
    } else {
        assign();
    }
}

void TdxDBGridSummaryGroup::ItemsChanged()
{
    if (auto* groups = dynamic_cast<TdxDBGridSummaryGroups*>(Collection()))
        if (groups->UpdateCount() == 0 && Index() >= 0)
            groups->m_changes.Notify(groups);
}

TdxDBGridSummaryGroups::TdxDBGridSummaryGroups(TPersistent* Control)
    : TCollection([](TCollection* C) -> TCollectionItem* { return new TdxDBGridSummaryGroup(C); },
                  "TdxDBGridSummaryGroup", Control)
{
}

TdxDBGridSummaryGroup* TdxDBGridSummaryGroups::FindDefaultGroup() const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->DefaultGroup())
            return Items(i);
    return nullptr;
}

TdxDBGridSummaryGroup* TdxDBGridSummaryGroups::FindGroupByName(const std::string& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items(i)->Name(), Name))
            return Items(i);
    return nullptr;
}

void TdxDBGridSummaryGroups::RenameColumn(const std::string& OldName, const std::string& NewName)
{
    if (OldName.empty())
        return;
    TUpdateScope<TCollection> scope(*this);
    for (int i = 0; i < Count(); ++i) {
        TdxDBGridSummaryItems* items = Items(i)->SummaryItems();
        for (int j = 0; j < items->Count(); ++j)
            if (SameText(items->Items(j)->ColumnName(), OldName))
                items->Items(j)->SetColumnName(NewName);
    }
}

void TdxDBGridSummaryGroups::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    m_changes.Notify(this);
}

} // namespace qel
