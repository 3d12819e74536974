// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/illumination/CRunChart.h"

#include <QFont>
#include <QPainter>
#include <QPolygonF>

#include "schedule/CIlluminationRun.h"

QRectF CRunChart::PlotArea(const QRectF& client) {
    QRectF r = client.adjusted(25, 20, -25, -20);
    r.adjust(0, 10, -10, 0);
    return r;
}

QPointF CRunChart::Map(const QRectF& plot, double minute, double percent) {
    return {plot.left() + minute * plot.width() / 1440.0,
            plot.top() + (100.0 - percent) * plot.height() / 100.0};
}

void CRunChart::AddPiece(std::vector<Segment>& out, double m0, double p0, double m1, double p1) {
    if (m1 < m0) {
        // Across midnight: the level at 1439 lies on the straight line over the whole span.
        const double span = 1440.0 - m0 + m1;
        const double at1439 = p0 + (p1 - p0) * (1439.0 - m0) / span;
        out.push_back({m0, p0, 1439, at1439});
        out.push_back({0, at1439, m1, p1});
        return;
    }
    out.push_back({m0, p0, m1, p1});
}

std::vector<CRunChart::Segment> CRunChart::Segments(const CIlluminationRun& run, int mode) {
    std::vector<Segment> out;
    const int n = run.Count();
    const auto endOf = [](const CIlluminationRunPoint& p, bool ramp) {
        int end = ramp ? p.time.start + p.time.second : p.time.second;
        if (end >= 1440) end -= 1440;
        return double(end);
    };
    if (mode == CIlluminationRun::Switching) {
        for (const CIlluminationRunPoint& p : run.points) {
            const double s = p.time.start, e = endOf(p, false);
            out.push_back({s, 0, s, 100});
            AddPiece(out, s, 100, e, 100);
            out.push_back({e, 100, e, 0});
        }
        return out;
    }
    if (n < 2) return out;
    double level = run.points[n - 1].intensity;
    for (int i = 0; i < n; ++i) {
        const CIlluminationRunPoint& p = run.points[i];
        const double s = p.time.start, e = endOf(p, true);
        const double target = p.intensity;
        AddPiece(out, s, level, e, target);
        const double next = run.points[(i + 1) % n].time.start;
        if (next != e) AddPiece(out, e, target, next, target);
        level = target;
    }
    return out;
}

void CRunChart::DrawFrame(QPainter& painter, const QRectF& client, const QString& timeCaption,
                          const QString& percentCaption) {
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    // The border goes round the whole drawing area, which may hold more than client.
    painter.fillRect(painter.window(), Qt::white);
    painter.drawRect(QRectF(painter.window()).adjusted(0, 0, -1, -1));
    painter.setBrush(Qt::NoBrush);
    const QRectF plot = PlotArea(client);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    painter.setFont(font);
    // Axes with arrow heads beyond the plot's left and bottom edges.
    const QPointF origin = plot.bottomLeft();
    const QPointF xEnd(plot.right() + 8, origin.y());
    const QPointF yEnd(origin.x(), plot.top() - 8);
    painter.drawLine(origin, xEnd);
    painter.drawLine(origin, yEnd);
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygonF{xEnd, xEnd + QPointF(-7, -3.5), xEnd + QPointF(-7, 3.5)});
    painter.drawPolygon(QPolygonF{yEnd, yEnd + QPointF(-3.5, 7), yEnd + QPointF(3.5, 7)});
    painter.setBrush(Qt::NoBrush);
    const int textHeight = 16;
    for (int h = 0; h <= 24; ++h) {
        const QPointF p = Map(plot, h * 60, 0);
        painter.drawLine(p, p + QPointF(0, h % 2 == 0 ? 5 : 3));
        if (h % 2 == 0 && h < 24)
            painter.drawText(QRectF(p.x() - 20, p.y() + 4, 40, textHeight), Qt::AlignCenter,
                             QString::number(h));
    }
    for (int pc = 0; pc <= 100; pc += 10) {
        const QPointF p = Map(plot, 0, pc);
        painter.drawLine(p, p - QPointF(pc % 20 == 0 ? 5 : 3, 0));
        if (pc % 20 == 0 && pc > 0)
            painter.drawText(QRectF(plot.left() - 66, p.y() - textHeight / 2.0, 60, textHeight),
                             Qt::AlignRight | Qt::AlignVCenter, QString::number(pc));
    }
    painter.drawText(QRectF(plot.left() - 66, origin.y() - textHeight / 2.0, 60, textHeight),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    painter.drawText(QRectF(plot.right() - 150, origin.y() + 4, 150 + 22, textHeight),
                     Qt::AlignRight | Qt::AlignVCenter, timeCaption);
    painter.drawText(QRectF(plot.left() + 10, client.top() + 2, 200, textHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, percentCaption);
    painter.restore();
}

void CRunChart::DrawRun(QPainter& painter, const QRectF& plot, const CIlluminationRun& run,
                        int mode, const QColor& colour) {
    painter.save();
    painter.setPen(QPen(colour, 0, Qt::SolidLine));
    for (const Segment& s : Segments(run, mode))
        painter.drawLine(Map(plot, s.minute0, s.percent0), Map(plot, s.minute1, s.percent1));
    painter.restore();
}

void CRunChart::DrawMarker(QPainter& painter, const QRectF& plot, int minute) {
    painter.save();
    painter.setPen(QPen(Qt::red, 0, Qt::DashDotDotLine));
    painter.drawLine(Map(plot, minute, 0), Map(plot, minute, 100));
    painter.restore();
}
