// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CRunChartView.h"

#include <QPainter>

#include "lang/CLanguage.h"
#include "pages/illumination/CRunChart.h"

CRunChartView::CRunChartView(int controlId, QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(controlId));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CRunChartView::SetCurves(std::vector<Curve> curves) {
    m_curves = std::move(curves);
    update();
}

void CRunChartView::SetMarker(int minute) {
    m_marker = minute;
    update();
}

void CRunChartView::SetRunsHidden(bool hidden) {
    m_hidden = hidden;
    update();
}

void CRunChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The frame's own inset leaves too little room for "100" in the axis font: the chart
    // starts a little further right.
    const QRectF client = QRectF(rect()).adjusted(12, 0, 0, 0);
    CRunChart::DrawFrame(painter, client, Tr(138), Tr(356));

    const QRectF plot = CRunChart::PlotArea(client);
    if (!m_hidden)
        for (const Curve& c : m_curves)
            if (c.run) CRunChart::DrawRun(painter, plot, *c.run, c.mode, c.colour);
    if (m_marker >= 0) CRunChart::DrawMarker(painter, plot, m_marker);
}
