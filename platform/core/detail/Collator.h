#pragma once
// The locale's collator behind AnsiCompareText and AnsiCompareStr, for the
// code that collates many texts at once (TextSortKeys).
class QCollator;

namespace qel::detail {

// German; case-insensitive unless CaseSensitive.
const QCollator& LocaleCollator(bool CaseSensitive);

} // namespace qel::detail
