#pragma once
// The nodes of a filter criteria tree: lists that join their children with
// AND or OR, and leaves that compare one column's value with an operand.
// Every item is owned by its parent list; the root list by the criteria.
#include "platform/core/Object.h"
#include "platform/core/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TStream;
class TdxCriteria;
class TdxCriteriaItemList;

// BoolOperator values as stored in the criteria stream.
inline constexpr std::uint8_t dxBoolAnd = 0;
inline constexpr std::uint8_t dxBoolOr = 1;

class TdxCustomCriteriaItem : public TObject {
    QEL_CLASS(TdxCustomCriteriaItem)
public:
    explicit TdxCustomCriteriaItem(TdxCriteriaItemList* Parent);
    ~TdxCustomCriteriaItem() override = default;

    virtual bool IsList() const = 0;

    bool Negate() const { return m_negate; }
    void SetNegate(bool Value) { m_negate = Value; }
    // The owning list; nullptr for the root.
    TdxCriteriaItemList* Parent() const { return m_parent; }
    // The criteria the tree belongs to (found through the root).
    TdxCriteria* Criteria() const;

    // Called after the item was read from a stream, so that a derived item
    // can read what its WriteToStream added. Nothing to read in the base.
    virtual void ReadData(TStream& Stream);
    virtual void WriteToStream(TStream& Stream) const;

private:
    friend class TdxCriteriaItemList;

    TdxCriteriaItemList* m_parent{nullptr};
    bool m_negate{false};
};

class TdxCriteriaItemList : public TdxCustomCriteriaItem {
    QEL_CLASS(TdxCriteriaItemList)
public:
    explicit TdxCriteriaItemList(TdxCriteriaItemList* Parent);
    ~TdxCriteriaItemList() override;

    bool IsList() const override { return true; }

    // dxBoolAnd or dxBoolOr; EInvalidOperation for anything else.
    std::uint8_t BoolOperator() const { return m_boolOperator; }
    void SetBoolOperator(std::uint8_t Value);

    int Count() const { return static_cast<int>(m_items.size()); }
    // nullptr outside 0 .. Count() - 1.
    TdxCustomCriteriaItem* Items(int Index) const;
    int IndexOf(const TdxCustomCriteriaItem* Item) const;

    // Appends Item and makes this list its parent.
    void Add(std::unique_ptr<TdxCustomCriteriaItem> Item);
    // Frees the child at Index (nothing outside the range).
    void Delete(int Index);
    // Takes the child out of the list and hands it over (nullptr when it is not a child).
    std::unique_ptr<TdxCustomCriteriaItem> Extract(TdxCustomCriteriaItem* Item);
    // Frees all children.
    void Clear();

    // The criteria that owns this list when it is a root; nullptr otherwise.
    TdxCriteria* OwnerCriteria() const { return m_criteria; }

    void WriteToStream(TStream& Stream) const override;

private:
    friend class TdxCriteria;

    std::vector<std::unique_ptr<TdxCustomCriteriaItem>> m_items;
    TdxCriteria* m_criteria{nullptr};
    std::uint8_t m_boolOperator{dxBoolAnd};
};

// The leaf. A derived class binds it to whatever holds the tested values
// (the grid: a column) and answers the three hooks below for it.
class TdxCriteriaItem : public TdxCustomCriteriaItem {
    QEL_CLASS(TdxCriteriaItem)
public:
    explicit TdxCriteriaItem(TdxCriteriaItemList* Parent);

    bool IsList() const override { return false; }

    // The operand as the user saw it.
    const std::string& DisplayValue() const { return m_displayValue; }
    void SetDisplayValue(const std::string& Value) { m_displayValue = Value; }
    // The component name of the column the leaf tests.
    const std::string& ColumnName() const { return m_columnName; }
    void SetColumnName(const std::string& Value) { m_columnName = Value; }
    // 0..5 (see dxCriteriaOperator); EInvalidOperation for anything else.
    std::uint8_t OperatorKind() const { return m_operatorKind; }
    void SetOperatorKind(std::uint8_t Value);
    // The operand.
    const Variant& Value() const { return m_value; }
    void SetValue(const Variant& Value);

    // The name shown in display text.
    virtual std::string GetCaption() const;
    // The value the leaf tests for one record (the grid passes its node).
    virtual Variant GetDataValue(void* Data) const = 0;
    // The field name written into filter expressions.
    virtual std::string GetFilterName() const = 0;

    void WriteToStream(TStream& Stream) const override;

private:
    friend class TdxCriteria;

    std::string m_displayValue;
    std::string m_columnName;
    Variant m_value;
    std::uint8_t m_operatorKind{0};
    // The operand after TdxCriteria::PrepareValue, valid while the criteria's
    // preparation generation equals m_preparedGeneration.
    mutable Variant m_preparedValue;
    mutable std::uint64_t m_preparedGeneration{0};
};

} // namespace qel
