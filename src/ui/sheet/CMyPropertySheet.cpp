// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CMyPropertySheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <algorithm>
#include <utility>

#include "app/CEmailAlerts.h"
#include "app/CKorvalisControlApp.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "link/CSWMBus.h"
#include "ui/sheet/CAboutDlg.h"
#include "ui/sheet/CBanner.h"
#include "ui/sheet/CBrowser.h"
#include "ui/services/CHelpViewer.h"
#include "ui/services/CGuiUserInteraction.h"
#include "ui/sheet/CLanguageDlg.h"
#include "ui/services/CMessageService.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CPageTable.h"

namespace {
CMyPropertySheet* g_sheet = nullptr;
std::function<bool(CMyPropertySheet&)> g_connectionsDialog;
std::function<void(CMyPropertySheet&)> g_deviceAddressDialog;
std::function<void(CMyPropertySheet&)> g_alertCycle;

QList<CMyPropertySheet::Command>& Commands() {
    static QList<CMyPropertySheet::Command> commands;
    return commands;
}

const CMyPropertySheet::Command* FindCommand(int id) {
    for (const CMyPropertySheet::Command& c : Commands())
        if (c.id == id) return &c;
    return nullptr;
}

using Ui = CUserInteraction;
using MS = CMessageService;

bool Connected(CMyPropertySheet&) {
    return CMyPropertySheet::App().IsConnected();
}

bool IsSmsPageActive(const CMyPropertySheet& sheet) {
    return sheet.ActivePage() &&
           sheet.ActivePage()->ClassName() == QLatin1String("CPropertyPageSMSModule");
}

// The sheet's and the application's own commands, one row each: identifier, menu, order,
// text, run, enabled, text of the moment, checked, separator before.
void RegisterBuiltInCommands() {
    static bool done = false;
    if (done) return;
    done = true;
    using S = CMyPropertySheet;
    using When = std::function<bool(S&)>;
    using Text = std::function<QString(S&)>;
    const When always;
    const Text fixed;
    const When connected = Connected;
    // clang-format off
    const S::Command commands[] = {
        {40025, S::MenuController, 10, StringId(177),
         [](S& s) { if (!S::App().IsConnected()) s.ConnectController(false); else s.DisconnectController(true); },
         always, [](S&) { return Tr(S::App().IsConnected() ? 178 : 177); }, {}, false},
        {40029, S::MenuController, 20, StringId(31105), [](S& s) { s.OpenConnectionsDialog(); },
         [](S&) { return !S::App().IsConnected(); }, fixed, {}, false},
        {40008, S::MenuController, 30, StringId(31106), [](S& s) { s.OpenDeviceAddressDialog(); },
         always, fixed, {}, false},
        {40012, S::MenuController, 40, StringId(31104), [](S&) { S::App().ToggleSimulation(); },
         [](S&) { return !S::App().IsConnected() || S::App().simulationMode; }, fixed,
         [](S&) { return S::App().simulationMode; }, false},
        {40014, S::MenuController, 50, StringId(459), [](S& s) { s.RestartDevice(); },
         connected, [](S& s) { return Tr(IsSmsPageActive(s) ? 458 : 459); }, {}, false},
        {40026, S::MenuController, 60, StringId(31111), [](S& s) { s.WriteAllPages(); },
         connected, fixed, {}, true},
        {40027, S::MenuController, 70, StringId(31112), [](S& s) { s.RereadActivePage(); },
         connected, fixed, {}, false},
        {57665, S::MenuFile, 1000, StringId(31110), [](S& s) { s.close(); }, always, fixed, {}, true},
        {40019, S::MenuExtras, 10, StringId(31108), [](S& s) { s.ChooseLanguage(); }, always, fixed, {}, false},
        {40011, S::MenuHelp, 10, StringId(31107), [](S& s) { s.OpenManual(); }, always, fixed, {}, false},
        {57664, S::MenuHelp, 20, StringId(31109), [](S& s) { s.ShowAbout(); }, always, fixed, {}, false},
    };
    // clang-format on
    for (const S::Command& c : commands) S::RegisterCommand(c);
}
}  // namespace

// --- construction ------------------------------------------------------------------------------

void CMyPropertySheet::RegisterCommand(Command command) {
    QList<Command>& list = Commands();
    for (Command& c : list) {
        if (c.id == command.id) {
            c = std::move(command);
            return;
        }
    }
    list.append(std::move(command));
}

