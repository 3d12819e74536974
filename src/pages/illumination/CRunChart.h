// SPDX-License-Identifier: GPL-3.0-or-later
// Draws light runs over one day: the frame with both axes, hour and percent ticks, and each
// run as the ramps and holds (dimming) or the on pulses (switching) the controller makes of
// it. The illumination pages and the dimming-curves page draw through this one class.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

class CIlluminationRun;
class QPainter;

class CRunChart {
public:
    // A straight piece of a run in day coordinates (minute 0..1439, percent 0..100).
    struct Segment {
        double minute0, percent0, minute1, percent1;
        bool operator==(const Segment&) const = default;
    };

    // The plot area inside a client rectangle: inset 25 x 20, then 10 less at right and top.
    static QRectF PlotArea(const QRectF& client);
    static QPointF Map(const QRectF& plot, double minute, double percent);

    // The pieces of a run; those passing midnight are already split at 1439 / 0.
    static std::vector<Segment> Segments(const CIlluminationRun& run, int mode);

    // Frame, axes with arrow heads, ticks and labels (captions: time at the x axis' end,
    // percent above the y axis).
    static void DrawFrame(QPainter& painter, const QRectF& client, const QString& timeCaption,
                          const QString& percentCaption);
    static void DrawRun(QPainter& painter, const QRectF& plot, const CIlluminationRun& run,
                        int mode, const QColor& colour);
    // The simulated minute: a red dash-dot-dot line from 0 to 100 %.
    static void DrawMarker(QPainter& painter, const QRectF& plot, int minute);

private:
    static void AddPiece(std::vector<Segment>& out, double m0, double p0, double m1, double p1);
};
