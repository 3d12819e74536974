// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/CMinMaxSeries.h"

#include <algorithm>
#include <cmath>

CMinMaxSeries::CMinMaxSeries(Axis x, std::vector<double> y) : m_x(std::move(x)), m_y(std::move(y)) {
    if (!m_x) m_x = std::make_shared<const std::vector<double>>();
    m_y.resize(m_x->size(), std::nan(""));
    const qsizetype n = Size();
    m_blocks.reserve(static_cast<size_t>((n + kBlock - 1) / kBlock));
    for (qsizetype b = 0; b < n; b += kBlock) {
        Block block{0.0, 0.0, -1, -1};
        const qsizetype end = std::min(n, b + kBlock);
        for (qsizetype i = b; i < end; ++i) {
            const double v = m_y[i];
            if (std::isnan(v)) continue;
            if (block.loAt < 0 || v < block.lo) {
                block.lo = v;
                block.loAt = i;
            }
            if (block.hiAt < 0 || v > block.hi) {
                block.hi = v;
                block.hiAt = i;
            }
        }
        m_blocks.push_back(block);
    }
}

qsizetype CMinMaxSeries::LowerBound(double x) const {
    return std::lower_bound(m_x->begin(), m_x->end(), x) - m_x->begin();
}

qsizetype CMinMaxSeries::UpperBound(double x) const {
    return std::upper_bound(m_x->begin(), m_x->end(), x) - m_x->begin();
}

void CMinMaxSeries::Extremes(qsizetype a, qsizetype b, qsizetype& loAt, qsizetype& hiAt) const {
    loAt = hiAt = -1;
    auto take = [&](qsizetype i) {
        const double v = m_y[i];
        if (std::isnan(v)) return;
        if (loAt < 0 || v < m_y[loAt]) loAt = i;
        if (hiAt < 0 || v > m_y[hiAt]) hiAt = i;
    };
    // Whole blocks come from the block table; only the ragged ends are scanned.
    const qsizetype firstFull = (a + kBlock - 1) / kBlock;
    const qsizetype lastFull = b / kBlock;  // exclusive
    if (firstFull >= lastFull) {
        for (qsizetype i = a; i < b; ++i) take(i);
        return;
    }
    for (qsizetype i = a; i < firstFull * kBlock; ++i) take(i);
    for (qsizetype k = firstFull; k < lastFull; ++k) {
        const Block& block = m_blocks[static_cast<size_t>(k)];
        if (block.loAt < 0) continue;
        if (loAt < 0 || block.lo < m_y[loAt]) loAt = block.loAt;
        if (hiAt < 0 || block.hi > m_y[hiAt]) hiAt = block.hiAt;
    }
    for (qsizetype i = lastFull * kBlock; i < b; ++i) take(i);
}

void CMinMaxSeries::Reduce(double x0, double x1, int columns, QList<QPointF>& out) const {
    out.clear();
    const qsizetype n = Size();
    if (n == 0 || columns <= 0 || !(x1 > x0)) return;
    const qsizetype begin = LowerBound(x0);
    const qsizetype end = UpperBound(x1);

    auto push = [&](qsizetype i) { out.append(QPointF((*m_x)[i], m_y[i])); };
    for (qsizetype i = begin - 1; i >= 0; --i)
        if (!std::isnan(m_y[i])) {
            push(i);
            break;
        }

    const double width = x1 - x0;
    qsizetype a = begin;
    for (int c = 0; c < columns && a < end; ++c) {
        // The column holds the points with x0 + c*w/columns <= x < x0 + (c+1)*w/columns;
        // the last column also takes x1 itself.
        qsizetype b = end;
        if (c + 1 < columns) {
            const double edge = x0 + width * (c + 1) / columns;
            b = std::lower_bound(m_x->begin() + a, m_x->begin() + end, edge) - m_x->begin();
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
                for (int k = 0; k < 4; ++k)
                    if (k == 0 || idx[k] != idx[k - 1]) push(idx[k]);
            }
        }
        a = b;
    }

    for (qsizetype i = end; i < n; ++i)
        if (!std::isnan(m_y[i])) {
            push(i);
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
