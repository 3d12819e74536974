// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CLantronixConfig.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtEndian>
#include <algorithm>

#include "app/CKorvalisControlApp.h"
#include "lang/CLanguage.h"
#include "link/CLocalHost.h"
#include "ui/connections/CAskUser.h"

QByteArray CLantronixConfig::BuildRecord(uint32_t ipv4, bool automatic, uint8_t option, const QString& networkName)
{
    QByteArray record(RecordSize, '\0');
    if (!automatic)
        qToBigEndian<uint32_t>(ipv4, record.data());  // first octet first
    record[4] = static_cast<char>(option);
    const QByteArray name = networkName.trimmed().toLatin1().left(16);
    std::copy(name.begin(), name.end(), record.begin() + 5);
    return record;
}

CLantronixConfig::CLantronixConfig(CKorvalisControlApp& app, uint8_t moduleIndex, bool enable, QWidget* parent)
    // Only the three expansion slots 0..2 have a record (1141..1143); a larger index would
    // overwrite an unrelated parameter.
    : QDialog(parent), m_app(app), m_moduleIndex(std::min<uint8_t>(moduleIndex, 2))
{
    setObjectName(QStringLiteral("228"));
    setWindowTitle(Tr(22801));
    auto* layout = new QVBoxLayout(this);

    auto* host = new QFormLayout;
    auto* hostName = new QLineEdit(CLocalHost::Name(), this);
    hostName->setObjectName(QStringLiteral("1495"));
    hostName->setReadOnly(true);
    auto* own = new QListWidget(this);
    own->setObjectName(QStringLiteral("1494"));
    const QStringList addresses = CLocalHost::Ipv4Addresses(16);
    own->addItems(addresses);
    own->setMaximumHeight(90);
    host->addRow(Tr(22809), hostName);
    host->addRow(Tr(22810), own);
    layout->addLayout(host);

    auto* types = new QGroupBox(Tr(22806), this);
    auto* typesLayout = new QVBoxLayout(types);
    auto* optionGroup = new QButtonGroup(this);
    const char* optionNames[2] = {"1482", "1484"};
    for (int i = 0; i < 2; ++i) {
        m_option[i] = new QRadioButton(Tr(i == 0 ? 22807 : 22808), types);
        m_option[i]->setObjectName(QLatin1String(optionNames[i]));
        m_option[i]->setEnabled(enable);
        optionGroup->addButton(m_option[i], i);
        typesLayout->addWidget(m_option[i]);
    }
    m_option[0]->setChecked(true);
    auto* nameForm = new QFormLayout;
    m_name = new QLineEdit(QStringLiteral("LTRX_IBSS"), types);
    m_name->setObjectName(QStringLiteral("1483"));
    m_name->setEnabled(enable);
    nameForm->addRow(Tr(22805), m_name);
    typesLayout->addLayout(nameForm);
    layout->addWidget(types);

    auto* addressing = new QGroupBox(Tr(22811), this);
    auto* addressingLayout = new QVBoxLayout(addressing);
    m_fixed = new QRadioButton(Tr(22802), addressing);
    m_fixed->setObjectName(QStringLiteral("1487"));
    m_automatic = new QRadioButton(Tr(22803), addressing);
    m_automatic->setObjectName(QStringLiteral("1493"));
    auto* addressingGroup = new QButtonGroup(this);
    addressingGroup->addButton(m_fixed, 0);
    addressingGroup->addButton(m_automatic, 1);
    m_fixed->setChecked(true);
    m_address = new QLineEdit(QStringLiteral("192.168.0.0"), addressing);
    m_address->setObjectName(QStringLiteral("1460"));
    if (!addresses.isEmpty())
        m_address->setText(CLocalHost::NetworkOf(addresses.first()));
    auto* addressForm = new QFormLayout;
    addressForm->addRow(Tr(22804), m_address);
    addressingLayout->addWidget(m_fixed);
    addressingLayout->addLayout(addressForm);
    addressingLayout->addWidget(m_automatic);
    layout->addWidget(addressing);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLantronixConfig::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_fixed, &QRadioButton::clicked, this, &CLantronixConfig::ShowAddressField);
    connect(m_automatic, &QRadioButton::clicked, this, &CLantronixConfig::ShowAddressField);
    ShowAddressField();
}

void CLantronixConfig::ShowAddressField()
{
    m_address->setVisible(!m_automatic->isChecked());
}

void CLantronixConfig::accept()
{
    const bool automatic = m_automatic->isChecked();
    uint32_t ipv4 = 0;
    if (!automatic) {
        // Only a complete dotted address is written; anything else would put a wrong
        // address into the module.
        const QStringList octets = m_address->text().trimmed().split(QLatin1Char('.'));
        bool ok = octets.size() == 4;
        for (const QString& octet : octets) {
            bool good = false;
            const uint v = octet.toUInt(&good);
            ok = ok && good && v <= 255 && !octet.isEmpty() && octet.size() <= 3;
            ipv4 = (ipv4 << 8) | (v & 0xFF);
        }
        if (!ok) {
            CAskUser::Ask(this, 31212, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::Ok);
            m_address->setFocus();
            return;
        }
    }
    const uint8_t option = m_option[1]->isChecked() ? 1 : 0;
    const QByteArray record = BuildRecord(ipv4, automatic, option, m_name->text());
    m_writeStatus = m_app.WriteTextParameter(FirstParameter + m_moduleIndex, record, false);
    if (m_writeStatus != 0) {
        reject();
        return;
    }
    QDialog::accept();
}
