#include "platform/core/TextSortKeys.h"

#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"
#include "platform/core/detail/Collator.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QString>

#include <algorithm>
#include <array>
#include <unordered_map>

namespace qel {

namespace {

QString Q(std::string_view S)
{
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

// The place of each printable ASCII character in the collation, the same
// for both cases of a letter; 0 for the characters that have none of their
// own (controls, and any the collator ignores or calls equal to another).
// The collator is asked once, so the order of punctuation is its own.
const std::array<std::uint8_t, 128>& AsciiPlaces()
{
    static const std::array<std::uint8_t, 128> places = [] {
        const QCollator& collator = detail::LocaleCollator(false);
        std::vector<QString> chars;
        for (char16_t c = 0x20; c < 0x7F; ++c)
            chars.push_back(QString(QChar(c)));
        std::stable_sort(chars.begin(), chars.end(),
                         [&](const QString& A, const QString& B) { return collator.compare(A, B) < 0; });
        std::array<std::uint8_t, 128> p{};
        std::uint8_t place = 0;
        for (std::size_t i = 0; i < chars.size();) {
            std::size_t j = i + 1;
            while (j < chars.size() && collator.compare(chars[i], chars[j]) == 0)
                ++j;
            ++place;
            const bool own = collator.compare(chars[i], QString()) != 0 &&
                             (j - i == 1 || (j - i == 2 && chars[i].toLower() == chars[i + 1].toLower()));
            for (; i < j; ++i)
                p[chars[i][0].unicode()] = own ? place : 0;
        }
        return p;
    }();
    return places;
}

// Texts of ASCII characters that have a place collate as the sequence of
// their places, a prefix first: there are no contractions among them and
// punctuation is not ignored. For them no collator is needed.
bool IsPlain(std::string_view S)
{
    const std::array<std::uint8_t, 128>& places = AsciiPlaces();
    for (const unsigned char c : S)
        if (c >= 0x80 || places[c] == 0)
            return false;
    return true;
}

// The places of eight characters of a plain text from From on, the first
// highest and missing ones zero, so integers order as the texts.
std::uint64_t PlainWord(std::string_view S, std::size_t From)
{
    const std::array<std::uint8_t, 128>& places = AsciiPlaces();
    std::uint64_t w = 0;
    for (std::size_t i = From; i < From + 8; ++i)
        w = (w << 8) | (i < S.size() ? places[static_cast<unsigned char>(S[i])] : 0u);
    return w;
}

// The places of a plain text's sixteen characters from some depth on, where a sort looks at it.
struct TPlainEntry {
    std::uint64_t High = 0;
    std::uint64_t Low = 0;
    std::uint32_t Index = 0;
    std::uint32_t Longer = 0;   // 1: the text goes on after these characters
};

TPlainEntry PlainEntry(std::string_view S, std::size_t Depth, std::uint32_t Index)
{
    return {PlainWord(S, Depth), PlainWord(S, Depth + 8), Index, S.size() > Depth + 16 ? 1u : 0u};
}

bool SameBytes(const TPlainEntry& A, const TPlainEntry& B)
{
    return A.High == B.High && A.Low == B.Low && A.Longer == B.Longer;
}

// Equal places that go on come after those that end; then the index, which
// keeps equal texts in the order they were added.
template <bool Descending>
bool PlainBefore(const TPlainEntry& A, const TPlainEntry& B)
{
    if (A.High != B.High)
        return (A.High < B.High) != Descending;
    if (A.Low != B.Low)
        return (A.Low < B.Low) != Descending;
    if (A.Longer != B.Longer)
        return (A.Longer < B.Longer) != Descending;
    return A.Index < B.Index;
}

int ComparePlain(std::string_view A, std::string_view B)
{
    for (std::size_t depth = 0;; depth += 16) {
        const TPlainEntry a = PlainEntry(A, depth, 0);
        const TPlainEntry b = PlainEntry(B, depth, 0);
        if (!SameBytes(a, b))
            return PlainBefore<false>(a, b) ? -1 : 1;
        if (!a.Longer)
            return 0;
    }
}

// Sorts by the first sixteen places held in the entries; a run that agrees on
// them and goes on is sorted again by its next sixteen, and so on. The
// entries sit side by side, so texts sharing long prefixes (and long runs of
// one repeated text) cost a pass over contiguous memory per sixteen characters
// instead of scattered reads in every comparison.
template <bool Descending>
void SortPlain(const std::vector<std::string_view>& Texts, std::vector<TPlainEntry>& Entries)
{
    struct TRun {
        std::size_t Begin, End, Depth;
    };
    std::vector<TRun> runs{{0, Entries.size(), 0}};
    while (!runs.empty()) {
        const TRun run = runs.back();
        runs.pop_back();
        const auto first = Entries.begin() + static_cast<std::ptrdiff_t>(run.Begin);
        const auto last = Entries.begin() + static_cast<std::ptrdiff_t>(run.End);
        if (run.Depth > 0)
            for (auto e = first; e != last; ++e)
                *e = PlainEntry(Texts[e->Index], run.Depth, e->Index);
        std::sort(first, last, PlainBefore<Descending>);
        for (std::size_t i = run.Begin; i < run.End;) {
            std::size_t j = i + 1;
            while (j < run.End && SameBytes(Entries[i], Entries[j]))
                ++j;
            if (Entries[i].Longer && j - i > 1)
                runs.push_back({i, j, run.Depth + 16});
            i = j;
        }
    }
}

} // namespace

struct TTextSortKeys::Impl {
    std::vector<std::string_view> Texts;
    std::vector<bool> Plain;
    std::size_t OtherCount = 0;
    // Collation keys by key id, one per distinct text that needed one.
    std::unordered_map<std::string_view, std::uint32_t> KeyIds;
    std::vector<QCollatorSortKey> Keys;
    std::vector<std::string_view> KeyTexts;

