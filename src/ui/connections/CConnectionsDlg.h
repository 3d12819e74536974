// SPDX-License-Identifier: GPL-3.0-or-later
// The list of stored connections (template 216): the check box of one row marks the
// selected connection, New/Edit/Delete change the list, and the automatic-connect box.
// Every change takes effect at once; closing undoes nothing.
#pragma once

#include <QDialog>
#include <functional>

#include "link/CConnection.h"

class CKorvalisControlApp;
class QCheckBox;
class QPushButton;
class QTableWidget;

class CConnectionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CConnectionsDlg(CKorvalisControlApp& app, QWidget* parent = nullptr);

    // How the connection editor runs (default: modal CEditConnectionDlg); tests script it.
    // Gets the connection and the name check; returns true on OK.
    using EditorRunner = std::function<bool(CConnection&, const std::function<bool(const QString&)>&)>;
    void SetEditorRunner(EditorRunner runner) { m_runEditor = std::move(runner); }

    void OnNew();
    void OnEdit();
    void OnDelete();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill(int currentRow);
    void UpdateButtons();
    void OnCellClicked(int row, int column);
    bool RunEditor(CConnection& c, int editedRow);

    CKorvalisControlApp& m_app;
    EditorRunner m_runEditor;
    QTableWidget* m_list;
    QPushButton* m_new;
    QPushButton* m_edit;
    QPushButton* m_delete;
    QPushButton* m_ports;
    QCheckBox* m_autoConnect;
};
