// SPDX-License-Identifier: GPL-3.0-or-later
// Scoped: a page is filling its own controls, so its change handlers ignore notifications.
#pragma once

class CUpdate {
public:
    explicit CUpdate(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~CUpdate() { m_flag = m_previous; }
    CUpdate(const CUpdate&) = delete;
    CUpdate& operator=(const CUpdate&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};