CMyPropertySheet::CMyPropertySheet(QWidget* parent) : QDialog(parent) {
    g_sheet = this;
    RegisterBuiltInCommands();
    setObjectName(QStringLiteral("mainSheet"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowIcon(CBanner::AppIcon());
    setWindowTitle(Tr(102));
    setSizeGripEnabled(true);

    m_gui = std::make_unique<CGuiUserInteraction>();
    m_gui->SetWindow(this);
    CreateControls();
    m_gui->SetProgressBar(m_progress);
    CKorvalisControlApp& app = App();
    if (!app.UserInteraction()) app.SetUserInteraction(m_gui.get());
    MS::SetDefaultParent(this);

    // Page 0, never removed.
    m_general = CPageRegistry::Create(QLatin1String(CPageTable::kGeneralClass));
    if (!m_general) m_general = new CMyPropertyPage;
    m_general->SetClassName(QLatin1String(CPageTable::kGeneralClass));
    m_general->SetCaption(Tr(CPageTable::kGeneralCaption));
    m_general->SetHost(this);
    m_pages.append(m_general);
    m_stack->addWidget(m_general);

    // Pages hear of the connection through their host, not through the sheet's signals.
    connect(this, &CMyPropertySheet::connectionStateChanged, this, [this] {
        for (CMyPropertyPage* page : QList<CMyPropertyPage*>(m_pages))
            if (page->IsInitialised()) page->OnConnectionStateChanged();
    });
    connect(this, &CMyPropertySheet::connectionListChanged, this, [this] {
        for (CMyPropertyPage* page : QList<CMyPropertyPage*>(m_pages))
            if (page->IsInitialised()) page->OnConnectionListChanged();
    });

    CreateMenu();
    m_alertTimer.setInterval(30000);
    connect(&m_alertTimer, &QTimer::timeout, this, &CMyPropertySheet::RunAlertCycle);
    qApp->installEventFilter(this);
    resize(1040, 720);
}

CMyPropertySheet::~CMyPropertySheet() {
    qApp->removeEventFilter(this);
    m_alertTimer.stop();
    for (CMyPropertyPage* page : m_pages) {
        page->StopRefresh();
        page->SetHost(nullptr);
    }
    CKorvalisControlApp& app = App();
    if (app.UserInteraction() == m_gui.get()) app.SetUserInteraction(nullptr);
    if (g_sheet == this) g_sheet = nullptr;
}

CMyPropertySheet* CMyPropertySheet::Instance() {
    return g_sheet;
}

CKorvalisControlApp& CMyPropertySheet::App() {
    return CKorvalisControlApp::Instance();
}

void CMyPropertySheet::CreateControls() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    root->setMenuBar(m_menuBar);
    root->addWidget(new CBanner(this));

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);
    auto* left = new QWidget(m_splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(8, 8, 0, 0);
    leftLayout->setSpacing(6);
    m_tree = new CBrowser(this, left);
    m_tree->setMinimumWidth(180);
    leftLayout->addWidget(m_tree, 1);
    m_progress = new QProgressBar(left);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(12);
    leftLayout->addWidget(m_progress);

    m_scroll = new QScrollArea(m_splitter);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_stack = new QStackedWidget;
    m_stack->setContentsMargins(8, 4, 8, 4);
    m_scroll->setWidget(m_stack);
    m_splitter->addWidget(left);
    m_splitter->addWidget(m_scroll);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({250, 790});
    root->addWidget(m_splitter, 1);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(8, 8, 8, 8);
    auto makeButton = [this](ButtonId id, int textId) {
        auto* b = new QPushButton(Tr(textId), this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        m_buttons.append(b);
        return b;
    };
    QPushButton* send = makeButton(IdSend, StringId(264));
    send->setEnabled(false);
    QPushButton* read = makeButton(IdRead, StringId(265));
    read->setEnabled(false);
    QPushButton* back = makeButton(IdBack, StringId(461));
    QPushButton* next = makeButton(IdNext, StringId(460));
    QPushButton* help = makeButton(IdHelp, StringId(267));
    QPushButton* cancel = makeButton(IdCancel, StringId(266));
    row->addWidget(send);
    row->addWidget(read);
    row->addStretch(1);
    row->addWidget(back);
    row->addWidget(next);
    row->addSpacing(12);
    row->addWidget(help);
    row->addWidget(cancel);
    root->addLayout(row);

    connect(send, &QPushButton::clicked, this, [this] { RunCommand(40026); });
    connect(read, &QPushButton::clicked, this, [this] { RunCommand(40027); });
    connect(back, &QPushButton::clicked, this, [this] { ActivatePage(PageIndex(m_active) - 1); });
    connect(next, &QPushButton::clicked, this, [this] { ActivatePage(PageIndex(m_active) + 1); });
    connect(help, &QPushButton::clicked, this, [this] {
        if (m_active) m_active->ShowContextHelp(0);
    });
    connect(cancel, &QPushButton::clicked, this, &CMyPropertySheet::reject);
}

void CMyPropertySheet::CreateMenu() {
    const int menuTexts[4] = {StringId(31100), StringId(31101), StringId(31102), StringId(31103)};
    QList<Command> sorted = Commands();
    std::stable_sort(sorted.begin(), sorted.end(), [](const Command& a, const Command& b) {
        return a.menu != b.menu ? a.menu < b.menu : a.order < b.order;
    });
    for (int m = 0; m < 4; ++m) {
        QMenu* menu = m_menuBar->addMenu(Tr(menuTexts[m]));
        menu->setObjectName(QStringLiteral("menu%1").arg(m));
        for (const Command& c : sorted) {
            if (c.menu != m) continue;
            if (c.separatorBefore && !menu->isEmpty()) menu->addSeparator();
            QAction* action = menu->addAction(Tr(c.textId));
            action->setObjectName(QString::number(c.id));
            action->setCheckable(static_cast<bool>(c.checked));
            const int id = c.id;
            connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
            m_actions.append({id, action});
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
    }
    if (QAction* quit = CommandAction(57665)) quit->setShortcut(QKeySequence::Quit);
}

void CMyPropertySheet::UpdateMenu(QMenu* menu) {
    SyncPageSet();
    const bool busy = App().IsTransferInProgress();
    for (QAction* action : menu->actions()) {
        const Command* c = FindCommand(action->objectName().toInt());
        if (!c) continue;
        action->setEnabled(!busy && (!c->enabled || c->enabled(*this)));
        action->setText(c->text ? c->text(*this) : Tr(c->textId));
        if (c->checked) action->setChecked(c->checked(*this));
    }
}

QAction* CMyPropertySheet::CommandAction(int id) const {
    for (const auto& [cid, action] : m_actions)
        if (cid == id) return action;
    return nullptr;
}

bool CMyPropertySheet::IsCommandEnabled(int id) {
    const Command* c = FindCommand(id);
    if (!c || App().IsTransferInProgress()) return false;
    return !c->enabled || c->enabled(*this);
}

bool CMyPropertySheet::RunCommand(int id) {
    if (!IsCommandEnabled(id)) return false;
    const Command* c = FindCommand(id);
    auto run = c->run;  // the command may register others meanwhile
    QPointer<CMyPropertySheet> self(this);
    if (run) run(*this);
    if (self) SyncPageSet();
    return true;
}

int CMyPropertySheet::PageInstance(const CMyPropertyPage* page) {
    return page->InstanceIndex();
}

// --- start-up ----------------------------------------------------------------------------------

void CMyPropertySheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_initialised) Initialise();
}

void CMyPropertySheet::Initialise() {
    if (m_initialised) return;
    m_initialised = true;
    App().UpdateTitle();
    if (App().UserInteraction() != m_gui.get()) setWindowTitle(App().WindowTitle());
    InvalidatePages();
    UpdateSheetButtons();
    Q_EMIT connectionStateChanged();
    BuildPageSet();
    ActivatePage(m_general);
    if (App().automaticConnect) {
        // As the General page's connect button would, once the window is up.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!App().IsConnected()) ConnectController(true);
            },
            Qt::QueuedConnection);
    }
    m_alertTimer.start();
}

