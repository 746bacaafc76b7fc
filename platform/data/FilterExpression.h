#pragma once
// The dataset's filter expression: parses the texts that the grid's filter
// criteria produce and evaluates them against one record.
//
// Grammar (keywords case-insensitive):
//   expr     := and { OR and }
//   and      := unary { AND unary }
//   unary    := NOT unary | '(' expr ')' | test
//   test     := operand ( ('=' | '<>' | '>' | '>=' | '<' | '<=') operand | IS [NOT] NULL )
//   operand  := name | '[' any text but ']' ']' | 'quoted ''string''' | number | TRUE | FALSE
// Numbers take '.' or the locale's decimal separator. A literal compared with
// a field is converted to the field's type once, when the text is parsed, so
// a date or number that cannot be read is reported at once. A string literal
// ending in '*' compared by '=' or '<>' matches as a prefix unless
// foNoPartialCompare is set. IS NULL is also true for an empty string.
// Comparisons with a Null value are false.
#include "platform/core/Variant.h"
#include "platform/data/DataSetTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TFilterExpression {
public:
    struct FieldRef {
        int Index = -1;            // -1: no such field
        TFieldType DataType = ftUnknown;
    };
    using Resolver = std::function<FieldRef(const std::string& Name)>;
    using ValueGetter = std::function<Variant(int Index)>;

    // Nesting deeper than this is refused, so hostile input cannot exhaust the stack.
    static constexpr int MaxDepth = 100;

    // EDatabaseError for a syntax error or an unknown field ("Field 'X' not
    // found"); EConvertError when a literal does not fit its field's type.
    // An empty or blank text gives an expression that accepts every record.
    TFilterExpression(const std::string& Text, const Resolver& Resolve);
    ~TFilterExpression();
    TFilterExpression(TFilterExpression&&) noexcept;
    TFilterExpression& operator=(TFilterExpression&&) noexcept;

    bool IsEmpty() const { return !m_root; }
    bool Evaluate(const ValueGetter& Value, TFilterOptions Options) const;
    // The indexes of the fields the expression reads.
    const std::vector<int>& UsedFields() const { return m_usedFields; }

    struct Node;

private:
    std::unique_ptr<Node> m_root;
    std::vector<int> m_usedFields;
};

} // namespace qel
