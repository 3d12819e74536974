// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer of a measured-value file: one chart per value column in equal strips, all on
// one time axis, with zoom, pan, a cursor read-out and export of the view as a picture.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

class CChartGroup;
class CMeasuredValueArray;
class CTimeChartView;
class CUserInteraction;
class QLabel;

class CMeasDataDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog keeps what it draws; the array may go away afterwards.
    CMeasDataDialog(QWidget* parent, const CMeasuredValueArray& array);
    ~CMeasDataDialog() override;

    // Opens a file (asking for its name when path is empty) and shows it modally.
    // Messages 391 (cannot open) and 392 (cannot read) go through ui.
    static void OpenFile(QWidget* parent, const QString& path, CUserInteraction* ui);

    CChartGroup* Group() const { return m_group; }
    const QList<CTimeChartView*>& Charts() const { return m_charts; }
    QString ReadoutText() const;
    // The charts as they are shown, as a PNG file written atomically.
    bool ExportImage(const QString& path) const;

private:
    void AskAndExport();
    void ShowReadout(double x);

    CChartGroup* m_group;
    QWidget* m_chartArea;
    QList<CTimeChartView*> m_charts;
    QLabel* m_readout;
    std::shared_ptr<const std::vector<double>> m_time;
};