// --- pages -------------------------------------------------------------------------------------

CMyPropertyPage* CMyPropertySheet::Page(int index) const {
    return index >= 0 && index < m_pages.size() ? m_pages[index] : nullptr;
}

int CMyPropertySheet::PageIndex(const CMyPropertyPage* page) const {
    return static_cast<int>(m_pages.indexOf(const_cast<CMyPropertyPage*>(page)));
}

CMyPropertyPage* CMyPropertySheet::FindPage(const QString& className, int instance) const {
    for (CMyPropertyPage* p : m_pages)
        if (p->ClassName() == className && p->InstanceIndex() == instance) return p;
    return nullptr;
}

bool CMyPropertySheet::ActivatePage(int index) {
    return ActivatePage(Page(index));
}

bool CMyPropertySheet::ActivatePage(CMyPropertyPage* page) {
    if (!page || PageIndex(page) < 0) return false;
    if (page == m_active) return true;
    page->OnBeforeActivate();
    if (PageIndex(page) < 0) return false;
    if (page == m_active) return true;
    if (m_active && !m_active->OnKillActive()) return false;
    m_active = page;
    m_stack->setCurrentWidget(page);
    page->OnSetActive();
    return m_active == page;
}

void CMyPropertySheet::SelectTreeItemOf(CMyPropertyPage* page) {
    if (!page || !page->TreeItem()) return;
    const bool busy = m_treeBusy;
    m_treeBusy = true;
    m_tree->setCurrentItem(page->TreeItem());
    m_tree->scrollToItem(page->TreeItem());
    m_treeBusy = busy;
}

