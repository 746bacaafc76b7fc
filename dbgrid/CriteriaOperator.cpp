#include "dbgrid/CriteriaOperator.h"

#include <array>
#include <optional>

namespace qel {

namespace {

// Strings and the number-like types (integers, floats, Currency, Date,
// Boolean) are different worlds: converting one to the other would raise on
// most values, so such a pair has no order at all.
bool IsNumberLike(const Variant& V)
{
    return !V.IsEmptyOrNull() && !V.IsString() && !V.IsArray();
}

std::optional<int> Order(const Variant& Value, const Variant& Operand)
{
    if ((Value.IsString() && IsNumberLike(Operand)) || (Operand.IsString() && IsNumberLike(Value)))
        return std::nullopt;
    return Variant::Compare(Value, Operand);
}

} // namespace

bool TdxNullOperator::IsBlank(const Variant& Value)
{
    if (Value.IsNull())
        return true;
    // Narrow and wide strings alike: a blank cell must not depend on the
    // field's string width.
    return Value.IsString() && Value.AsString().empty();
}

bool TdxNullOperator::Compare(const Variant& Value, const Variant&) const
{
    return IsBlank(Value);
}

bool TdxEqualOperator::Compare(const Variant& Value, const Variant& Operand) const
{
    auto o = Order(Value, Operand);
    return o && *o == 0;
}

bool TdxGreaterOperator::Compare(const Variant& Value, const Variant& Operand) const
{
    auto o = Order(Value, Operand);
    return o && *o > 0;
}

bool TdxLessOperator::Compare(const Variant& Value, const Variant& Operand) const
{
    auto o = Order(Value, Operand);
    return o && *o < 0;
}

bool TdxGreaterEqualOperator::Compare(const Variant& Value, const Variant& Operand) const
{
    auto o = Order(Value, Operand);
    return o && *o >= 0;
}

bool TdxLessEqualOperator::Compare(const Variant& Value, const Variant& Operand) const
{
    auto o = Order(Value, Operand);
    return o && *o <= 0;
}

const TdxAbstractOperator& dxCriteriaOperator(std::uint8_t Kind)
{
    static const TdxNullOperator nullOp;
    static const TdxEqualOperator equalOp;
    static const TdxGreaterOperator greaterOp;
    static const TdxLessOperator lessOp;
    static const TdxGreaterEqualOperator greaterEqualOp;
    static const TdxLessEqualOperator lessEqualOp;
    static const std::array<const TdxAbstractOperator*, dxMaxOperatorKind + 1> table{
        &nullOp, &equalOp, &greaterOp, &lessOp, &greaterEqualOp, &lessEqualOp};
    if (Kind > dxMaxOperatorKind)
        throw EInvalidOperation("Invalid operator kind " + std::to_string(Kind));
    return *table[Kind];
}

} // namespace qel
