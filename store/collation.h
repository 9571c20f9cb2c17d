#pragma once

#include <QCollator>
#include <QHash>
#include <QList>
#include <QStringList>

namespace amiscan {

// The order of names in every list and in the history file: ascending by the user's locale,
// ignoring letter case ("anna" before "Bob"). Names equal under that comparison are ordered by
// their exact text (code unit by code unit, so "ANNA" before "Anna" before "anna"), and names
// equal as text keep the order they were given in. The result is therefore always repeatable.
class Collation final
{
public:
    // The user's locale.
    Collation();
    explicit Collation(const QLocale &locale);

    // Negative, zero or positive as a sorts before, with or after b.
    int compare(const QString &a, const QString &b) const;

    // The positions of keys in sorted order: keys[order[0]] comes first. O(n log n); O(n) for
    // keys already in order, which are only compared.
    QList<int> order(const QStringList &keys) const;
    // Whether a sorts before b in the order that order() gives (equal texts: false). The
    // collator's keys of the names it compares are kept for the next calls.
    bool before(const QString &a, const QString &b) const;

private:
    QCollatorSortKey newSortKey(const QString &name) const;
    QCollatorSortKey sortKey(const QString &name) const;

    QCollator m_collator;
    mutable QHash<QString, QCollatorSortKey> m_sortKeys;
};

} // namespace amiscan