void CMyPropertySheet::RemovePages() {
    m_tree->Clear();
    for (CMyPropertyPage* page : m_pages) page->SetTreeItem(nullptr);
    if (m_active && m_active != m_general) {
        m_active->OnKillActive();
        // Activated properly once the new set stands, so that its refresh runs again.
        m_active = nullptr;
        m_stack->setCurrentWidget(m_general);
    }
    while (m_pages.size() > 1) {
        CMyPropertyPage* page = m_pages.takeAt(1);
        if (m_closing && page->IsInitialised()) page->OnReset();
        page->OnRemoving();
        page->StopRefresh();
        page->SetHost(nullptr);
        m_stack->removeWidget(page);
        page->hide();
        page->setParent(nullptr);
        // Later, not now: the page may be the one whose handler brought us here.
        page->deleteLater();
    }
}

void CMyPropertySheet::BuildPageSet() {
    const bool busy = m_treeBusy;
    m_treeBusy = true;
    RemovePages();
    CKorvalisControlApp& app = App();
    for (const CPageTable::Planned& planned : CPageTable::Plan(app)) {
        CMyPropertyPage* page = CPageRegistry::Create(planned.className);
        if (!page) continue;
        page->SetCaption(planned.caption);
        page->SetGroupText(planned.group);
        page->SetInstanceIndex(planned.instance);
        page->SetSensor(planned.sensor);
        page->SetHost(this);
        m_pages.append(page);
        m_stack->addWidget(page);
    }
    m_builtConnected = app.IsConnected();
    for (int k = 0; k < m_pages.size(); ++k)
        m_pages[k]->SetFirstLast(k == 0, k == m_pages.size() - 1);
    BuildTree();
    if (!m_active && m_initialised) ActivatePage(m_general);
    SelectTreeItemOf(m_active);
    UpdateSheetButtons();
    m_treeBusy = busy;
    Q_EMIT pageSetBuilt();
}

void CMyPropertySheet::BuildTree() {
    m_tree->Build(m_pages);
    // Widen the tree pane (within reason) so that no caption is cut off.
    QList<int> sizes = m_splitter->sizes();
    const int wanted = m_tree->ContentWidth() + 2 * m_tree->frameWidth() + 24 +
                       m_tree->verticalScrollBar()->sizeHint().width() + 8;
    if (sizes.size() == 2 && wanted > sizes[0] && sizes[0] + sizes[1] > 0) {
        const int left = std::min(wanted, 360);
        sizes = {left, std::max(0, sizes[0] + sizes[1] - left)};
        m_splitter->setSizes(sizes);
    }
}

void CMyPropertySheet::InvalidatePages() {
    for (CMyPropertyPage* page : QList<CMyPropertyPage*>(m_pages)) {
        page->SetRead(false);
        if (page->IsInitialised() && page == m_active) page->ReadPage(true);
    }
}

bool CMyPropertySheet::AnyPageModified() const {
    return std::any_of(m_pages.begin(), m_pages.end(),
                       [](const CMyPropertyPage* p) { return p->IsModified(); });
}

