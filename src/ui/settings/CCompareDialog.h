// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison of a settings file with the controller (before a load) or of two files:
// rows grouped by function, each with both values, a check box on every difference a write
// could send, a filter, and the choice of what a load writes. Two files are shown read-only.
// Both can be exported as a text or CSV report.
#pragma once

#include <QDialog>
#include <functional>

#include "params/CSettingsCommands.h"
#include "params/CSettingsComparison.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CCompareDialog : public QDialog {
    Q_OBJECT
public:
    CCompareDialog(CSettingsComparison& comparison, const QString& referenceTitle,
                   const QString& fileTitle, QWidget* parent = nullptr);

    // Shows the dialog modally and returns what the user chose; the check boxes are written
    // back into the comparison's rows.
    static CSettingsCommands::Choice Choose(CSettingsComparison& comparison,
                                            const QString& fileTitle, QWidget* parent);
    // The read-only view of two files.
    static void ShowFiles(CSettingsComparison& comparison, const QString& first,
                          const QString& second, QWidget* parent);
    // The test seam: called instead of exec() with the dialog shown; it presses the buttons.
    using Runner = std::function<void(CCompareDialog& dialog)>;
    static void SetRunner(Runner runner);

    // For a screenshot: compares the file with the connected controller and shows the view
    // without waiting for it (the caller deletes it); nullptr when the comparison fails.
    static QWidget* OpenForScreenshot(QWidget* parent, const QString& path);

    CSettingsCommands::Choice Result() const { return m_choice; }
    void SetFilter(const QString& text);
    // Asks for a file name and writes the report there (format by the file's suffix).
    void Export();
    // Saves the report without asking; false (with a message) when it cannot be written.
    bool ExportTo(const QString& path);

private:
    void Fill();
    void ApplyFilter();
    void UpdateSummary();
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void SetAllChecked(bool on);
    void Finish(CSettingsCommands::Choice choice);
    QString ValueText(const CSettingsComparison::Row& row, bool fileSide) const;
    int Run();

    CSettingsComparison& m_comparison;
    QString m_referenceTitle;
    QString m_fileTitle;
    CSettingsCommands::Choice m_choice = CSettingsCommands::Choice::Cancel;
    bool m_filling = false;
    QLineEdit* m_filter;
    QCheckBox* m_showEqual;
    QTreeWidget* m_tree;
    QLabel* m_summary;
    QPushButton* m_writeChecked = nullptr;
    QPushButton* m_writeAll = nullptr;
};
