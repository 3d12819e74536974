// SPDX-License-Identifier: GPL-3.0-or-later
// The discovery's progress window, module choice and "none answered" message for the GUI.
#pragma once

#include <QPointer>

#include "link/CDiscoveryUi.h"

class QProgressDialog;
class QWidget;

class CDiscoveryDialogs : public CDiscoveryUi {
public:
    explicit CDiscoveryDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    ~CDiscoveryDialogs() override;

    void BeginProgress(int titleId, int maximum) override;
    void SetProgress(int position) override;
    void EndProgress() override;
    void Repaint() override;
    bool SelectAddress(const QStringList& addresses, QString& result) override;
    void ReportNoModule() override;

private:
    QPointer<QWidget> m_parent;
    QProgressDialog* m_progress = nullptr;
};
