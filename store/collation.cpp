#include "store/collation.h"

#include <algorithm>
#include <numeric>

namespace amiscan {

Collation::Collation() : Collation(QLocale()) {}

Collation::Collation(const QLocale &locale) : m_collator(locale)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
}

QCollatorSortKey Collation::newSortKey(const QString &name) const
{
    // The plain "C" locale's sort keys keep letter case, unlike its comparison: fold the case
    // first there so that both orders agree ("anna" before "Bob" in every locale).
    const bool foldCase = m_collator.locale().language() == QLocale::C;
    return m_collator.sortKey(foldCase ? name.toCaseFolded() : name);
}

QCollatorSortKey Collation::sortKey(const QString &name) const
{
    auto known = m_sortKeys.constFind(name);
    if (known == m_sortKeys.cend())
        known = m_sortKeys.insert(name, newSortKey(name));
    return *known;
}

int Collation::compare(const QString &a, const QString &b) const
{
    const int byLocale = m_collator.compare(a, b);
    if (byLocale != 0)
        return byLocale;
    return QString::compare(a, b, Qt::CaseSensitive);
}

bool Collation::before(const QString &a, const QString &b) const
{
    const int byLocale = sortKey(a).compare(sortKey(b));
    if (byLocale != 0)
        return byLocale < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

QList<int> Collation::order(const QStringList &keys) const
{
    QList<int> positions(keys.size());
    std::iota(positions.begin(), positions.end(), 0);
    // Names read back in the order they were written in need no sort keys: a comparison of each
    // with the next tells so, and the first pair out of order ends the check.
    bool sorted = true;
    for (qsizetype i = 1; i < keys.size() && sorted; ++i)
        sorted = compare(keys.at(i - 1), keys.at(i)) <= 0;
    if (sorted)
        return positions;
    // Sort keys are computed once per name, so each comparison is a plain byte comparison. They
    // are not kept: a whole order is rare, and the keys of every name would outweigh the names.
    if (m_sortKeys.size() > 2 * keys.size() + 1024)
        m_sortKeys.clear();
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(keys.size());
    for (const QString &key : keys) {
        const auto known = m_sortKeys.constFind(key);
        sortKeys.push_back(known != m_sortKeys.cend() ? *known : newSortKey(key));
    }

    std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
        const int byLocale = sortKeys[size_t(a)].compare(sortKeys[size_t(b)]);
        if (byLocale != 0)
            return byLocale < 0;
        return QString::compare(keys.at(a), keys.at(b), Qt::CaseSensitive) < 0;
    });
    return positions;
}

} // namespace amiscan
