// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: banner, navigation tree, the active page, progress bar, the button row
// (Send, Read, Back, Next, Help, Cancel) and the menu. It owns the page set, rebuilds it on
// every connect and disconnect, and runs the 30-second alert cycle.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

#include "link/CConnection.h"
#include "ui/page/CPageHost.h"

class CBrowser;
class CKorvalisControlApp;
class CMyPropertyPage;
class QAction;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSplitter;
class QStackedWidget;
class CGuiUserInteraction;

class CMyPropertySheet : public QDialog, public CPageHost {
    Q_OBJECT
public:
    // Control identifiers of the button row.
    enum ButtonId {
        IdSend = 12321,
        IdRead = 104,
        IdBack = 12323,
        IdNext = 12324,
        IdHelp = 9,
        IdCancel = 2
    };
    enum Menu { MenuFile = 0, MenuController = 1, MenuExtras = 2, MenuHelp = 3 };

    // A menu command. Other parts of the program add theirs with CommandRegistrar.
    struct Command {
        int id = 0;
        Menu menu = MenuController;
        int order = 500;  // position within its menu
        int textId = 0;   // catalogue string of the item text
        std::function<void(CMyPropertySheet&)> run;
        std::function<bool(CMyPropertySheet&)> enabled;  // empty = always
        std::function<QString(CMyPropertySheet&)> text;  // empty = Tr(textId)
        std::function<bool(CMyPropertySheet&)> checked;  // empty = not checkable
        bool separatorBefore = false;
    };
    static void RegisterCommand(Command command);
    struct CommandRegistrar {
        explicit CommandRegistrar(Command command) { RegisterCommand(std::move(command)); }
    };

    explicit CMyPropertySheet(QWidget* parent = nullptr);
    ~CMyPropertySheet() override;

    // The main window while it exists.
    static CMyPropertySheet* Instance();
    static CKorvalisControlApp& App();

    // --- pages ------------------------------------------------------------------------------
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    CMyPropertyPage* Page(int index) const;
    int PageIndex(const CMyPropertyPage* page) const;
    const QList<CMyPropertyPage*>& Pages() const { return m_pages; }
    CMyPropertyPage* ActivePage() const override { return m_active; }
    CMyPropertyPage* GeneralPage() const { return m_general; }
    // The page of a class (and instance index), or nullptr.
    CMyPropertyPage* FindPage(const QString& className, int instance = 0) const;
    template <class T>
    T* FindPage(int instance = 0) const {
        for (CMyPropertyPage* p : m_pages)
            if (auto* t = qobject_cast<T*>(p); t && PageInstance(p) == instance) return t;
        return nullptr;
    }

    bool ActivatePage(CMyPropertyPage* page);
    bool ActivatePage(int index);
    void BuildPageSet();
    void BuildTree();
    void RemovePages();
    void InvalidatePages();
    void UpdateSheetButtons(CMyPropertyPage* page = nullptr) override;
    // The page-changed bookkeeping behind the Send button.
    void PageChanged(CMyPropertyPage* page, bool modified) override;
    bool AnyPageModified() const;
    // Makes sure every page of the class has been read (activating unread ones under the
    // tree-busy flag) and returns them in page order, at most max. Only while connected.
    QList<CMyPropertyPage*> CollectPages(const QString& className, int max) override;
    void SelectTreeItemOf(CMyPropertyPage* page) override;

    // --- connect and disconnect ---------------------------------------------------------------
    void ConnectController(bool takeFirstAnswer) override;
    // False only when the user declined (message 179). While a page's modal dialog runs
    // the disconnect (and any page-set rebuild) waits until it closes: the page and its
    // dialog are never deleted under a running dialog.
    bool DisconnectController(bool ask) override;
    // A modal dialog (or message) opened by a page is running.
    bool PageDialogRunning() const;
    // The end of a transfer that leaves the controller unreachable (the firmware transfer):
    // disconnects without asking and rebuilds the page set at once, while that transfer
    // still holds the transfer-in-progress flag.
    void DisconnectAfterTransfer();
    // A connection used instead of the stored selection (command line --demo-connection).
    // listed: the General page shows it as the current connection (the command line's
    // demo connection); tests leave it out of sight.
    void SetConnectionOverride(const CConnection& connection, bool listed = false) {
        m_override = connection;
        m_overrideListed = listed;
    }
    const CConnection* ListedConnectionOverride() const override {
        return m_override && m_overrideListed ? &*m_override : nullptr;
    }
    void ClearConnectionOverride() {
        m_override.reset();
        m_overrideListed = false;
    }
    // A restore moved the controller to another bus address (parameter 5): the connection
    // the next connect uses keeps it, the override when one is set, else the stored selection.
    void FollowBusAddress(uint32_t address);
    // When the page set no longer matches the application's connection state (a failed text
    // write or restart disconnected below the sheet), rebuilds it for the state it finds.
    // While a transfer or a page's dialog runs it waits, checking again every 100 ms.
    void SyncPageSet();
    bool PageSetIsConnected() const { return m_builtConnected; }
    // "Group / Caption" as the tree shows the page.
    static QString PageLabel(const CMyPropertyPage* page);

