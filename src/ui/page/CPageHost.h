// SPDX-License-Identifier: GPL-3.0-or-later
// What a page needs of the window that holds it: it reports its changes and failed accesses,
// asks whether it is the active page, and moves the Send button. The main sheet implements
// it; a test can implement the first five and drive a page without a main window.
//
// The rest has harmless defaults: the page-set queries and commands a few pages use, and the
// connection that only the General page controls.
#pragma once

#include <QList>
#include <QString>

class CConnection;
class CMyPropertyPage;
class QWidget;

class CPageHost {
public:
    virtual ~CPageHost() = default;

    // --- what every page reports -----------------------------------------------------------
    virtual CMyPropertyPage* ActivePage() const = 0;
    // The page's change flag changed (the Send button follows).
    virtual void PageChanged(CMyPropertyPage* page, bool modified) = 0;
    virtual void SelectTreeItemOf(CMyPropertyPage* page) = 0;
    virtual void UpdateSheetButtons(CMyPropertyPage* page = nullptr) = 0;
    // After a failed access: message 354 unless quiet, the link-error flag, and the General
    // page becomes the active page.
    virtual void AccessFailed(bool quiet) = 0;

    // --- the page set and the commands -----------------------------------------------------
    // Every page of the class read and returned in page order, at most max.
    virtual QList<CMyPropertyPage*> CollectPages(const QString& className, int max) {
        Q_UNUSED(className);
        Q_UNUSED(max);
        return {};
    }
    // Runs a menu command as the menu would; false when refused.
    virtual bool RunCommand(int id) {
        Q_UNUSED(id);
        return false;
    }

    // --- the connection (the General page) -------------------------------------------------
    virtual void ConnectController(bool takeFirstAnswer) { Q_UNUSED(takeFirstAnswer); }
    // False only when the user declined.
    virtual bool DisconnectController(bool ask) {
        Q_UNUSED(ask);
        return true;
    }
    virtual void OpenConnectionsDialog() {}
    // A connection the command line chose, shown instead of the stored list.
    virtual const CConnection* ListedConnectionOverride() const { return nullptr; }
    // A read or write failed somewhere: the link is gone (the General page disconnects).
    virtual bool LinkError() const { return false; }
    virtual void SetLinkError(bool error) { Q_UNUSED(error); }
    // The main window, once it shows (the start-up splash belongs to it); null otherwise.
    virtual QWidget* HostWindow() { return nullptr; }
};
