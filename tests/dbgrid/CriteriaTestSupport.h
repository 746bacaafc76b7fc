#pragma once
// A criteria over plain records (column name -> value) for the criteria
// tests, and a builder for hand-written stream bytes.
#include "dbgrid/Criteria.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>

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

} // namespace qel::test
