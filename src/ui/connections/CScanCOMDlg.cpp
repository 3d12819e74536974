// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CScanCOMDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "ui/connections/CAskUser.h"

namespace {
QSpinBox* PortSpin(const char* name, int value, QWidget* parent)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(1, 255);
    s->setValue(value);
    return s;
}
}  // namespace

CScanCOMDlg::CScanCOMDlg(CKorvalisControlApp& app, CConnection& connection, QWidget* parent)
    : QDialog(parent), m_app(app), m_connection(connection)
{
    setObjectName(QStringLiteral("254"));
    setWindowTitle(Tr(25401));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_from = PortSpin("1587", 1, this);
    m_to = PortSpin("1584", 255, this);
    form->addRow(Tr(25403), m_from);
    form->addRow(Tr(25404), m_to);
    layout->addLayout(form);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("1220"));
    m_progress->setRange(1, 255);
    m_progress->setValue(1);
    m_progress->setFormat(QStringLiteral("COM%v"));
    layout->addWidget(m_progress);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_start = buttons->addButton(Tr(25402), QDialogButtonBox::ActionRole);
    m_start->setObjectName(QStringLiteral("1447"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    layout->addWidget(buttons);
    connect(m_start, &QPushButton::clicked, this, &CScanCOMDlg::Start);
    connect(buttons, &QDialogButtonBox::rejected, this, &CScanCOMDlg::reject);
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &CScanCOMDlg::Probe);
}

bool CScanCOMDlg::IsScanning() const
{
    return m_timer->isActive();
}

void CScanCOMDlg::Start()
{
    // In simulation mode every connect succeeds, so the first port would be "found".
    if (m_app.simulationMode) {
        CAskUser::Ask(this, 31213, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::Ok);
        return;
    }
    if (m_to->value() < m_from->value())
        m_to->setValue(m_from->value());
    m_start->setEnabled(false);
    m_cancelled = false;
    m_connection.comPort = static_cast<uint32_t>(m_from->value());
    m_connection.replyTimeout = 1000;
    m_last = static_cast<uint32_t>(m_to->value());
    m_progress->setRange(m_from->value(), m_to->value());
    m_timer->start();
}

void CScanCOMDlg::Probe()
{
    // A probe may show the connect sequence's own messages; with the timer running, their
    // event loops would start further probes inside this one and tear down its channel.
    m_timer->stop();
    m_progress->setValue(static_cast<int>(m_connection.comPort));
    // Every probe goes to the port number's own device, not to a device given on the
    // command line for the program's connection.
    const QString deviceOverride = m_app.serialDeviceOverride;
    m_app.serialDeviceOverride.clear();
    const bool found = m_app.Connect(&m_connection, false);
    m_app.serialDeviceOverride = deviceOverride;
    if (m_cancelled) {
        m_app.Disconnect();
        return;
    }
    if (found) {
        m_app.Disconnect();
        m_start->setEnabled(true);
        CAskUser::Ask(this, 191, CUserInteraction::Icon::Information, CUserInteraction::Buttons::Ok,
                      {QString::number(m_connection.comPort)});
        QDialog::accept();
        return;
    }
    if (m_connection.comPort >= m_last) {
        Finish();
        CAskUser::Ask(this, 190, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::Ok);
        return;
    }
    ++m_connection.comPort;
    if (!m_cancelled)
        m_timer->start();
}

void CScanCOMDlg::Finish()
{
    m_timer->stop();
    m_start->setEnabled(true);
}

void CScanCOMDlg::reject()
{
    m_cancelled = true;
    m_timer->stop();
    QDialog::reject();
}
