// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/CMinMaxSeries.h"

#include <algorithm>
#include <cmath>
#include <limits>

// Gathers the lowest and highest of values and blocks taken in index order. NaN compares
// false both ways and so drops out; infinities are kept.
class CMinMaxSeries::Extremum {
public:
    void Take(double v, qsizetype i) {
        if (v < m_lo) {
            m_lo = v;
            m_loAt = i;
        }
        if (v > m_hi) {
            m_hi = v;
            m_hiAt = i;
        }
    }
    void Take(const Block& b) {
        if (b.lo < m_lo) {
            m_lo = b.lo;
            m_loAt = b.loAt;
        }
        if (b.hi > m_hi) {
            m_hi = b.hi;
            m_hiAt = b.hiAt;
        }
    }
    Block Result() const {
        // Only +inf (or only -inf) present: the strict comparisons left one side unset.
        Block b{m_lo, m_hi, m_loAt, m_hiAt};
        if (b.loAt < 0 && b.hiAt >= 0) b.loAt = b.hiAt;
        if (b.hiAt < 0 && b.loAt >= 0) b.hiAt = b.loAt;
        return b;
    }

private:
    double m_lo = std::numeric_limits<double>::infinity();
    double m_hi = -std::numeric_limits<double>::infinity();
    qsizetype m_loAt = -1;
    qsizetype m_hiAt = -1;
};

CMinMaxSeries::CMinMaxSeries(Axis x, std::vector<double> y) : m_x(std::move(x)), m_y(std::move(y)) {
    if (!m_x) m_x = std::make_shared<const std::vector<double>>();
    m_y.resize(m_x->size(), std::nan(""));
    const qsizetype n = Size();
    // Level 0 from the values, every further one from the level below, up to the first
    // level with fewer than kFan blocks.
    qsizetype count = n;
    for (int level = 0; count > kFan; ++level) {
        const std::vector<Block>* below = level > 0 ? &m_levels.back() : nullptr;
        std::vector<Block> blocks;
        blocks.reserve(static_cast<size_t>((count + kFan - 1) / kFan));
        for (qsizetype b = 0; b < count; b += kFan) {
            Extremum e;
            const qsizetype end = std::min(count, b + kFan);
            for (qsizetype i = b; i < end; ++i) {
                if (below)
                    e.Take((*below)[static_cast<size_t>(i)]);
                else
                    e.Take(m_y[static_cast<size_t>(i)], i);
            }
            blocks.push_back(e.Result());
        }
        count = static_cast<qsizetype>(blocks.size());
        m_levels.push_back(std::move(blocks));
    }
}

qsizetype CMinMaxSeries::LowerBound(double x) const {
    return std::lower_bound(m_x->begin(), m_x->end(), x) - m_x->begin();
}

qsizetype CMinMaxSeries::UpperBound(double x) const {
    return std::upper_bound(m_x->begin(), m_x->end(), x) - m_x->begin();
}

void CMinMaxSeries::Extremes(qsizetype a, qsizetype b, qsizetype& loAt, qsizetype& hiAt) const {
    Extremum e;
    Scan(a, b, static_cast<int>(m_levels.size()) - 1, e);
    const Block result = e.Result();
    loAt = result.loAt;
    hiAt = result.hiAt;
}

void CMinMaxSeries::Scan(qsizetype a, qsizetype b, int level, Extremum& e) const {
    if (level < 0) {
        for (qsizetype i = a; i < b; ++i) e.Take(m_y[static_cast<size_t>(i)], i);
        return;
    }
    // Whole blocks of this level from the table, the ragged ends from the levels below.
    qsizetype size = kFan;
    for (int k = 0; k < level; ++k) size *= kFan;
    const qsizetype first = (a + size - 1) / size;
    const qsizetype last = b / size;  // exclusive
    if (first >= last) {
        Scan(a, b, level - 1, e);
        return;
    }
    Scan(a, first * size, level - 1, e);
    const std::vector<Block>& blocks = m_levels[static_cast<size_t>(level)];
    for (qsizetype k = first; k < last; ++k) e.Take(blocks[static_cast<size_t>(k)]);
    Scan(last * size, b, level - 1, e);
}

