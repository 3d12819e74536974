// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CSerialComm.h"

#include <QCoreApplication>
#include <QSerialPort>

#include "link/CSerialPortProblem.h"

namespace {
QSerialPort::Parity ToParity(uint8_t p)
{
    switch (p) {
    case 1: return QSerialPort::OddParity;
    case 2: return QSerialPort::EvenParity;
    case 3: return QSerialPort::MarkParity;
    case 4: return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits ToStopBits(uint8_t s)
{
    switch (s) {
    case 1: return QSerialPort::OneAndHalfStop;
    case 2: return QSerialPort::TwoStop;
    default: return QSerialPort::OneStop;
    }
}
}  // namespace

CSerialComm::CSerialComm(const QString& deviceName) : m_deviceName(deviceName) {}

CSerialComm::~CSerialComm()
{
    Close();
}

bool CSerialComm::Open()
{
    Close();
    m_lastError.clear();
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(m_deviceName);
    if (!m_port->open(QIODevice::ReadWrite)) {
        const bool refused = m_port->error() == QSerialPort::PermissionError;
        m_lastError = CSerialPortProblem::Diagnose(m_deviceName, refused, m_port->errorString()).Text();
        m_port.reset();
        return false;
    }
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Pseudo-terminals reject modem-line requests; that must not fail the open.
    m_port->setRequestToSend(true);
    m_port->setDataTerminalReady(true);
    return true;
}

bool CSerialComm::Close()
{
    if (m_port) {
        m_port->close();
        m_port.reset();
    }
    return true;
}

bool CSerialComm::IsOpen() const
{
    return m_port && m_port->isOpen();
}

bool CSerialComm::SetState(const CSerialCommState& state)
{
    if (!IsOpen())
        return false;
    bool ok = m_port->setBaudRate(static_cast<qint32>(state.baudRate));
    ok = m_port->setDataBits(static_cast<QSerialPort::DataBits>(state.byteSize)) && ok;
    ok = m_port->setParity(ToParity(state.parity)) && ok;
    ok = m_port->setStopBits(ToStopBits(state.stopBits)) && ok;
    if ((state.rtsControl & 3) == 1)
        m_port->setRequestToSend(true);
    else if ((state.rtsControl & 3) == 0)
        m_port->setRequestToSend(false);
    return ok;
}

bool CSerialComm::GetState(CSerialCommState& state) const
{
    if (!IsOpen()) {
        state = CSerialCommState{0, 0, 0, 0, 0};
        return false;
    }
    state.baudRate = static_cast<uint32_t>(m_port->baudRate());
    state.byteSize = static_cast<uint8_t>(m_port->dataBits());
    switch (m_port->parity()) {
    case QSerialPort::OddParity: state.parity = 1; break;
    case QSerialPort::EvenParity: state.parity = 2; break;
    case QSerialPort::MarkParity: state.parity = 3; break;
    case QSerialPort::SpaceParity: state.parity = 4; break;
    default: state.parity = 0;
    }
    state.stopBits = m_port->stopBits() == QSerialPort::TwoStop ? 2
                   : m_port->stopBits() == QSerialPort::OneAndHalfStop ? 1 : 0;
    return true;
}

int CSerialComm::Write(const char* bytes, int count)
{
    if (!IsOpen() || count <= 0)
        return 0;
    const qint64 n = m_port->write(bytes, count);
    if (n < 0)
        return 0;
    // Writes are synchronous: the frame is on the line before the caller listens.
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(qMax(m_readTimeout, 1000)))
            break;
    }
    return static_cast<int>(n);
}

int CSerialComm::Read(char* buffer, int max, char terminator, bool byteWise)
{
    if (!IsOpen())
        return 0;
    if (max == 0)
        max = static_cast<int>(m_port->bytesAvailable());
    if (max <= 0)
        return 0;
    const auto waitForData = [this]() {
        return m_port->bytesAvailable() > 0 || m_port->waitForReadyRead(m_readTimeout);
    };
    if (!byteWise) {
        if (!waitForData())
            return 0;
        const qint64 n = m_port->read(buffer, max);
        return n < 0 ? 0 : static_cast<int>(n);
    }
    int count = 0;
    while (count < max) {
        if (!waitForData())
            break;
        char c = 0;
        if (m_port->read(&c, 1) != 1)
            break;
        buffer[count++] = c;
        if (c == terminator)
            break;
    }
    return count;
}

int CSerialComm::ReadString(QByteArray& out, int max, char terminator, bool byteWise)
{
    out.clear();
    if (max < 0)
        return 0;
    if (max == 0 && IsOpen()) {
        m_port->waitForReadyRead(0);  // fetch what the driver holds without waiting
        max = static_cast<int>(m_port->bytesAvailable());
    }
    QByteArray buffer(max, '\0');
    const int n = Read(buffer.data(), static_cast<int>(buffer.size()), terminator, byteWise);
    out = buffer.left(n);
    return n;
}

bool CSerialComm::OutputQueueEmpty() const
{
    return IsOpen() && m_port->bytesToWrite() == 0;
}

bool CSerialComm::WaitForOutputQueueEmpty(int msecs)
{
    if (!IsOpen())
        return false;
    while (m_port->bytesToWrite() > 0) {
        if (msecs <= 0 || !m_port->waitForBytesWritten(msecs))
            return m_port->bytesToWrite() == 0;
    }
    return true;
}

bool CSerialComm::SetDTR(bool on)
{
    return IsOpen() && m_port->setDataTerminalReady(on);
}

bool CSerialComm::SetRTS(bool on)
{
    return IsOpen() && m_port->setRequestToSend(on);
}

void CSerialComm::PurgeReceive()
{
    if (!IsOpen())
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
}
