#include "lists/collation.h"

#include <algorithm>
#include <numeric>

namespace amiscan {

Collation::Collation() : Collation(QLocale()) {}

Collation::Collation(const QLocale &locale) : m_collator(locale)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
}

int Collation::compare(const QString &a, const QString &b) const
{
    const int byLocale = m_collator.compare(a, b);
    if (byLocale != 0)
        return byLocale;
    return QString::compare(a, b, Qt::CaseSensitive);
}

QList<int> Collation::order(const QStringList &keys) const
{
    QList<int> positions(keys.size());
    std::iota(positions.begin(), positions.end(), 0);
    // The collator's sort keys ignore the case setting in the C locale (a program started
    // with LANG=C); there names are ordered by their case-folded text, folded once per name.
    if (m_collator.locale().language() == QLocale::C) {
        QStringList folded;
        folded.reserve(keys.size());
        for (const QString &key : keys)
            folded << key.toCaseFolded();
        std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
            const int byFold = QString::compare(folded.at(a), folded.at(b), Qt::CaseSensitive);
            if (byFold != 0)
                return byFold < 0;
            return QString::compare(keys.at(a), keys.at(b), Qt::CaseSensitive) < 0;
        });
        return positions;
    }

    // Sort keys are computed once per name, so each comparison is a plain byte comparison.
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(keys.size());
    for (const QString &key : keys)
        sortKeys.push_back(m_collator.sortKey(key));

    std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) {
        const int byLocale = sortKeys[size_t(a)].compare(sortKeys[size_t(b)]);
        if (byLocale != 0)
            return byLocale < 0;
        return QString::compare(keys.at(a), keys.at(b), Qt::CaseSensitive) < 0;
    });
    return positions;
}

} // namespace amiscan
