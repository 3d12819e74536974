// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of long operations (bulk transfers, firmware transfer, recorder
// download): a bar, the name of the item being transferred and a cancel button. It is
// shown modeless but blocks input to the other windows, so that while the operation pumps
// window messages only its cancel button and repaints reach the user.
#pragma once

#include <QDialog>
#include <memory>

#include "params/CTransferProgress.h"

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDialog : public QDialog, public CTransferProgress {
    Q_OBJECT
public:
    // Control identifiers.
    enum { IdCancel = 2, IdBar = 1220, IdItemText = 1238 };

    // cancelFlag (caller-owned) is set when the user cancels; nullptr hides the cancel button.
    CProgressDialog(QWidget* parent, bool* cancelFlag);
    ~CProgressDialog() override;
    // A window shown and painted at once, before the operation's first blocking step.
    static std::unique_ptr<CProgressDialog> Open(QWidget* parent, bool* cancelFlag);

    void SetRange(int maximum) override;
    void SetPos(int pos) override;
    void SetCaption(const QString& caption) override;
    void SetItemText(const QString& text) override;
    int Pos() const { return m_pos; }
    void Step() { SetPos(m_pos + 1); }

    // Cancel button and Escape: sets the flag and closes; without a flag nothing happens.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool* m_cancelFlag;
    int m_pos = 0;
    QProgressBar* m_bar;
    QLabel* m_itemText;
    QPushButton* m_cancel;
};
