// SPDX-License-Identifier: GPL-3.0-or-later
// What the network-module discovery shows the user: a progress window during the wait, the
// choice among several modules, and the message that none answered. The GUI implements it
// with dialogs; without one, discovery runs silently and takes the first answer.
#pragma once

#include <QString>
#include <QStringList>

class CDiscoveryUi {
public:
    virtual ~CDiscoveryUi() = default;

    // A progress window titled with the catalogue's string titleId, range 0..maximum.
    virtual void BeginProgress(int titleId, int maximum) = 0;
    virtual void SetProgress(int position) = 0;
    virtual void EndProgress() = 0;
    // Called often during the wait, so the progress window can repaint (no user input).
    virtual void Repaint() {}
    // The selection dialog: true and result set when the user chose an address.
    virtual bool SelectAddress(const QStringList& addresses, QString& result) = 0;
    // Message 412: no module answered.
    virtual void ReportNoModule() = 0;
};
