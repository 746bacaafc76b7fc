#include "platform/core/TextSortKeys.h"

#include "platform/core/MathUtils.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <QString>

#include <unordered_map>
#include <vector>

namespace qel {

namespace {

// The collation AnsiCompareText uses: German, case-insensitive.
const QCollator& Collator()
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

QString Q(std::string_view S)
{
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

// Texts of ASCII letters, digits and blanks collate as their lower-case
// bytes: blank < digits < letters, case ignored, a prefix first. For them
// no collator is needed.
bool IsPlain(std::string_view S)
{
    for (unsigned char c : S)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' '))
            return false;
    return true;
}

unsigned char Lower(unsigned char C)
{
    return C >= 'A' && C <= 'Z' ? static_cast<unsigned char>(C + 32) : C;
}

// The first eight lower-case bytes, big-endian, so that most plain texts
// are told apart by one integer comparison.
std::uint64_t PlainPrefix(std::string_view S)
{
    std::uint64_t p = 0;
    for (std::size_t i = 0; i < 8; ++i)
        p = (p << 8) | (i < S.size() ? Lower(static_cast<unsigned char>(S[i])) : 0u);
    return p;
}

int ComparePlain(std::string_view A, std::string_view B)
{
    const std::size_t n = std::min(A.size(), B.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = Lower(static_cast<unsigned char>(A[i]));
        const unsigned char y = Lower(static_cast<unsigned char>(B[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}

} // namespace

struct TTextSortKeys::Impl {
    std::vector<std::string_view> Texts;
    std::vector<std::uint64_t> Prefix;      // plain texts only
    std::vector<bool> Plain;
    std::vector<QCollatorSortKey> Keys;     // every text once one is not plain
    bool AllPlain = true;
    // Where texts repeat (towns, kinds), the collator runs once per distinct
    // text; keys are shared, so a copy is cheap. Where the first texts are
    // mostly distinct, looking them up costs more than it saves, and stops.
    std::unordered_map<std::string_view, std::size_t> Seen;
    bool Dedupe = true;
    std::size_t Repeats = 0;

    void AddKey(std::string_view Text)
    {
        if (!Dedupe) {
            Keys.push_back(Collator().sortKey(Q(Text)));
            return;
        }
        const auto [it, added] = Seen.try_emplace(Text, Keys.size());
        Repeats += !added;
        Keys.push_back(added ? Collator().sortKey(Q(Text)) : Keys[it->second]);
        if (Keys.size() == 4096 && Repeats < 2048) {
            Dedupe = false;
            Seen = {};
        }
    }
};

TTextSortKeys::TTextSortKeys() : m_impl(std::make_unique<Impl>()) {}

TTextSortKeys::~TTextSortKeys() = default;

void TTextSortKeys::Reserve(std::size_t Count)
{
    m_impl->Texts.reserve(Count);
    m_impl->Prefix.reserve(Count);
    m_impl->Plain.reserve(Count);
}

void TTextSortKeys::Add(std::string_view Text)
{
    Impl& d = *m_impl;
    const bool plain = IsPlain(Text);
    if (!plain && d.AllPlain) {
        // A plain text compared with this one needs a collation key too.
        d.AllPlain = false;
        d.Keys.reserve(d.Texts.capacity());
        for (std::string_view t : d.Texts)
            d.AddKey(t);
    }
    d.Texts.push_back(Text);
    d.Plain.push_back(plain);
    d.Prefix.push_back(plain ? PlainPrefix(Text) : 0);
    if (!d.AllPlain)
        d.AddKey(Text);
}

std::size_t TTextSortKeys::Count() const
{
    return m_impl->Texts.size();
}

int TTextSortKeys::Compare(std::size_t A, std::size_t B) const
{
    const Impl& d = *m_impl;
    if (d.Plain[A] && d.Plain[B]) {
        if (d.Prefix[A] != d.Prefix[B])
            return d.Prefix[A] < d.Prefix[B] ? -1 : 1;
        return ComparePlain(d.Texts[A], d.Texts[B]);
    }
    const int c = Sign(d.Keys[A].compare(d.Keys[B]));
    if (c != 0)
        return c;
    const std::string_view a = d.Texts[A];
    const std::string_view b = d.Texts[B];
    if (a == b)
        return 0;
    // Texts the collator calls equal are told apart by case folding, as AnsiCompareText does.
    return Sign(QString::compare(Q(a), Q(b), Qt::CaseInsensitive));
}

} // namespace qel
