#pragma once
// A criteria over plain records (column name -> value) for the criteria
// tests, and a builder for hand-written stream bytes.
#include "dbgrid/Criteria.h"
#include "platform/core/Stream.h"
#include "platform/data/FilterExpression.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace qel::test {

using TestRecord = std::map<std::string, Variant>;

class TTestCriteriaItem : public TdxCriteriaItem {
public:
    using TdxCriteriaItem::TdxCriteriaItem;

    Variant GetDataValue(void* Data) const override
    {
        const auto& record = *static_cast<const TestRecord*>(Data);
        auto it = record.find(ColumnName());
        return it == record.end() ? Variant::Null() : it->second;
    }
    // Distinct from the caption, so tests see which one a text used.
    std::string GetFilterName() const override { return "f" + ColumnName(); }
};

class TTestCriteria : public TdxCriteria {
public:
    TdxCriteriaItemClass GetItemClass() const override
    {
        return [](TdxCriteriaItemList* Parent) -> std::unique_ptr<TdxCriteriaItem> {
            return std::make_unique<TTestCriteriaItem>(Parent);
        };
    }
    Variant PrepareValue(const Variant& Value) const override
    {
        ++PrepareCount;
        if (UpperCase && Value.IsString()) {
            std::string s = Value.AsString();
            for (char& c : s)
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>(c - 'a' + 'A');
            return Variant(s);
        }
        return Value;
    }

    bool UpperCase = false;
    mutable int PrepareCount = 0;
};

// Stream bytes written out by hand.
class Bytes {
public:
    Bytes& operator()(std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            m_s += static_cast<char>(b);
        return *this;
    }
    Bytes& I32(std::int32_t v)
    {
        auto u = static_cast<std::uint32_t>(v);
        return (*this)({int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF), int(u >> 24)});
    }
    Bytes& Raw(const std::string& s)
    {
        m_s += s;
        return *this;
    }
    // A counted string: int32 length and the bytes.
    Bytes& Str(const std::string& s) { return I32(static_cast<std::int32_t>(s.size())).Raw(s); }
    // A leaf: header, DisplayValue, ColumnName, OperatorKind; the tagged value follows.
    Bytes& Leaf(bool negate, const std::string& display, const std::string& column, int kind)
    {
        return (*this)({0, negate ? 1 : 0}).Str(display).Str(column)({kind});
    }
    Bytes& List(bool negate, int boolOperator, std::int32_t count)
    {
        return (*this)({1, negate ? 1 : 0, boolOperator}).I32(count);
    }
    const std::string& str() const { return m_s; }

private:
    std::string m_s;
};

inline std::string SaveCriteria(const TdxCriteria& criteria)
{
    TMemoryStream stream;
    criteria.SaveToStream(stream);
    return stream.Bytes();
}

inline std::vector<std::string> CriteriaSamples()
{
    std::vector<std::string> samples;
    TTestCriteria c;
    c.AddItem(nullptr, "A", 1, "x", "x");
    samples.push_back(SaveCriteria(c));

    TdxCriteriaItemList* l1 = c.AddList(nullptr, dxBoolOr);
    c.AddItem(l1, "B", 2, "100", 100);
    c.AddItem(l1, "C", 3, "100000", 100000)->SetNegate(true);
    TdxCriteriaItemList* l2 = c.AddList(l1, dxBoolAnd);
    l2->SetNegate(true);
    c.AddItem(l2, "D", 4, "1,5", 1.5);
    c.AddItem(l2, "E", 5, "2,5", Variant::FromSingle(2.5f));
    c.AddItem(l2, "F", 0, "", Variant::Null());
    c.AddItem(nullptr, "G", 1, "Grüße", "Grüße €");
    c.AddItem(nullptr, "H", 1, "日本", "日本");
    c.AddItem(nullptr, "I", 1, "", true);
    c.AddItem(nullptr, "J", 1, "", Currency{15000});
    c.AddItem(nullptr, "K", 1, "", Variant::FromDate(45000.75));
    c.AddItem(nullptr, "L", 1, "", (std::int64_t{1} << 53) + 1);
    c.AddItem(nullptr, "M", 1, "", std::string(300, 'z'));
    c.AddItem(nullptr, "N", 1, "", Variant());
    samples.push_back(SaveCriteria(c));
    return samples;
}

// Leaves named in filter texts the way the grid names fields, "[...]", after
// the operand's type, so that the parser sees a field of that type.
class TTypedItem : public TTestCriteriaItem {
public:
    using TTestCriteriaItem::TTestCriteriaItem;
    std::string GetFilterName() const override { return "[" + std::to_string(FieldTypeOf(Value())) + "]"; }

    static TFieldType FieldTypeOf(const Variant& Value)
    {
        switch (Value.VarType()) {
        case varSmallint: case varInteger: case varByte: return ftInteger;
        case varInt64: return ftLargeint;
        case varSingle: case varDouble: return ftFloat;
        case varCurrency: return ftCurrency;
        case varDate: return ftDateTime;
        case varBoolean: return ftBoolean;
        case varOleStr: return ftWideString;
        default: return ftString;
        }
    }
};

class TTypedCriteria : public TTestCriteria {
public:
    TdxCriteriaItemClass GetItemClass() const override
    {
        return [](TdxCriteriaItemList* Parent) -> std::unique_ptr<TdxCriteriaItem> {
            return std::make_unique<TTypedItem>(Parent);
        };
    }
};

// Whether the dataset's parser takes the filter text of a criteria of
// TTypedItem leaves; Error says why not.
inline bool FilterTextParses(const TdxCriteria& criteria, std::string& Error)
{
    auto resolve = [](const std::string& name) {
        return TFilterExpression::FieldRef{0, static_cast<TFieldType>(std::stoi(name))};
    };
    try {
        TFilterExpression expression(criteria.GetFilterText(), resolve);
        return true;
    } catch (const Exception& e) {
        Error = e.Message();
        return false;
    }
}

} // namespace qel::test
