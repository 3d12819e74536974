// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CDeviceAddressDlg.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "ui/services/CHelpViewer.h"

CDeviceAddressDlg::CDeviceAddressDlg(uint32_t currentAddress, QWidget* parent)
    : QDialog(parent), m_newAddress(static_cast<uint16_t>(currentAddress))
{
    setObjectName(QStringLiteral("187"));
    setWindowTitle(Tr(18701));
    auto* form = new QFormLayout;
    auto* current = new QLineEdit(QString::number(currentAddress), this);
    current->setObjectName(QStringLiteral("1221"));
    current->setReadOnly(true);
    m_new = new QLineEdit(QString::number(m_newAddress), this);
    m_new->setObjectName(QStringLiteral("1222"));
    m_new->setValidator(new QIntValidator(0, 65535, m_new));
    m_new->installEventFilter(this);
    form->addRow(Tr(18702), current);
    form->addRow(Tr(18703), m_new);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDeviceAddressDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto showHelp = [this] { CHelpViewer::ShowTopic(HelpTopic, this); };
    connect(buttons, &QDialogButtonBox::helpRequested, this, showHelp);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, showHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CDeviceAddressDlg::Clamp()
{
    const int v = std::clamp(m_new->text().toInt(), 1, 30);
    m_new->setText(QString::number(v));
    m_newAddress = static_cast<uint16_t>(v);
}

bool CDeviceAddressDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_new && event->type() == QEvent::FocusOut)
        Clamp();
    return QDialog::eventFilter(watched, event);
}

void CDeviceAddressDlg::accept()
{
    // Enter confirms without the field losing focus: clamp here too, so an address outside
    // 1..30 never reaches the controller.
    Clamp();
    QDialog::accept();
}

uint16_t CDeviceAddressDlg::RunCommand(CKorvalisControlApp& app, QWidget* parent)
{
    CDeviceAddressDlg dlg(app.Connections().GetSelected().deviceAddress, parent);
    if (dlg.exec() != QDialog::Accepted)
        return 0;
    return ApplyNewAddress(app, dlg.NewAddress());
}

uint16_t CDeviceAddressDlg::ApplyNewAddress(CKorvalisControlApp& app, uint16_t address)
{
    CConnection copy = app.Connections().GetSelected();
    // Without a link only the stored connection changes (the controller is set at its keys).
    if (!app.simulationMode && app.IsConnected()) {
        if (const uint16_t status = app.WriteParameter(5, address); status != 0)
            return status;
    }
    copy.deviceAddress = address;
    app.Connections().UpdateSelected(copy);
    return 0;
}
