// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/alerts/CPropertyPageEmail.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CEmailAlerts.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "pages/alerts/CEditEmail.h"
#include "alerts/CEmailSettings.h"
#include "ui/services/CMessageService.h"
#include "ui/page/CPageRegistry.h"

KORVALIS_REGISTER_PAGE(CPropertyPageEmail);

namespace {

constexpr int kColumnCaptions[] = {StringId(310), StringId(309), StringId(311), StringId(312)};
constexpr int kTypeNames[] = {StringId(317), StringId(318), StringId(319), StringId(320),
                              StringId(321)};

QString TypeName(int type) {
    return type >= 0 && type < 5 ? Tr(kTypeNames[type]) : QString::number(type);
}

QPushButton* Button(int id, int text, QWidget* parent) {
    auto* b = new QPushButton(Tr(text), parent);
    b->setObjectName(QString::number(id));
    return b;
}

QLineEdit* Edit(int id, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::number(id));
    return e;
}

}  // namespace

CPropertyPageEmail::CPropertyPageEmail() = default;

CPropertyPageEmail::~CPropertyPageEmail() {
    // A field still being edited when the window closes is not lost.
    if (IsInitialised() && HasApplication()) CommitFields(true);
}

CEmailSettings& CPropertyPageEmail::Settings() {
    return EmailSettings();
}

void CPropertyPageEmail::CreateControls() {
    PageTopic(613);
    // --- rules ---
    auto* rulesBox = new QGroupBox(Tr(42320), this);
    m_list = new QTreeWidget(rulesBox);
    m_list->setObjectName(QString::number(IdList));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headers;
    for (int id : kColumnCaptions) headers << Tr(id);
    m_list->setHeaderLabels(headers);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_list->setColumnWidth(0, 190);
    m_list->setColumnWidth(1, 150);
    // The type column shows its longest name whole.
    int typeWidth = m_list->fontMetrics().horizontalAdvance(headers[3]);
    for (int id : kTypeNames)
        typeWidth = std::max(typeWidth, m_list->fontMetrics().horizontalAdvance(Tr(id)));
    m_list->setColumnWidth(3, typeWidth + 24);

    auto* add = Button(IdAdd, 42321, rulesBox);
    m_edit = Button(IdEdit, 42322, rulesBox);
    m_duplicate = Button(IdDuplicate, 42323, rulesBox);
    m_delete = Button(IdDelete, 42324, rulesBox);
    m_test = Button(IdTest, 42325, rulesBox);
    auto* ruleButtons = new QHBoxLayout;
    ruleButtons->addWidget(add);
    ruleButtons->addWidget(m_edit);
    ruleButtons->addWidget(m_duplicate);
    ruleButtons->addWidget(m_delete);
    ruleButtons->addStretch(1);
    ruleButtons->addWidget(m_test);
    auto* rulesLayout = new QVBoxLayout(rulesBox);
    rulesLayout->addWidget(m_list, 1);
    rulesLayout->addLayout(ruleButtons);

    // --- server ---
    auto* serverBox = new QGroupBox(Tr(42326), this);
    auto* form = new QFormLayout(serverBox);
    m_server = Edit(IdServer, serverBox);
    m_port = new QSpinBox(serverBox);
    m_port->setObjectName(QString::number(IdPort));
    m_port->setRange(0, 65535);
    m_port->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_port->setMinimumWidth(70);
    auto* portDefault = Button(IdPortDefault, 42329, serverBox);
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(m_server, 1);
    serverRow->addSpacing(12);
    serverRow->addWidget(new QLabel(Tr(42328), serverBox));
    serverRow->addWidget(m_port);
    serverRow->addWidget(portDefault);
    form->addRow(Tr(42327), serverRow);
    m_sender = Edit(IdSender, serverBox);
    form->addRow(Tr(42330), m_sender);
    m_furtherText = Edit(IdFurtherText, serverBox);
    form->addRow(Tr(42331), m_furtherText);
    m_authentication = new QCheckBox(Tr(42332), serverBox);
    m_authentication->setObjectName(QString::number(IdAuthentication));
    form->addRow(QString(), m_authentication);
    m_user = Edit(IdUser, serverBox);
    form->addRow(Tr(42333), m_user);
    m_password = Edit(IdPassword, serverBox);
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(Tr(42334), m_password);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rulesBox, 1);
    layout->addWidget(serverBox);
    layout->addWidget(m_status);

    connect(add, &QPushButton::clicked, this, &CPropertyPageEmail::AddRule);
    connect(m_edit, &QPushButton::clicked, this, &CPropertyPageEmail::EditRule);
    connect(m_duplicate, &QPushButton::clicked, this, &CPropertyPageEmail::DuplicateRule);
    connect(m_delete, &QPushButton::clicked, this, &CPropertyPageEmail::DeleteRule);
    connect(m_test, &QPushButton::clicked, this, &CPropertyPageEmail::TestRule);
    connect(portDefault, &QPushButton::clicked, this, &CPropertyPageEmail::SetDefaultPort);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            &CPropertyPageEmail::UpdateControlStates);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { EditRule(); });

    CEmailSettings& s = Settings();
    for (auto [edit, field] : {std::pair{m_server, &s.smtpServer},
                               {m_password, &s.password},
                               {m_sender, &s.senderAddress},
                               {m_furtherText, &s.furtherText},
                               {m_user, &s.userName}}) {
        connect(edit, &QLineEdit::editingFinished, this,
                [this, edit = edit, field = field] { CommitField(edit, *field); });
    }
    connect(m_port, &QSpinBox::editingFinished, this, [this] {
        if (Settings().port == m_port->value()) return;
        Settings().port = static_cast<uint16_t>(m_port->value());
        Save();
    });
    connect(m_authentication, &QCheckBox::clicked, this, [this](bool on) {
        Settings().authentication = on;
        Save();
        UpdateControlStates();
    });

    CEmailAlerts& alerts = EmailAlerts();
    connect(&alerts, &CEmailAlerts::MailQueued, this, [this](const QString& subject) {
        if (m_saveError.isEmpty()) m_status->setText(TrArg(42315, {subject}));
    });
    connect(&alerts, &CEmailAlerts::SendFinished, this, &CPropertyPageEmail::ShowSendStatus);
    connect(&alerts, &CEmailAlerts::SenderChanged, this, &CPropertyPageEmail::ShowSendStatus);
    ShowSendStatus();
}

