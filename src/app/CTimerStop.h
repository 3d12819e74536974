// SPDX-License-Identifier: GPL-3.0-or-later
// Scoped: a transfer is in progress, so page refresh ticks, the alert cycle, menu commands
// and page activations do nothing until it ends.
#pragma once

class CKorvalisControlApp;

class CTimerStop {
public:
    CTimerStop();
    // For one application object of several (the service holds one per controller).
    explicit CTimerStop(CKorvalisControlApp& app);
    ~CTimerStop();
    CTimerStop(const CTimerStop&) = delete;
    CTimerStop& operator=(const CTimerStop&) = delete;

private:
    CKorvalisControlApp& m_app;
    bool m_previous;
};