void CMyPropertySheet::PageChanged(CMyPropertyPage*, bool) {
    if (QPushButton* send = Button(IdSend))
        send->setEnabled(App().IsConnected() && AnyPageModified());
}

QPushButton* CMyPropertySheet::Button(ButtonId id) const {
    for (QPushButton* b : m_buttons)
        if (b->objectName().toInt() == id) return b;
    return nullptr;
}

void CMyPropertySheet::UpdateSheetButtons(CMyPropertyPage* page) {
    if (!m_initialised) return;
    if (!page) page = m_active;
    if (!page) return;
    const bool connected = App().IsConnected();
    Button(IdSend)->setEnabled(connected && AnyPageModified());
    Button(IdRead)->setEnabled(connected);
    Button(IdNext)->setEnabled(!page->IsLast());
    Button(IdBack)->setEnabled(!page->IsFirst());
}

QList<CMyPropertyPage*> CMyPropertySheet::CollectPages(const QString& className, int max) {
    QList<CMyPropertyPage*> found;
    if (!App().IsConnected()) return found;
    for (CMyPropertyPage* page : QList<CMyPropertyPage*>(m_pages)) {
        if (found.size() >= max) break;
        if (page->ClassName() != className) continue;
        if (!page->IsRead()) {
            CMyPropertyPage* previous = m_active;
            const bool busy = m_treeBusy;
            m_treeBusy = true;
            const bool ok = ActivatePage(page);
            m_treeBusy = busy;
            QCoreApplication::processEvents();
            if (!ok) break;
            Q_UNUSED(previous);
        }
        found.append(page);
    }
    return found;
}

// --- connect and disconnect --------------------------------------------------------------------

void CMyPropertySheet::ConnectController(bool takeFirstAnswer) {
    CKorvalisControlApp& app = App();
    if (app.IsTransferInProgress()) return;
    app.Connect(m_override ? &*m_override : nullptr, takeFirstAnswer);
    if (app.IsConnected()) {
        ConnectedState();
        Q_EMIT connectionStateChanged();
        return;
    }
    // A failed connect leaves the application disconnected, whatever was shown before.
    SyncPageSet();
    Q_EMIT connectionStateChanged();
    if (app.RefusedOldFirmware()) return;
    // The message names the cause: a port that would not open (permission, busy, missing) or
    // a device that did not answer, with its status.
    const QString why = app.LastChannelError();
    const int answer =
        why.isEmpty() ? MS::ShowMessage(404, MS::Icon::Warning, MS::Buttons::YesNo, {}, this)
                      : MS::ShowMessage(6213, MS::Icon::Warning, MS::Buttons::YesNo, {why}, this);
    if (answer == Ui::IdYes) OpenConnectionsDialog();
}

bool CMyPropertySheet::DisconnectController(bool ask) {
    CKorvalisControlApp& app = App();
    // Never pull the channel out from under a running transfer.
    if (app.IsTransferInProgress()) return false;
    if (!app.IsConnected()) {
        SyncPageSet();
        return true;
    }
    if (ask && AnyPageModified() &&
        MS::ShowMessage(179, MS::Icon::Warning, MS::Buttons::YesNo, {}, this) != Ui::IdYes)
        return false;
    if (PageDialogRunning()) {
        m_disconnectPending = true;
        SyncPageSet();
        return true;
    }
    DisconnectedState();
    return true;
}

bool CMyPropertySheet::PageDialogRunning() const {
    const QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == this) return false;
    for (const QWidget* w = modal->parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<const CMyPropertyPage*>(w)) return true;
    return false;
}

void CMyPropertySheet::FollowBusAddress(uint32_t address) {
    if (m_override) {
        m_override->deviceAddress = address;
        return;
    }
    CConnectionArray& stored = App().Connections();
    CConnection copy = stored.GetSelected();
    copy.deviceAddress = address;
    stored.UpdateSelected(copy);
}

void CMyPropertySheet::DisconnectAfterTransfer() {
    // DisconnectController refuses while a transfer runs so that nothing pulls the channel
    // from under it; here the transfer itself is done with the channel.
    if (App().IsConnected() || m_builtConnected) DisconnectedState();
}