void CPropertyPageEmail::DoDataExchange(bool saveAndValidate) {
    if (!m_list) return;
    if (saveAndValidate) {
        CommitFields();
        return;
    }
    const CEmailSettings& s = Settings();
    m_server->setText(s.smtpServer);
    m_password->setText(s.password);
    m_sender->setText(s.senderAddress);
    m_furtherText->setText(s.furtherText);
    m_user->setText(s.userName);
    m_authentication->setChecked(s.authentication);
    m_port->setValue(s.port);
    FillList(SelectedRow());
}

void CPropertyPageEmail::UpdateControlStates() {
    if (!m_list) return;
    const bool selected = SelectedRow() >= 0;
    m_edit->setEnabled(selected);
    m_duplicate->setEnabled(selected);
    m_delete->setEnabled(selected);
    m_test->setEnabled(selected);
    const bool auth = m_authentication->isChecked();
    m_user->setEnabled(auth);
    m_password->setEnabled(auth);
}

// --- the rule list ------------------------------------------------------------------------------

int CPropertyPageEmail::SelectedRow() const {
    if (!m_list) return -1;
    const QList<QTreeWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? -1 : m_list->indexOfTopLevelItem(items.first());
}

void CPropertyPageEmail::SelectRow(int row) {
    if (!m_list) return;
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    m_list->clearSelection();
    if (item) {
        m_list->setCurrentItem(item);
        item->setSelected(true);
    }
    UpdateControlStates();
}

void CPropertyPageEmail::FillList(int select) {
    const CEmailArray& rules = Settings().rules;
    m_list->clear();
    for (const CEmail& r : rules) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, r.RecipientsText());
        item->setText(1, r.subject);
        item->setText(2, r.TextOneLine());
        item->setText(3, TypeName(r.type));
    }
    SelectRow(select < static_cast<int>(rules.size()) ? select
                                                      : static_cast<int>(rules.size()) - 1);
}

bool CPropertyPageEmail::RunEditor(CEmail& rule) {
    // On the heap and watched: a page-set rebuild inside the dialog's event loop may delete
    // the page, and the dialog with it.
    QPointer<CPropertyPageEmail> self(this);
    QPointer<CEditEmail> dialog = new CEditEmail(rule, this);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (!self || !dialog) return false;
    if (ok) rule = dialog->Rule();
    delete dialog;
    return ok;
}

void CPropertyPageEmail::AddRule() {
    CEmail rule;
    if (!RunEditor(rule)) return;
    CEmailArray& rules = Settings().rules;
    rules.append(rule);
    FillList(static_cast<int>(rules.size()) - 1);
    Save();
}

