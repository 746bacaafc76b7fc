#pragma once
// Sorting many texts in the order of AnsiCompareText. Texts of printable
// ASCII are ordered by the collation places of their characters, sixteen at a
// time as two integers; the locale's collator runs only for the other texts,
// once per distinct text, and they are merged in.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

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
    // Every index, in the order a stable sort by Compare (by its negation when
    // Descending) gives: texts that compare equal keep the order they were added in.
    std::vector<std::uint32_t> Order(bool Descending) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace qel
