#pragma once
// Helpers for data-driven QtTest tables: the columns in one call and one case a line.

#include <QTest>
#include <initializer_list>

template <typename... Types> void addColumns(std::initializer_list<const char*> names) {
    auto name = names.begin();
    (QTest::addColumn<Types>(*name++), ...);
}

template <typename... Values> void addRow(const char* name, const Values&... values) {
    (QTest::newRow(name) << ... << values);
}