    // --- commands -----------------------------------------------------------------------------
    // Send: every page with a change that was read completely writes its changes; modified
    // pages that were not read are left out and named in one message.
    void WriteAllPages();
    void RereadActivePage();
    // Runs a menu command as the menu would: refused while a transfer runs or when disabled.
    bool RunCommand(int id) override;
    bool IsCommandEnabled(int id);
    QAction* CommandAction(int id) const;
    // Application commands: restart (40014, message 153), language (40019, message 402),
    // the manual (40011, string 346), about (57664).
    void RestartDevice();
    void ChooseLanguage();
    void OpenManual();
    void ShowAbout();
    // The caption buttons' message: 1 minimise, 2 context-help mode.
    int OnHitCaptionButton(int which, int flag);

    // Hooks the connections part supplies; until then the commands only refresh the General page.
    static void SetConnectionsDialogHandler(std::function<bool(CMyPropertySheet&)> handler);
    static void SetDeviceAddressHandler(std::function<void(CMyPropertySheet&)> handler);
    void OpenConnectionsDialog() override;
    void OpenDeviceAddressDialog();
    // The alert cycle of the e-mail alerts, run every 30 s unless a transfer runs. A handler
    // takes the place of the application's cycle (tests count the calls).
    static void SetAlertCycleHandler(std::function<void(CMyPropertySheet&)> handler);
    void RunAlertCycle();
    // Waiting time of the restart command (10 s; tests shorten it).
    void SetRestartWaitMs(int msecs) { m_restartWaitMs = msecs; }

    // --- flags --------------------------------------------------------------------------------
    bool IsTreeBusy() const { return m_treeBusy; }
    void SetTreeBusy(bool busy) { m_treeBusy = busy; }
    bool LinkError() const override { return m_linkError; }
    void SetLinkError(bool error) override { m_linkError = error; }
    bool IsInitialised() const { return m_initialised; }

    // --- what pages and the General page use --------------------------------------------------
    uint16_t ReadParam(int number, bool quiet = false, bool toSmsModule = false);
    uint16_t WriteParam(int number, double value, bool quiet = false, bool toSmsModule = false);
    uint16_t WriteTextParam(int number, const QByteArray& bytes, bool quiet = false,
                            bool toSmsModule = false);
    // After a failed access: message 354 unless quiet, link-error flag, General page active.
    void AccessFailed(bool quiet) override;
    QWidget* HostWindow() override { return this; }

    CBrowser* Tree() const { return m_tree; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QPushButton* Button(ButtonId id) const;
    QMenuBar* MenuBar() const { return m_menuBar; }
    CGuiUserInteraction* UserInteraction() const { return m_gui.get(); }

    // Starts the sheet: the disconnected page set, automatic connect, the alert timer.
    // Called once when the window is first shown (tests call it directly).
    void Initialise();

Q_SIGNALS:
    // The General page refreshes its connection display / its list of connections.
    void connectionStateChanged();
    void connectionListChanged();
    void pageSetBuilt();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static int PageInstance(const CMyPropertyPage* page);
    void CreateControls();
    void CreateMenu();
    void UpdateMenu(QMenu* menu);
    // The page set for the state the application is in, after a connect or a disconnect.
    void ConnectedState();
    void DisconnectedState();

    QList<CMyPropertyPage*> m_pages;
    CMyPropertyPage* m_general = nullptr;
    QPointer<CMyPropertyPage> m_active;
    CBrowser* m_tree = nullptr;
    QStackedWidget* m_stack = nullptr;
    QScrollArea* m_scroll = nullptr;
    QSplitter* m_splitter = nullptr;
    QProgressBar* m_progress = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QList<QPushButton*> m_buttons;
    QList<QPair<int, QAction*>> m_actions;
    std::unique_ptr<CGuiUserInteraction> m_gui;
    QTimer m_alertTimer;
    std::optional<CConnection> m_override;
    bool m_overrideListed = false;
    bool m_initialised = false;
    bool m_treeBusy = false;
    bool m_linkError = false;
    bool m_builtConnected = false;
    bool m_syncPending = false;
    bool m_disconnectPending = false;
    bool m_closing = false;  // reject(): the pages being removed get OnReset first
    int m_restartWaitMs = 10000;
};
