// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QJsonObject>

#include <chrono>
#include <optional>

// The newest payload whose upload failed in a way that may pass (no answer, a server error, too many
// requests), to be sent again while nothing newer comes, at waits that double from 3 s to a minute.
// Kept in memory only: after a restart the game writes newer figures anyway.
class UnsentPayload
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds firstWait{3}, longestWait{60};

    // `data` failed at `now`; `again` when it was a second or later try of the payload kept here.
    void failed(const QJsonObject &data, bool again, Clock::time_point now)
    {
        m_wait = again ? std::min(2 * m_wait, Clock::duration(longestWait)) : Clock::duration(firstWait);
        m_data = data;
        m_nextTry = now + m_wait;
    }
    void forget() { m_data.reset(); }
    // The payload, when its next try is due.
    std::optional<QJsonObject> due(Clock::time_point now) const
    {
        return now >= m_nextTry ? m_data : std::nullopt;
    }

private:
    std::optional<QJsonObject> m_data;
    Clock::duration m_wait{};
    Clock::time_point m_nextTry;
};