void CPropertyPageEmail::EditRule() {
    const int row = SelectedRow();
    if (!Settings().rules.IsValidIndex(row)) return;
    CEmail rule = Settings().rules[row];
    if (!RunEditor(rule)) return;
    CEmailArray& rules = Settings().rules;
    if (!rules.IsValidIndex(row)) return;
    // The alert cycle runs while the dialog is open: an alarm it has reported meanwhile
    // stays reported, or the edit would send it again.
    rule.alarmLatch = rules[row].alarmLatch;
    rules[row] = rule;
    FillList(row);
    Save();
}

void CPropertyPageEmail::DuplicateRule() {
    const int row = SelectedRow();
    if (!Settings().rules.IsValidIndex(row)) return;
    CEmail rule = Settings().rules[row];
    if (!RunEditor(rule)) return;
    // A new rule: it has seen no alarm yet.
    rule.alarmLatch = false;
    CEmailArray& rules = Settings().rules;
    rules.append(rule);
    FillList(static_cast<int>(rules.size()) - 1);
    Save();
}

void CPropertyPageEmail::DeleteRule() {
    const int row = SelectedRow();
    CEmailArray& rules = Settings().rules;
    if (!rules.IsValidIndex(row)) return;
    rules.removeAt(row);
    FillList(row);
    Save();
}

void CPropertyPageEmail::TestRule() {
    const int row = SelectedRow();
    if (!Settings().rules.IsValidIndex(row)) return;
    // The server fields as shown, even when the click did not take the focus from them.
    CommitFields();
    const CEmail rule = Settings().rules[row];
    // Composing reads the controller; refresh ticks wait meanwhile.
    CTimerStop timerStop;
    EmailAlerts().SendTestMail(rule);
}

void CPropertyPageEmail::SetDefaultPort() {
    m_port->setValue(CEmailSettings::DefaultPort);
    if (Settings().port == CEmailSettings::DefaultPort) return;
    Settings().port = CEmailSettings::DefaultPort;
    Save();
}

// --- settings -----------------------------------------------------------------------------------

void CPropertyPageEmail::CommitField(QLineEdit* edit, QString& field, bool quiet) {
    if (m_committing) return;
    const QString text = edit->text();
    if (text == field) return;
    // A letter the file cannot hold would come back as "?" after a restart (a password
    // that no longer works), so it is refused like a control character.
    const bool safe = CEmail::IsSafeField(text);
    if (!safe || !CEmail::IsStorable(text)) {
        if (quiet) return;
        // The message box takes the focus, which ends the edit a second time.
        m_committing = true;
        edit->setText(field);
        CMessageService::ShowMessage(safe ? 42348 : 42347, CMessageService::Icon::Warning,
                                     CMessageService::Buttons::Ok, {}, this);
        m_committing = false;
        return;
    }
    field = text;
    Save();
}

void CPropertyPageEmail::CommitFields(bool quiet) {
    if (!m_list) return;
    CEmailSettings& s = Settings();
    CommitField(m_server, s.smtpServer, quiet);
    CommitField(m_password, s.password, quiet);
    CommitField(m_sender, s.senderAddress, quiet);
    CommitField(m_furtherText, s.furtherText, quiet);
    CommitField(m_user, s.userName, quiet);
    m_port->interpretText();
    if (s.port != m_port->value()) {
        s.port = static_cast<uint16_t>(m_port->value());
        Save();
    }
}

void CPropertyPageEmail::Save() {
    CEmailSettings& s = Settings();
    if (s.Save()) {
        if (!m_saveError.isEmpty()) {
            m_saveError.clear();
            ShowSendStatus();
        }
        return;
    }
    m_saveError = TrArg(42316, {s.LastError()});
    if (m_status) m_status->setText(m_saveError);
}

void CPropertyPageEmail::ShowSendStatus() {
    if (!m_status) return;
    if (!m_saveError.isEmpty()) {
        m_status->setText(m_saveError);
        return;
    }
    if (EmailAlerts().SendingService() != 0) {
        m_status->setText(Tr(52000));
        return;
    }
    const CEmailAlerts::SendResult& r = EmailAlerts().LastResult();
    if (!r.valid) {
        m_status->setText(Tr(42313));
        return;
    }
    const QString when = QLocale().toString(r.time, QLocale::ShortFormat);
    m_status->setText(r.ok ? TrArg(42311, {when, r.recipients.join(QStringLiteral(", "))})
                           : TrArg(42312, {when, r.reason}));
}

QString CPropertyPageEmail::StatusText() const {
    return m_status ? m_status->text() : QString();
}
