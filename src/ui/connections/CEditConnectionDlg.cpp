// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connections/CEditConnectionDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CKorvalisControlApp.h"
#include "app/CTimerStop.h"
#include "lang/CLanguage.h"
#include "link/CConnectionArray.h"
#include "link/CLocalHost.h"
#include "link/CNetworkDiscovery.h"
#include "link/CSerialPortMap.h"
#include "ui/connections/CAskUser.h"
#include "ui/connections/CDiscoveryDialogs.h"
#include "ui/connections/CScanCOMDlg.h"
#include "ui/connections/CSerialPortCombo.h"
#include "ui/connections/CSerialPortListDlg.h"

namespace {
const char* const kBaudRates[] = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const QString kAuto = QStringLiteral("<AUTO>");

std::function<void(const QUrl&)>& UrlOpener()
{
    static std::function<void(const QUrl&)> opener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return opener;
}

// A spin box whose range also holds a stored value outside it, so opening and confirming
// the editor never changes a value the user did not touch.
QSpinBox* Spin(const char* name, int lo, int hi, uint32_t value, QWidget* parent)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(QLatin1String(name));
    const int v = static_cast<int>(std::min<uint32_t>(value, 0x7FFFFFFF));
    s->setRange(std::min(lo, v), std::max(hi, v));
    s->setValue(v);
    return s;
}
}  // namespace

void CEditConnectionDlg::SetUrlOpener(std::function<void(const QUrl&)> opener)
{
    UrlOpener() = std::move(opener);
}

uint32_t CEditConnectionDlg::MapDevicePath(uint32_t portNumber, const QString& devicePath,
                                           const QSet<uint32_t>& taken)
{
    const QString path = devicePath.trimmed();
    if (path.isEmpty() || path == CSerialPortMap::DevicePath(portNumber))
        return portNumber;
    const uint32_t n = CSerialPortMap::NumberForPath(path);
    if (n != 0 && CSerialPortMap::DevicePath(n) == path)
        return n;
    if (taken.contains(portNumber)) {
        // Numbers above the default scheme map to nothing until given a path.
        for (uint32_t free = 65; free <= 255; ++free) {
            if (!taken.contains(free) && CSerialPortMap::Override(free).isEmpty()) {
                CSerialPortMap::SetOverride(free, path);
                return free;
            }
        }
    }
    CSerialPortMap::SetOverride(portNumber, path == CSerialPortMap::DefaultDevicePath(portNumber) ? QString() : path);
    return portNumber;
}

