// SPDX-License-Identifier: GPL-3.0-or-later
// The picture beside the simulation level: one of 29 phases of a moon disc, drawn here
// rather than loaded, so it scales with the page and needs no image files. Phases 0..14
// wax from dark to full, 15..28 wane again. Each phase keeps its catalogue picture number
// (148..176) so the mapping stays visible and testable.
#pragma once

#include <QWidget>

class CLevelPicture : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPhases = 29;

    explicit CLevelPicture(int controlId, QWidget* parent = nullptr);

    // Index 0..28; values outside are limited to the table.
    void SetPhase(int index);
    int Phase() const { return m_phase; }
    // The catalogue picture number of the shown phase.
    int PictureNumber() const { return PictureNumber(m_phase); }
    static int PictureNumber(int index);
    // The phase the level picture shows for a level; the level is limited to 0..100.
    static int PhaseForLevel(int level);

    // Draws phase index into a square image of the given size (also used for tests).
    static QImage Render(int index, int size);

    QSize sizeHint() const override { return {96, 96}; }
    QSize minimumSizeHint() const override { return {64, 64}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static void Paint(QPainter& p, const QRectF& area, int index);
    int m_phase = 0;
};
