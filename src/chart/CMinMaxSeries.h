// SPDX-License-Identifier: GPL-3.0-or-later
// One time series prepared for drawing: a chart only ever receives, per pixel column of the
// visible range, the first, lowest, highest and last point of that column. The line drawn
// through them covers exactly the pixels the full series would, whatever its length.
#pragma once

#include <QList>
#include <QPointF>
#include <memory>
#include <vector>

class CMinMaxSeries {
public:
    using Axis = std::shared_ptr<const std::vector<double>>;

    CMinMaxSeries() : CMinMaxSeries(nullptr, {}) {}
    // x ascending (equal values allowed) and shared between the series of one chart set;
    // y of the same length, NaN where a value is missing.
    CMinMaxSeries(Axis x, std::vector<double> y);

    qsizetype Size() const { return static_cast<qsizetype>(m_y.size()); }
    double X(qsizetype i) const { return (*m_x)[i]; }
    double Y(qsizetype i) const { return m_y[i]; }

    // The points for the range [x0, x1] drawn on the given number of pixel columns, plus the
    // nearest present point outside each end so that the line reaches the edges. A point
    // with a NaN y breaks the line: values are missing between its neighbours, which lie in
    // different columns (its x is that of the first missing value).
    void Reduce(double x0, double x1, int columns, QList<QPointF>& out) const;
    // Lowest and highest present value with x in [x0, x1]; false when there is none.
    bool ValueRange(double x0, double x1, double& lo, double& hi) const;
    // The present point nearest to x; -1 when the series has none.
    qsizetype Nearest(double x) const;

private:
    // Lowest and highest value of a stretch and where they are (the first of equal ones);
    // an index of -1 when the stretch has no present value.
    struct Block {
        double lo, hi;
        qsizetype loAt, hiAt;
    };
    class Extremum;
    // Level k of the block table holds blocks of kFan^(k+1) values: a stretch of any length
    // is covered by at most 2 * (kFan - 1) pieces per level.
    static constexpr qsizetype kFan = 16;

    // Index of the lowest and highest present value in [a, b).
    void Extremes(qsizetype a, qsizetype b, qsizetype& loAt, qsizetype& hiAt) const;
    void Scan(qsizetype a, qsizetype b, int level, Extremum& e) const;
    qsizetype LowerBound(double x) const;
    qsizetype UpperBound(double x) const;

    Axis m_x;
    std::vector<double> m_y;
    std::vector<std::vector<Block>> m_levels;
};
