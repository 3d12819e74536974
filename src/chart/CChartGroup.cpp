// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/CChartGroup.h"

#include <algorithm>
#include <cmath>

#include "chart/CTimeChartView.h"

CChartGroup::CChartGroup(QObject* parent) : QObject(parent), m_cursor(std::nan("")) {}

void CChartGroup::AddView(CTimeChartView* view) {
    m_views.append(view);
    view->ApplyRange(m_from, m_to);
    AlignViews();
    view->Redraw();
}

void CChartGroup::ShowRange() {
    // Every value axis first: their labels decide where the plot areas can start. Then all
    // start where the widest labels end, and only then are the lines reduced, once, for the
    // widths that result.
    if (m_rangeHook) m_rangeHook(m_from, m_to);
    m_batch = true;
    for (const QPointer<CTimeChartView>& view : m_views)
        if (view) view->ApplyRange(m_from, m_to);
    m_batch = false;
    AlignViews();
    for (const QPointer<CTimeChartView>& view : m_views)
        if (view) view->Redraw();
    Q_EMIT rangeChanged(m_from, m_to);
}

void CChartGroup::RequestAlign() {
    if (m_batch) return;  // aligned at its end
    if (m_aligning) {
        // A view's labels changed while it was being moved (its new width made it redraw).
        m_alignAgain = true;
        return;
    }
    // Once for all the views whose labels change together, as on a resize of the window:
    // every move redraws the view moved.
    if (m_alignQueued) return;
    m_alignQueued = true;
    QMetaObject::invokeMethod(this, &CChartGroup::AlignViews, Qt::QueuedConnection);
}

void CChartGroup::AlignViews() {
    m_alignQueued = false;
    if (m_batch || m_aligning) return;
    m_aligning = true;
    for (int round = 0; round < 4; ++round) {
        m_alignAgain = false;
        double left = 0.0;
        for (const QPointer<CTimeChartView>& view : m_views)
            if (view) left = std::max(left, view->NaturalLeft());
        // On a whole pixel: grid, line and cursor then fall alike in every strip.
        left = std::ceil(left);
        for (const QPointer<CTimeChartView>& view : m_views)
            if (view) view->AlignLeftTo(left);
        if (!m_alignAgain) break;
    }
    m_aligning = false;
}

void CChartGroup::SetFullRange(double from, double to, double minWidth) {
    if (!(to > from)) {
        // One record or none: show an hour around it.
        from -= 1800000.0;
        to = from + 3600000.0;
    }
    m_fullFrom = from;
    m_fullTo = to;
    m_minWidth = std::clamp(minWidth, 1.0, to - from);
    Reset();
}

void CChartGroup::SetRange(double from, double to) {
    if (!std::isfinite(from) || !std::isfinite(to)) return;
    const double full = m_fullTo - m_fullFrom;
    const double width = std::clamp(to - from, m_minWidth, full);
    double start = from;
    if (to - from < m_minWidth) start = (from + to) / 2.0 - width / 2.0;
    start = std::clamp(start, m_fullFrom, m_fullTo - width);
    if (start == m_from && start + width == m_to) return;
    m_from = start;
    m_to = start + width;
    ShowRange();
}

void CChartGroup::ZoomAt(double x, double factor) {
    if (!(factor > 0.0)) return;
    x = std::clamp(x, m_from, m_to);
    SetRange(x - (x - m_from) * factor, x + (m_to - x) * factor);
}

void CChartGroup::PanBy(double dx) {
    const double width = m_to - m_from;
    const double start = std::clamp(m_from + dx, m_fullFrom, m_fullTo - width);
    SetRange(start, start + width);
}

void CChartGroup::Reset() {
    m_from = m_fullFrom;
    m_to = m_fullTo;
    ShowRange();
}

void CChartGroup::SetCursor(double x) {
    if (x == m_cursor || (std::isnan(x) && std::isnan(m_cursor))) return;
    m_cursor = x;
    for (const QPointer<CTimeChartView>& view : m_views)
        if (view) view->ShowCursor(x);
    Q_EMIT cursorChanged(x);
}