CEditConnectionDlg::CEditConnectionDlg(CKorvalisControlApp& app, CConnection& connection, QWidget* parent)
    : QDialog(parent), m_app(app), m_connection(connection)
{
    setObjectName(QStringLiteral("217"));
    setWindowTitle(Tr(21701));
    const CConnection& c = connection;
    auto* grid = new QGridLayout;
    int row = 0;

    m_name = new QLineEdit(c.name, this);
    m_name->setObjectName(QStringLiteral("1400"));
    grid->addWidget(new QLabel(Tr(21702), this), row, 0);
    grid->addWidget(m_name, row++, 1, 1, 3);

    m_serial = new QRadioButton(Tr(21703), this);
    m_serial->setObjectName(QStringLiteral("1401"));
    m_tcp = new QRadioButton(Tr(21704), this);
    m_tcp->setObjectName(QStringLiteral("1458"));
    grid->addWidget(new QLabel(Tr(339) + QLatin1Char(':'), this), row, 0);
    grid->addWidget(m_serial, row, 1);
    grid->addWidget(m_tcp, row++, 2, 1, 2);

    m_whereLabel = new QLabel(this);
    m_whereLabel->setObjectName(QStringLiteral("1453"));
    m_comPort = Spin("1362", 1, 255, c.comPort, this);
    m_comPort->setPrefix(QStringLiteral("COM"));
    m_address = new QLineEdit(c.networkAddress == QLatin1String("0.0.0.0") ? kAuto : c.networkAddress, this);
    m_address->setObjectName(QStringLiteral("1454"));
    m_automatic = new QCheckBox(Tr(21709), this);
    m_automatic->setObjectName(QStringLiteral("1496"));
    m_automatic->setChecked(c.networkAddress == QLatin1String("0.0.0.0"));
    m_address->setEnabled(!m_automatic->isChecked());
    grid->addWidget(m_whereLabel, row, 0);
    grid->addWidget(m_comPort, row, 1);
    grid->addWidget(m_address, row, 1, 1, 2);
    grid->addWidget(m_automatic, row++, 3);

    // The device behind the port number: pick a detected port or type a path (pseudo-
    // terminals are not detected).
    m_deviceLabel = new QLabel(Tr(21713), this);
    m_device = new CSerialPortCombo(this);
    m_device->setObjectName(QStringLiteral("serialDevice"));
    m_device->setEditText(CSerialPortMap::DevicePath(c.comPort));
    m_serialPorts = new QPushButton(Tr(21605), this);
    m_serialPorts->setObjectName(QStringLiteral("serialPorts"));
    grid->addWidget(m_deviceLabel, row, 0);
    grid->addWidget(m_device, row, 1, 1, 2);
    grid->addWidget(m_serialPorts, row++, 3);

    m_baudLabel = new QLabel(Tr(21707), this);
    m_baud = new QComboBox(this);
    m_baud->setObjectName(QStringLiteral("1361"));
    for (const char* rate : kBaudRates)
        m_baud->addItem(QLatin1String(rate));
    // A stored rate that is not in the list is offered as it is, rather than dropped.
    const QString baudText = QString::number(c.baudRate);
    if (m_baud->findText(baudText) < 0 && c.baudRate != 0)
        m_baud->addItem(baudText);
    m_baud->setCurrentIndex(m_baud->findText(baudText));
    m_tcpPortLabel = new QLabel(Tr(21708), this);
    m_tcpPort = Spin("1456", 1, 65535, c.tcpPort, this);
    grid->addWidget(m_baudLabel, row, 0);
    grid->addWidget(m_tcpPortLabel, row, 0);
    grid->addWidget(m_baud, row, 1);
    grid->addWidget(m_tcpPort, row++, 1);

    m_deviceAddress = Spin("1310", 1, 31, c.deviceAddress, this);
    grid->addWidget(new QLabel(Tr(21705), this), row, 0);
    grid->addWidget(m_deviceAddress, row++, 1);

    m_timeout = new QLineEdit(QString::number(c.replyTimeout), this);
    m_timeout->setObjectName(QStringLiteral("1399"));
    m_timeout->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_timeout));
    grid->addWidget(new QLabel(Tr(21706), this), row, 0);
    grid->addWidget(m_timeout, row++, 1);

    m_sms = new QCheckBox(Tr(21710), this);
    m_sms->setObjectName(QStringLiteral("1660"));
    m_sms->setChecked(c.smsModule);
    grid->addWidget(m_sms, row++, 0, 1, 4);

    m_scan = new QPushButton(Tr(21711), this);
    m_scan->setObjectName(QStringLiteral("1060"));
    m_configuration = new QPushButton(Tr(21712), this);
    m_configuration->setObjectName(QStringLiteral("1459"));
    auto* tools = new QHBoxLayout;
    tools->addWidget(m_scan);
    tools->addWidget(m_configuration);
    tools->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(tools);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CEditConnectionDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_serial, &QRadioButton::clicked, this, [this] { ShowType(false); });
    connect(m_tcp, &QRadioButton::clicked, this, [this] { ShowType(true); });
    connect(m_automatic, &QCheckBox::toggled, this, &CEditConnectionDlg::OnAutomaticToggled);
    connect(m_configuration, &QPushButton::clicked, this, &CEditConnectionDlg::OnConfiguration);
    connect(m_scan, &QPushButton::clicked, this, &CEditConnectionDlg::OnScan);
    connect(m_serialPorts, &QPushButton::clicked, this, &CEditConnectionDlg::OnSerialPorts);
    connect(m_comPort, &QSpinBox::valueChanged, this, &CEditConnectionDlg::OnPortNumberChanged);
    connect(m_device, &QComboBox::activated, this, &CEditConnectionDlg::OnDevicePicked);

    const bool tcp = c.type == CConnection::Tcp;
    (tcp ? m_tcp : m_serial)->setChecked(true);
    ShowType(tcp);
}

CEditConnectionDlg::~CEditConnectionDlg()
{
    delete m_ownDiscoveryUi;
}

