#pragma once
// The six comparison operators of the filter criteria. They are stateless:
// one shared instance of each lives for the whole program and is reached by
// its kind through dxCriteriaOperator().
#include "platform/core/Object.h"
#include "platform/core/Variant.h"

#include <cstdint>
#include <string>

namespace qel {

// Operator kinds as stored in the criteria stream.
inline constexpr std::uint8_t dxMaxOperatorKind = 5;

class TdxAbstractOperator : public TObject {
    QEL_CLASS(TdxAbstractOperator)
public:
    // Value is the record's value, Operand the condition's; never raises.
    virtual bool Compare(const Variant& Value, const Variant& Operand) const = 0;
    // The operator as it appears in display and filter text.
    virtual std::string GetText() const = 0;
};

// Kind 0: the value is blank. The operand is not used.
class TdxNullOperator : public TdxAbstractOperator {
    QEL_CLASS(TdxNullOperator)
public:
    bool Compare(const Variant& Value, const Variant& Operand) const override;
    std::string GetText() const override { return "Is Null"; }

    // Null, or an empty string of either width; an unassigned (Empty) value
    // is not blank.
    static bool IsBlank(const Variant& Value);
};

// Kinds 1..5 order the two values by the platform's Variant order; a string
// against a number is never related, so every one of them answers false then.
class TdxEqualOperator : public TdxAbstractOperator {
    QEL_CLASS(TdxEqualOperator)
public:
    bool Compare(const Variant& Value, const Variant& Operand) const override;
    std::string GetText() const override { return "="; }
};

class TdxGreaterOperator : public TdxAbstractOperator {
    QEL_CLASS(TdxGreaterOperator)
public:
    bool Compare(const Variant& Value, const Variant& Operand) const override;
    std::string GetText() const override { return ">"; }
};

class TdxLessOperator : public TdxAbstractOperator {
    QEL_CLASS(TdxLessOperator)
public:
    bool Compare(const Variant& Value, const Variant& Operand) const override;
    std::string GetText() const override { return "<"; }
};

class TdxGreaterEqualOperator : public TdxAbstractOperator {
    QEL_CLASS(TdxGreaterEqualOperator)
public:
    bool Compare(const Variant& Value, const Variant& Operand) const override;
    std::string GetText() const override { return ">="; }
};

class TdxLessEqualOperator : public TdxAbstractOperator {
    QEL_CLASS(TdxLessEqualOperator)
public:
    bool Compare(const Variant& Value, const Variant& Operand) const override;
    std::string GetText() const override { return "<="; }
};

// The shared operator of a kind (0..5); EInvalidOperation for any other kind.
const TdxAbstractOperator& dxCriteriaOperator(std::uint8_t Kind);

} // namespace qel
