#include "platform/core/TextSortKeys.h"

#include "platform/core/MathUtils.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <QString>

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

QString Q(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

struct TTextSortKeys::Impl {
    std::vector<QCollatorSortKey> Keys;
    std::vector<std::string_view> Texts;
};

TTextSortKeys::TTextSortKeys() : m_impl(std::make_unique<Impl>()) {}

TTextSortKeys::~TTextSortKeys() = default;

void TTextSortKeys::Reserve(std::size_t Count)
{
    m_impl->Keys.reserve(Count);
    m_impl->Texts.reserve(Count);
}

void TTextSortKeys::Add(std::string_view Text)
{
    m_impl->Keys.push_back(Collator().sortKey(Q(Text)));
    m_impl->Texts.push_back(Text);
}

std::size_t TTextSortKeys::Count() const
{
    return m_impl->Texts.size();
}

int TTextSortKeys::Compare(std::size_t A, std::size_t B) const
{
    const int c = Sign(m_impl->Keys[A].compare(m_impl->Keys[B]));
    if (c != 0)
        return c;
    const std::string_view a = m_impl->Texts[A];
    const std::string_view b = m_impl->Texts[B];
    if (a == b)
        return 0;
    // Texts the collator calls equal are told apart by case folding, as AnsiCompareText does.
    return Sign(QString::compare(Q(a), Q(b), Qt::CaseInsensitive));
}

} // namespace qel
