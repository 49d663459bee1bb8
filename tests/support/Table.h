// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QTest>

#include <array>

// The columns of a data-driven test, and its rows by name: row("case", value, ...) with one value per
// column, each converted to the column's own type (so a text literal fills a QString column).
template<typename... Columns> class Table
{
public:
    explicit Table(const std::array<const char *, sizeof...(Columns)> &names)
    {
        std::size_t i = 0;
        (QTest::addColumn<Columns>(names[i++]), ...);
    }

    void operator()(const char *name, const Columns &...values) const
    {
        (QTest::newRow(name) << ... << values);
    }
};
