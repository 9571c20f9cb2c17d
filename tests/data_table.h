#pragma once
// Data tables in fewer lines: a table's columns at once, a row from plain values (text given as
// const char * goes into a QString column), and the current row's values at once:
//
//     addColumns<QString, int>({"name", "count"});
//     addRow("one", "a", 1);
//     auto [name, count] = fetch<QString, int>("name", "count");
#include <QTest>
#include <array>
#include <tuple>

namespace amiscan::testing {

template <typename... T> void addColumns(const std::array<const char *, sizeof...(T)> &names)
{
    std::size_t i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
}

template <typename... T> void addRow(const char *name, T... values)
{
    (QTest::newRow(name) << ... << values);
}

template <typename... T, typename... Name> std::tuple<T...> fetch(Name... names)
{
    static_assert(sizeof...(T) == sizeof...(Name));
    return {*static_cast<T *>(QTest::qData(names, qMetaTypeId<T>()))...};
}

} // namespace amiscan::testing
