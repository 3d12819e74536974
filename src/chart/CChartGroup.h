// SPDX-License-Identifier: GPL-3.0-or-later
// Charts that share one time axis: zooming or panning any of them moves all, and the cursor
// shown in one is shown in all. Their plot areas start at the same x, where the widest value
// labels among them end, so that a time lies at the same x in each.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class CTimeChartView;

class CChartGroup : public QObject {
    Q_OBJECT
public:
    explicit CChartGroup(QObject* parent = nullptr);

    void AddView(CTimeChartView* view);
    const QList<QPointer<CTimeChartView>>& Views() const { return m_views; }

    // The range the data covers and the narrowest range a zoom may reach (both in the
    // time axis' units, milliseconds).
    void SetFullRange(double from, double to, double minWidth);
    double FullFrom() const { return m_fullFrom; }
    double FullTo() const { return m_fullTo; }
    double From() const { return m_from; }
    double To() const { return m_to; }

    // Kept within the full range and no narrower than the minimum width.
    void SetRange(double from, double to);
    // factor < 1 zooms in around x, > 1 out.
    void ZoomAt(double x, double factor);
    void PanBy(double dx);
    void Reset();

    // Gives every view the left edge of the one whose value labels are widest.
    void AlignViews();
    // The same soon, when a view's value labels changed width.
    void RequestAlign();

    // Time labels in local time (the data's x is UTC either way); off, the times are shown
    // as they are (a file's wall-clock times).
    void SetLocalTime(bool local) { m_localTime = local; }
    bool LocalTime() const { return m_localTime; }
    // Called with the range about to be shown, before any view draws it: a source that
    // holds more than it hands to the views replaces their series here.
    void SetRangeHook(std::function<void(double from, double to)> hook) { m_rangeHook = std::move(hook); }

    // NaN hides the cursor.
    void SetCursor(double x);
    double Cursor() const { return m_cursor; }

Q_SIGNALS:
    void rangeChanged(double from, double to);
    void cursorChanged(double x);

private:
    void ShowRange();

    QList<QPointer<CTimeChartView>> m_views;
    std::function<void(double, double)> m_rangeHook;
    bool m_localTime = false;
    bool m_batch = false;
    bool m_aligning = false;
    bool m_alignAgain = false;
    bool m_alignQueued = false;
    double m_fullFrom = 0.0;
    double m_fullTo = 1.0;
    double m_minWidth = 1.0;
    double m_from = 0.0;
    double m_to = 1.0;
    double m_cursor;
};