void CMyPropertySheet::ConnectedState() {
    // Before the rebuild: the General page, activated by the rebuild or active already,
    // then reads once.
    InvalidatePages();
    BuildPageSet();
    UpdateSheetButtons();
}

void CMyPropertySheet::DisconnectedState() {
    RemovePages();
    App().Disconnect();
    InvalidatePages();
    UpdateSheetButtons();
    Q_EMIT connectionStateChanged();
    BuildPageSet();
}

void CMyPropertySheet::SyncPageSet() {
    if (!m_initialised) return;
    CKorvalisControlApp& app = App();
    // Neither a running transfer nor a page's open dialog may lose the pages under it: the
    // rebuild, and a disconnect asked for meanwhile, wait for both.
    if (app.IsTransferInProgress() || PageDialogRunning()) {
        if (!m_syncPending) {
            m_syncPending = true;
            QTimer::singleShot(100, this, [this] {
                m_syncPending = false;
                SyncPageSet();
            });
        }
        return;
    }
    if (std::exchange(m_disconnectPending, false) && app.IsConnected()) {
        DisconnectedState();
        return;
    }
    if (m_builtConnected == app.IsConnected()) return;
    if (app.IsConnected()) {
        ConnectedState();
    } else {
        DisconnectedState();
    }
    Q_EMIT connectionStateChanged();
}

// --- access operations -------------------------------------------------------------------------

void CMyPropertySheet::AccessFailed(bool quiet) {
    // The jump to the General page may read again over the same broken link: one failure,
    // one message.
    static int depth = 0;
    ++depth;
    if (!quiet && depth == 1) MS::ShowMessage(354, MS::Icon::Stop, MS::Buttons::Ok, {}, this);
    m_linkError = true;
    ActivatePage(m_general);
    --depth;
    if (m_builtConnected != App().IsConnected())
        QMetaObject::invokeMethod(this, &CMyPropertySheet::SyncPageSet, Qt::QueuedConnection);
}

uint16_t CMyPropertySheet::ReadParam(int number, bool quiet, bool toSmsModule) {
    const uint16_t status = App().ReadParameter(number, toSmsModule);
    if (status != 0) AccessFailed(quiet);
    return status;
}

uint16_t CMyPropertySheet::WriteParam(int number, double value, bool quiet, bool toSmsModule) {
    const uint16_t status = App().WriteParameter(number, value, toSmsModule);
    if (status != 0) AccessFailed(quiet);
    return status;
}

uint16_t CMyPropertySheet::WriteTextParam(int number, const QByteArray& bytes, bool quiet,
                                          bool toSmsModule) {
    const uint16_t status = App().WriteTextParameter(number, bytes, toSmsModule);
    if (status != 0) AccessFailed(quiet);
    return status;
}

// --- commands ----------------------------------------------------------------------------------

void CMyPropertySheet::WriteAllPages() {
    CKorvalisControlApp& app = App();
    if (!app.IsConnected() || app.IsTransferInProgress()) return;
    QStringList skipped;
    for (QPointer<CMyPropertyPage> page :
         QList<QPointer<CMyPropertyPage>>(m_pages.begin(), m_pages.end())) {
        // A page without a change has nothing to send; one the controller's values never
        // fully reached would write defaults or half-read values over the device's own.
        if (!page || PageIndex(page) < 0 || !page->IsInitialised() || !page->IsModified())
            continue;
        if (!page->IsRead()) {
            skipped << Tr(page->ReadFailed() ? 50002 : 50001).arg(PageLabel(page));
            continue;
        }
        const bool wasError = m_linkError;
        m_linkError = false;
        page->WritePage();
        const bool failed = m_linkError;
        m_linkError = m_linkError || wasError;
        // After a failure the link is suspect: one message, not one per page.
        if (failed || !app.IsConnected()) break;
    }
    UpdateSheetButtons();
    if (!skipped.isEmpty())
        MS::ShowMessage(50000, MS::Icon::Warning, MS::Buttons::Ok,
                        {skipped.join(QLatin1Char('\n'))}, this);
}

QString CMyPropertySheet::PageLabel(const CMyPropertyPage* page) {
    return page->GroupText().isEmpty() || page->GroupText() == page->Caption()
               ? page->Caption()
               : page->GroupText() + QStringLiteral(" / ") + page->Caption();
}