void CEditConnectionDlg::ShowType(bool tcp)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_address, m_tcpPort, m_tcpPortLabel, m_automatic, m_configuration})
        w->setVisible(tcp);
    for (QWidget* w : std::initializer_list<QWidget*>{m_comPort, m_deviceLabel, m_device, m_serialPorts, m_baud, m_baudLabel, m_scan})
        w->setVisible(!tcp);
    m_whereLabel->setText(Tr(tcp ? 271 : 250) + QLatin1Char(':'));
}

void CEditConnectionDlg::OnAutomaticToggled(bool on)
{
    m_address->setEnabled(!on);
    if (!on && m_address->text().trimmed() == kAuto)
        m_address->setText(CLocalHost::FirstAddress(QStringLiteral("192.168.0.0")));
}

void CEditConnectionDlg::OnConfiguration()
{
    if (!m_tcp->isChecked()) {
        OnSerialPorts();
        return;
    }
    QString address = m_address->text().trimmed();
    if (m_automatic->isChecked() || address == QLatin1String("0.0.0.0") || address == kAuto) {
        if (!m_discoveryUi) {
            if (!m_ownDiscoveryUi)
                m_ownDiscoveryUi = new CDiscoveryDialogs(this);
            m_discoveryUi = m_ownDiscoveryUi;
        }
        CTimerStop transfer;
        address = CNetworkDiscovery::DiscoverModule(false, m_discoveryUi);
        if (address == QLatin1String("0.0.0.0"))
            return;
    }
    UrlOpener()(QUrl(QStringLiteral("http://") + address));
}

void CEditConnectionDlg::OnScan()
{
    if (CAskUser::Ask(this, 322, CUserInteraction::Icon::Warning, CUserInteraction::Buttons::YesNoCancel) !=
        CUserInteraction::IdYes)
        return;
    CConnection probe = m_connection;
    ControlsToConnection(probe);
    CScanCOMDlg scan(m_app, probe, this);
    if (scan.exec() == QDialog::Accepted)
        m_comPort->setValue(static_cast<int>(probe.comPort));
}

void CEditConnectionDlg::OnSerialPorts()
{
    CSerialPortListDlg list(true, this);
    if (list.exec() == QDialog::Accepted && !list.ChosenPath().isEmpty())
        m_device->setEditText(list.ChosenPath());
}

void CEditConnectionDlg::OnPortNumberChanged(int port)
{
    m_device->setEditText(CSerialPortMap::DevicePath(static_cast<uint32_t>(port)));
}

void CEditConnectionDlg::OnDevicePicked()
{
    const QString path = m_device->currentData().toString();
    if (path.isEmpty())
        return;
    m_device->setEditText(path);
    const uint32_t n = CSerialPortMap::NumberForPath(path);
    if (n != 0 && CSerialPortMap::DevicePath(n) == path) {
        const QSignalBlocker block(m_comPort);
        m_comPort->setValue(static_cast<int>(n));
    }
}

void CEditConnectionDlg::ControlsToConnection(CConnection& c) const
{
    c.comPort = static_cast<uint32_t>(m_comPort->value());
    c.deviceAddress = static_cast<uint32_t>(m_deviceAddress->value());
    c.replyTimeout = m_timeout->text().toUInt();
    c.name = m_name->text();
    c.type = m_tcp->isChecked() ? CConnection::Tcp : CConnection::Serial;
    c.smsModule = m_sms->isChecked();
    c.baudRate = m_baud->currentText().toUInt();
    const QString address = m_address->text().trimmed();
    c.networkAddress = m_automatic->isChecked() || address == kAuto ? QStringLiteral("0.0.0.0") : address;
    c.tcpPort = static_cast<uint32_t>(m_tcpPort->value());
}

void CEditConnectionDlg::accept()
{
    CConnection c = m_connection;
    ControlsToConnection(c);
    if (m_nameCheck && !m_nameCheck(c.name)) {
        m_name->setFocus();
        m_name->selectAll();
        return;
    }
    if (c.type == CConnection::Serial) {
        QSet<uint32_t> taken;
        const CConnectionArray& stored = m_app.Connections();
        for (int i = 0; i < stored.GetCount(); ++i) {
            const CConnection other = stored.GetAt(i);
            if (!other.IsTcp() && other.name != m_connection.name)
                taken.insert(other.comPort);
        }
        c.comPort = MapDevicePath(c.comPort, m_device->currentText(), taken);
    }
    m_connection = c;
    QDialog::accept();
}
