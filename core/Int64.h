// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QtGlobal>

#include <cmath>
#include <optional>

// `value` as a 64-bit integer when it is whole and fits; casting anything else is undefined behaviour.
inline std::optional<qint64> exactInt64(double value)
{
    constexpr double limit = 9223372036854775808.0;                        // 2^63, exact in a double
    if (!(value >= -limit && value < limit) || std::trunc(value) != value) // NaN fails the first test
        return std::nullopt;
    return static_cast<qint64>(value);
}