void CMinMaxSeries::Reduce(double x0, double x1, int columns, QList<QPointF>& out) const {
    out.clear();
    const qsizetype n = Size();
    if (n == 0 || columns <= 0 || !(x1 > x0)) return;
    const qsizetype begin = LowerBound(x0);
    const qsizetype end = UpperBound(x1);

    out.reserve(5 * columns + 3);
    const std::vector<double>& xs = *m_x;
    auto push = [&](qsizetype i) { out.append(QPointF(xs[i], m_y[i])); };
    // Between the last point of one column (or the neighbour before the range) and the
    // first of the next column that has any, every value is missing: when there is one at
    // all, the line breaks there. Within a column it never does, so that the column's
    // stroke from lowest to highest stays whole.
    qsizetype pushed = -1;
    auto pushFirst = [&](qsizetype i) {
        if (pushed >= 0 && i - pushed > 1) out.append(QPointF(xs[pushed + 1], std::nan("")));
        push(i);
    };
    for (qsizetype i = begin - 1; i >= 0; --i)
        if (!std::isnan(m_y[i])) {
            push(i);
            pushed = i;
            break;
        }

    const double width = x1 - x0;
    qsizetype a = begin;
    for (int c = 0; c < columns && a < end; ++c) {
        // The column holds the points with x0 + c*w/columns <= x < x0 + (c+1)*w/columns;
        // the last column also takes x1 itself.
        qsizetype b = end;
        if (c + 1 < columns) {
            // A column's end is near its start: search outward from a in growing steps,
            // then bisect the last step.
            const double edge = x0 + width * (c + 1) / columns;
            qsizetype lo = a, hi = a;
            for (qsizetype step = 1; hi < end && xs[hi] < edge; step *= 2) {
                lo = hi + 1;
                hi = std::min(end, hi + step);
            }
            b = std::lower_bound(xs.begin() + lo, xs.begin() + hi, edge) - xs.begin();
        }
        if (b > a) {
            qsizetype first = -1, last = -1, loAt = -1, hiAt = -1;
            for (qsizetype i = a; i < b; ++i)
                if (!std::isnan(m_y[i])) {
                    first = i;
                    break;
                }
            for (qsizetype i = b - 1; i >= a; --i)
                if (!std::isnan(m_y[i])) {
                    last = i;
                    break;
                }
            if (first >= 0) {
                Extremes(first, last + 1, loAt, hiAt);
                qsizetype idx[4] = {first, loAt, hiAt, last};
                std::sort(idx, idx + 4);
                pushFirst(idx[0]);
                for (int k = 1; k < 4; ++k)
                    if (idx[k] != idx[k - 1]) push(idx[k]);
                pushed = last;
            }
        }
        a = b;
    }

    for (qsizetype i = end; i < n; ++i)
        if (!std::isnan(m_y[i])) {
            pushFirst(i);
            break;
        }
}

bool CMinMaxSeries::ValueRange(double x0, double x1, double& lo, double& hi) const {
    qsizetype loAt = -1, hiAt = -1;
    Extremes(LowerBound(x0), UpperBound(x1), loAt, hiAt);
    if (loAt < 0) return false;
    lo = m_y[loAt];
    hi = m_y[hiAt];
    return true;
}

qsizetype CMinMaxSeries::Nearest(double x) const {
    const qsizetype n = Size();
    const qsizetype at = LowerBound(x);
    qsizetype left = at - 1, right = at;
    while (left >= 0 && std::isnan(m_y[left])) --left;
    while (right < n && std::isnan(m_y[right])) ++right;
    if (left < 0) return right < n ? right : -1;
    if (right >= n) return left;
    return (x - (*m_x)[left] <= (*m_x)[right] - x) ? left : right;
}
