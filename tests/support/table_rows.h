#pragma once
// Helpers for data-driven QtTest tables: the columns in one call, one case a line, and the current row's
// values in one call (each checked against its column's type, as QFETCH does).

#include <QTest>
#include <initializer_list>
#include <tuple>
#include <utility>

template <typename... Types> void addColumns(std::initializer_list<const char*> names) {
    auto name = names.begin();
    (QTest::addColumn<Types>(*name++), ...);
}

template <typename... Values> void addRow(const char* name, const Values&... values) {
    (QTest::newRow(name) << ... << values);
}

// Use: const auto [a, b] = fetchRow<QString, bool>({"a", "b"});
template <typename... Types, std::size_t... Index>
std::tuple<Types...> fetchRowAt(const char* const* names, std::index_sequence<Index...>) {
    return {*static_cast<Types*>(QTest::qData(names[Index], qMetaTypeId<Types>()))...};
}
template <typename... Types> std::tuple<Types...> fetchRow(std::initializer_list<const char*> names) {
    Q_ASSERT(names.size() == sizeof...(Types));
    return fetchRowAt<Types...>(names.begin(), std::index_sequence_for<Types...>());
}
