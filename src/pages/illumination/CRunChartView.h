// SPDX-License-Identifier: GPL-3.0-or-later
// The chart area of the illumination and dimming-curves pages: the curves it is given,
// drawn with CRunChart, and optionally the simulated minute.
#pragma once

#include <QColor>
#include <QWidget>
#include <vector>

class CIlluminationRun;

class CRunChartView : public QWidget {
    Q_OBJECT
public:
    struct Curve {
        const CIlluminationRun* run = nullptr;
        int mode = 0;
        QColor colour;
    };

    explicit CRunChartView(int controlId, QWidget* parent = nullptr);

    void SetCurves(std::vector<Curve> curves);
    // -1 = no marker.
    void SetMarker(int minute);
    // Nothing but frame and axes (simulation mode: no controller data).
    void SetRunsHidden(bool hidden);

    QSize sizeHint() const override { return {520, 220}; }
    QSize minimumSizeHint() const override { return {360, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Curve> m_curves;
    int m_marker = -1;
    bool m_hidden = false;
};
