// SPDX-License-Identifier: GPL-3.0-or-later
// The measured-value history of a controller as one chart per column on one time axis:
// a controller, a span (day, week, month, year, all, or dates) and the same zoom and pan
// as the file viewer. The views get only what the visible range needs: the records when a
// pixel column spans less than the pyramid's finest bucket, else that level's buckets,
// loaded for the range and as much again on either side so that panning rarely reads. A
// resize that changes the seconds per pixel column reads the level that fits as a zoom does.
#pragma once

#include <QDialog>
#include <QList>

#include "recorder/CMeasHistory.h"

class CChartGroup;
class CTimeChartView;
class CUserInteraction;
class QComboBox;
class QDateEdit;
class QLabel;
class QVBoxLayout;

class CHistoryDialog : public QDialog {
    Q_OBJECT
public:
    enum Span { Day, Week, Month, Year, All, Dates };

    // serial 0: the first controller with a history.
    CHistoryDialog(QWidget* parent, quint32 serial, CUserInteraction* ui);
    ~CHistoryDialog() override;

    // Shows the dialog modally; says so instead when there is no history at all.
    static void ShowModal(QWidget* parent, quint32 serial, CUserInteraction* ui);
    // Imports measured-value files into a controller's history and reports the outcome.
    static void ImportFiles(quint32 serial, const QStringList& paths, CUserInteraction* ui);

    bool SelectController(quint32 serial);
    quint32 Serial() const { return m_serial; }
    void ShowSpan(Span span);
    void ShowDates(QDate from, QDate to);

    CChartGroup* Group() const { return m_group; }
    const QList<CTimeChartView*>& Charts() const { return m_charts; }
    // The level the views were last fed from and how often the history was read.
    int LoadedLevel() const { return m_level; }
    int Loads() const { return m_loads; }
    // The visible range into a file (measured-value format, or CSV for a name ending .csv).
    bool ExportRange(const QString& path, QString* error = nullptr) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens a controller's history, telling ui when it failed or a damaged one was kept aside.
    static bool OpenHistory(CMeasHistory& history, quint32 serial, CUserInteraction* ui);
    void Feed(double from, double to);
    void BuildCharts();
    void AskAndExport();
    void ShowReadout(double x);
    int PixelColumns() const;

    CUserInteraction* m_ui;
    CMeasHistory m_history;
    quint32 m_serial = 0;
    CMeasHistory::Summary m_summary;
    QVector<CMeasHistory::Column> m_columns;
    CChartGroup* m_group = nullptr;
    QList<CTimeChartView*> m_charts;
    QWidget* m_chartArea;
    QVBoxLayout* m_strips;
    QLabel* m_empty;
    QComboBox* m_controller;
    QComboBox* m_span;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QLabel* m_readout;
    int m_level = -1;
    double m_loadedFrom = 0;
    double m_loadedTo = 0;
    int m_loads = 0;
};
