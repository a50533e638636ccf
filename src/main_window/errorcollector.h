// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <exception>
#include <utility>

// Runs the steps of a handler that carries on past failures: a step that throws is skipped,
// the failure is remembered, and the handler goes on with its next step. At the end the
// handler asks whether any step failed.
class ErrorCollector
{
public:
    template<typename Step>
    void run(Step &&step)
    {
        try {
            std::forward<Step>(step)();
        } catch (const std::exception &) {
            m_failed = true;
        }
    }

    bool failed() const { return m_failed; }

private:
    bool m_failed = false;
};