    std::uint32_t KeyId(std::string_view Text)
    {
        const auto [it, added] = KeyIds.try_emplace(Text, static_cast<std::uint32_t>(Keys.size()));
        if (added) {
            Keys.push_back(detail::LocaleCollator(false).sortKey(Q(Text)));
            KeyTexts.push_back(Text);
        }
        return it->second;
    }

    int CompareKeys(std::uint32_t A, std::uint32_t B) const
    {
        if (A == B)
            return 0;
        const int c = Sign(Keys[A].compare(Keys[B]));
        // Texts the collator calls equal are told apart as AnsiCompareText tells them.
        return c != 0 ? c : AnsiCompareText(KeyTexts[A], KeyTexts[B]);
    }

    struct TOther {
        std::uint32_t Rank, Index, Key;
    };

    // The texts that are not plain, in order: their distinct texts are
    // collated and ranked (equal ones alike), then sorted by rank and index.
    std::vector<TOther> SortOthers(bool Descending)
    {
        std::vector<TOther> others;
        others.reserve(OtherCount);
        for (std::uint32_t i = 0; i < Texts.size(); ++i)
            if (!Plain[i])
                others.push_back({0, i, KeyId(Texts[i])});
        std::vector<bool> used(Keys.size());
        std::vector<std::uint32_t> distinct;
        for (const TOther& o : others)
            if (!used[o.Key]) {
                used[o.Key] = true;
                distinct.push_back(o.Key);
            }
        std::sort(distinct.begin(), distinct.end(),
                  [this](std::uint32_t A, std::uint32_t B) { return CompareKeys(A, B) < 0; });
        std::vector<std::uint32_t> rank(Keys.size());
        for (std::size_t i = 1; i < distinct.size(); ++i)
            rank[distinct[i]] = rank[distinct[i - 1]] + (CompareKeys(distinct[i - 1], distinct[i]) != 0);
        for (TOther& o : others)
            o.Rank = rank[o.Key];
        std::sort(others.begin(), others.end(), [Descending](const TOther& A, const TOther& B) {
            return A.Rank != B.Rank ? (A.Rank < B.Rank) != Descending : A.Index < B.Index;
        });
        return others;
    }

    // Both lists sorted, merged. Each text that is not plain finds its place
    // among the plain ones by galloping on from the last place, so it meets
    // few of them; the collator compares those pairs directly, as a key for
    // a text met once or twice costs more than the comparison.
    std::vector<std::uint32_t> Merge(const std::vector<TPlainEntry>& Plains, const std::vector<TOther>& Others,
                                     bool Descending) const
    {
        const auto before = [&](const TPlainEntry& P, const TOther& O) {
            const int c = AnsiCompareText(Texts[P.Index], Texts[O.Index]);
            return c != 0 ? (c < 0) != Descending : P.Index < O.Index;
        };
        std::vector<std::uint32_t> order;
        order.reserve(Texts.size());
        std::size_t i = 0;
        for (const TOther& o : Others) {
            std::size_t from = i, step = 1;
            while (from + step <= Plains.size() && before(Plains[from + step - 1], o)) {
                from += step;
                step *= 2;
            }
            const auto to = Plains.begin() + static_cast<std::ptrdiff_t>(std::min(Plains.size(), from + step - 1));
            const auto place = std::partition_point(Plains.begin() + static_cast<std::ptrdiff_t>(from), to,
                                                    [&](const TPlainEntry& P) { return before(P, o); });
            for (const auto end = static_cast<std::size_t>(place - Plains.begin()); i < end; ++i)
                order.push_back(Plains[i].Index);
            order.push_back(o.Index);
        }
        for (; i < Plains.size(); ++i)
            order.push_back(Plains[i].Index);
        return order;
    }
};

TTextSortKeys::TTextSortKeys() : m_impl(std::make_unique<Impl>()) {}

TTextSortKeys::~TTextSortKeys() = default;

void TTextSortKeys::Reserve(std::size_t Count)
{
    m_impl->Texts.reserve(Count);
    m_impl->Plain.reserve(Count);
}

void TTextSortKeys::Add(std::string_view Text)
{
    const bool plain = IsPlain(Text);
    m_impl->Texts.push_back(Text);
    m_impl->Plain.push_back(plain);
    m_impl->OtherCount += !plain;
}

std::size_t TTextSortKeys::Count() const
{
    return m_impl->Texts.size();
}

int TTextSortKeys::Compare(std::size_t A, std::size_t B) const
{
    Impl& d = *m_impl;
    if (d.Plain[A] && d.Plain[B])
        return ComparePlain(d.Texts[A], d.Texts[B]);
    return d.CompareKeys(d.KeyId(d.Texts[A]), d.KeyId(d.Texts[B]));
}

std::vector<std::uint32_t> TTextSortKeys::Order(bool Descending) const
{
    Impl& d = *m_impl;
    std::vector<TPlainEntry> plains;
    plains.reserve(d.Texts.size() - d.OtherCount);
    for (std::uint32_t i = 0; i < d.Texts.size(); ++i)
        if (d.Plain[i])
            plains.push_back(PlainEntry(d.Texts[i], 0, i));
    if (Descending)
        SortPlain<true>(d.Texts, plains);
    else
        SortPlain<false>(d.Texts, plains);
    return d.Merge(plains, d.SortOthers(Descending), Descending);
}

} // namespace qel
