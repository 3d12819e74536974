// SPDX-License-Identifier: GPL-3.0-or-later
// Scoped: a transfer is in progress, so page refresh ticks, the alert cycle, menu commands
// and page activations do nothing until it ends.
#pragma once

class CTimerStop {
public:
    CTimerStop();
    ~CTimerStop();
    CTimerStop(const CTimerStop&) = delete;
    CTimerStop& operator=(const CTimerStop&) = delete;

private:
    bool m_previous;
};
