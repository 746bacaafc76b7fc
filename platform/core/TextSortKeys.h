#pragma once
// Collation keys for sorting many texts in the order of AnsiCompareText:
// the locale's collation is worked out once per text, so a sort compares
// bytes instead of running the collator on every comparison.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace qel {

class TTextSortKeys {
public:
    TTextSortKeys();
    ~TTextSortKeys();
    TTextSortKeys(const TTextSortKeys&) = delete;
    TTextSortKeys& operator=(const TTextSortKeys&) = delete;

    void Reserve(std::size_t Count);
    // Adds the key of Text (UTF-8); its index is the number of keys added
    // before. The text is not copied: it must outlive the keys.
    void Add(std::string_view Text);
    std::size_t Count() const;
    // -1, 0, 1 exactly as AnsiCompareText on the two texts.
    int Compare(std::size_t A, std::size_t B) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace qel