void CMyPropertySheet::RereadActivePage() {
    if (!App().IsConnected() || !m_active || !m_active->IsInitialised()) return;
    if (m_active->IsModified() &&
        MS::ShowMessage(169, MS::Icon::Warning, MS::Buttons::YesNo, {}, this) != Ui::IdYes)
        return;
    m_active->ReadPage(true);
}

void CMyPropertySheet::reject() {
    if (App().IsTransferInProgress()) return;
    m_closing = true;
    const bool disconnected = DisconnectController(true);
    m_closing = false;
    if (disconnected) QDialog::done(0);
}

void CMyPropertySheet::keyPressEvent(QKeyEvent* event) {
    // Escape would close the whole program from any edit field; only Cancel and the
    // window's close button do that.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMyPropertySheet::closeEvent(QCloseEvent* event) {
    if (App().IsTransferInProgress()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool CMyPropertySheet::eventFilter(QObject* watched, QEvent* event) {
    if (!App().IsTransferInProgress()) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: {
            // Only the main window is frozen; message boxes and the progress window stay usable.
            auto* w = qobject_cast<QWidget*>(watched);
            return w && w->window() == this;
        }
        default:
            return false;
    }
}

int CMyPropertySheet::OnHitCaptionButton(int which, int flag) {
    if (flag == 0) return 0;
    if (which == 1)
        showMinimized();
    else if (which == 2)
        QWhatsThis::enterWhatsThisMode();
    return 0;
}

void CMyPropertySheet::SetConnectionsDialogHandler(std::function<bool(CMyPropertySheet&)> handler) {
    g_connectionsDialog = std::move(handler);
}

void CMyPropertySheet::SetDeviceAddressHandler(std::function<void(CMyPropertySheet&)> handler) {
    g_deviceAddressDialog = std::move(handler);
}

void CMyPropertySheet::SetAlertCycleHandler(std::function<void(CMyPropertySheet&)> handler) {
    g_alertCycle = std::move(handler);
}

void CMyPropertySheet::OpenConnectionsDialog() {
    if (g_connectionsDialog) g_connectionsDialog(*this);
    Q_EMIT connectionListChanged();
}

void CMyPropertySheet::OpenDeviceAddressDialog() {
    if (g_deviceAddressDialog) g_deviceAddressDialog(*this);
}

void CMyPropertySheet::RunAlertCycle() {
    if (g_alertCycle) {
        if (!App().IsTransferInProgress()) g_alertCycle(*this);
        return;
    }
    // The cycle waits for a running transfer itself and catches up right after it.
    App().EmailAlerts().RunAlertCycle();
}

void CMyPropertySheet::RestartDevice() {
    CKorvalisControlApp& app = App();
    if (!app.IsConnected() || app.IsTransferInProgress()) return;
    if (MS::ShowMessage(153, MS::Icon::Stop, MS::Buttons::OkCancel, {}, this) != Ui::IdOk) return;
    const bool sms = IsSmsPageActive(*this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        CTimerStop timerStop;
        auto wait = [this] {
            QEventLoop loop;
            QTimer::singleShot(m_restartWaitMs, &loop, &QEventLoop::quit);
            loop.exec();
        };
        if (app.Bus()) app.Bus()->SetWaitForAcknowledge(false);
        if (sms) {
            app.WriteParameter(3, 0, true);
            wait();
            if (app.Bus()) app.Bus()->SetWaitForAcknowledge(true);
        } else {
            app.WriteParameter(3, 0, false);
            wait();
            app.Connect(m_override ? &*m_override : nullptr, false);
        }
    }
    QApplication::restoreOverrideCursor();
    if (!sms) {
        if (app.IsConnected()) InvalidatePages();
        SyncPageSet();
    }
}

void CMyPropertySheet::ChooseLanguage() {
    CKorvalisControlApp& app = App();
    const std::optional<int> chosen = CLanguageDlg::Ask(app.language, this);
    if (!chosen) return;
    app.language = *chosen;
    MS::ShowMessage(402, MS::Icon::Information, MS::Buttons::Ok, {}, this);
}

void CMyPropertySheet::OpenManual() {
    // The manual is the help itself, opened at its overview.
    CHelpViewer::ShowTopic(1, this);
}

void CMyPropertySheet::ShowAbout() {
    CAboutDlg about(false, this);
    about.exec();
}
