// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/behaviours/CFrontPanelBehaviour.h"

#include <QDate>
#include <QString>

#include "base/ModelInfo.h"
#include "base/SensorTypeInfo.h"
#include "device/CBusDevice.h"
#include "device/CDeviceClock.h"
#include "device/behaviours/CLiveStatesBehaviour.h"
#include "device/behaviours/CLiveValuesBehaviour.h"
#include "device/behaviours/COperatingModeBehaviour.h"

namespace {
const char* const kMenuItems[] = {"Sensors", "Sockets", "Maintenance", "Clock", "Info"};
constexpr int kMenuCount = 5;
// User-defined character 0 is shown as a switched-on socket.
constexpr char kSocketOnChar = '\x80';

QByteArray Fit(const QByteArray& text)
{
    QByteArray line = text.left(CFrontPanelBehaviour::kWidth);
    line.append(QByteArray(CFrontPanelBehaviour::kWidth - line.size(), ' '));
    return line;
}

// left text, then right text flush with the end of the line.
QByteArray Spread(const QByteArray& left, const QByteArray& right)
{
    const qsizetype gap = CFrontPanelBehaviour::kWidth - left.size() - right.size();
    return Fit(left + QByteArray(qMax<qsizetype>(gap, 1), ' ') + right);
}

QByteArray TwoDigits(int v)
{
    return QByteArray::number(v).rightJustified(2, '0');
}

QByteArray ShortName(int type)
{
    switch (type) {
    case SensorTypeInfo::Temperature: return "Temp";
    case SensorTypeInfo::PH: return "pH";
    case SensorTypeInfo::Redox: return "Redox";
    case SensorTypeInfo::CondFresh:
    case SensorTypeInfo::CondSea: return "Cond";
    case SensorTypeInfo::Humidity: return "Hum";
    case SensorTypeInfo::AirTemperature: return "Air";
    case SensorTypeInfo::Oxygen: return "O2";
    case SensorTypeInfo::Voltage: return "Volt";
    default: return "?";
    }
}

int TypeOf(const CBusDevice& d, int input)
{
    return static_cast<int>(d.Value(CLiveValuesBehaviour::TypeParameter(input)) & 0xFF);
}
}  // namespace

CFrontPanelBehaviour::CFrontPanelBehaviour(CDeviceClock& clock, const CLiveStatesBehaviour* states)
    : m_clock(clock), m_states(states)
{
}

bool CFrontPanelBehaviour::IsVolatile(int number) const
{
    return number == kKeyParameter || number == kLine1Parameter || number == kLine2Parameter ||
           number == kAttributesParameter || number == kLampParameter;
}

void CFrontPanelBehaviour::Restart(CBusDevice& device)
{
    m_screen = Status;
    m_menuIndex = m_sensor = m_socketPage = m_infoPage = 0;
    m_editing = false;
    device.SetValue(kKeyParameter, 0);
    Render(device);
}

void CFrontPanelBehaviour::Attach(CBusDevice& device)
{
    for (int n : {kLine1Parameter, kLine2Parameter, kAttributesParameter, kLampParameter})
        device.SetReadOnly(n);
    device.SetValue(kKeyParameter, 0);
    m_lastKeyMs = m_clock.RealMs();
    Render(device);
    device.AddBeforeRead([this](CBusDevice& d, int n) {
        if (n == kLine1Parameter || n == kLine2Parameter || n == kAttributesParameter || n == kLampParameter)
            Render(d);
    });
    device.AddWriteCheck([](CBusDevice&, int n, int64_t v) -> uint8_t {
        return n == kKeyParameter && (v < 0 || v > 255) ? CBusDevice::kRefusalValue : 0;
    });
    device.AddAfterWrite([this](CBusDevice& d, int n) {
        if (n == kKeyParameter)
            PressKey(d, static_cast<int>(d.Value(n)));
    });
}

int CFrontPanelBehaviour::SensorInputs(CBusDevice& device, int* inputs) const
{
    int count = 0;
    for (int i = 0; i < 8; ++i)
        if (SensorTypeInfo::Find(TypeOf(device, i)) && TypeOf(device, i) != 0)
            inputs[count++] = i;
    return count;
}

QByteArray CFrontPanelBehaviour::SensorLabel(CBusDevice& device, int input) const
{
    const int type = TypeOf(device, input);
    int same = 0;
    for (int i = 0; i <= input; ++i)
        if (TypeOf(device, i) == type)
            ++same;
    return ShortName(type) + QByteArray::number(same);
}

QByteArray CFrontPanelBehaviour::StatusLine2(CBusDevice& device)
{
    const int64_t mode = device.Value(COperatingModeBehaviour::kModeParameter);
    if (mode == COperatingModeBehaviour::Maintenance)
        return Fit("Maintenance");
    if (mode == COperatingModeBehaviour::SocketTest)
        return Fit("Socket test");
    const int alarm = m_states ? m_states->Alarm() : 0;
    // An alarm alternates with the values every two seconds.
    if (alarm && (m_clock.RealMs() / 2000) % 2 == 0)
        return Fit(alarm & CLiveStatesBehaviour::LevelAlarm ? "ALARM level" : "ALARM sensor");
    int inputs[8];
    const int count = SensorInputs(device, inputs);
    if (count == 0)
        return Fit("No sensors");
    const int input = inputs[m_sensor % count];
    device.Refresh(CLiveValuesBehaviour::ValueParameter(input));
    return Spread(SensorLabel(device, input),
                  CLiveValuesBehaviour::FormatValue(TypeOf(device, input),
                                                    device.Value(CLiveValuesBehaviour::ValueParameter(input))));
}

void CFrontPanelBehaviour::Render(CBusDevice& device)
{
    if (m_screen != Status && m_clock.RealMs() - m_lastKeyMs > kIdleMs) {
        m_screen = Status;
        m_editing = false;
    }
    QByteArray line1, line2;
    int cursor = -1;
    switch (m_screen) {
    case Status: {
        const ModelInfo* model = ModelInfo::Find(device.ProductCode());
        const int minute = m_clock.MinuteOfDay();
        line1 = Spread(model ? QByteArray(model->displayName) : QByteArray("Korvalis"),
                       TwoDigits(minute / 60) + ':' + TwoDigits(minute % 60));
        line2 = StatusLine2(device);
        break;
    }
    case Menu:
        line1 = Fit(QByteArray(">") + kMenuItems[m_menuIndex]);
        line2 = m_menuIndex + 1 < kMenuCount ? Fit(QByteArray(" ") + kMenuItems[m_menuIndex + 1]) : Fit("");
        break;
    case Sensors: {
        int inputs[8];
        const int count = SensorInputs(device, inputs);
        if (count == 0) {
            line1 = Fit("Sensors");
            line2 = Fit("none");
            break;
        }
        const int input = inputs[m_sensor % count];
        const int type = TypeOf(device, input);
        const SensorTypeInfo* info = SensorTypeInfo::Find(type);
        int same = 0;
        for (int i = 0; i <= input; ++i)
            if (TypeOf(device, i) == type)
                ++same;
        line1 = Fit(QByteArray(info->name1) + ' ' + QByteArray::number(same));
        device.Refresh(CLiveValuesBehaviour::ValueParameter(input));
        const QByteArray value = CLiveValuesBehaviour::FormatValue(type, device.Value(CLiveValuesBehaviour::ValueParameter(input)));
        QByteArray setpoint = CLiveValuesBehaviour::FormatValue(type, device.Value(CLiveValuesBehaviour::SetpointParameter(input)));
        setpoint.chop(QByteArray(QString::fromUtf8(info->unit).toLatin1()).size());
        line2 = Spread(value, "set " + setpoint);
        break;
    }
    case Sockets: {
        const uint32_t mask = m_states ? m_states->SocketMask(device) : 0;
        const ModelInfo* model = ModelInfo::Find(device.ProductCode());
        const int sockets = model ? model->switchPlugFunctions : 24;
        const int first = m_socketPage * 12;
        const int last = qMin(first + 12, sockets);
        const bool test = device.Value(COperatingModeBehaviour::kModeParameter) == COperatingModeBehaviour::SocketTest;
        line1 = Fit((test ? QByteArray("Test ") : QByteArray("Sockets ")) + QByteArray::number(first + 1) + '-' +
                    QByteArray::number(last));
        QByteArray states;
        for (int k = first; k < last; ++k)
            states.append((mask >> k) & 1 ? kSocketOnChar : '.');
        line2 = Fit(states);
        break;
    }
    case Maintenance: {
        const int64_t mode = device.Value(COperatingModeBehaviour::kModeParameter);
        line1 = Fit("Maintenance");
        if (mode == COperatingModeBehaviour::Maintenance)
            line2 = Fit("ON    OK = stop");
        else if (mode == COperatingModeBehaviour::Normal)
            line2 = Fit("off   OK = start");
        else
            line2 = Fit("busy (test mode)");
        break;
    }
    case Clock: {
        const int minute = m_clock.MinuteOfDay();
        const int hour = m_editing ? m_editHour : minute / 60;
        const int min = m_editing ? m_editMinute : minute % 60;
        line1 = Spread("Time", TwoDigits(hour) + ':' + TwoDigits(min));
        const QDate date = QDate(2000, 1, 1).addDays(m_clock.DayNumber());
        line2 = Spread("Date", date.toString(QStringLiteral("yyyy-MM-dd")).toLatin1());
        if (m_editing)
            cursor = m_editField == 0 ? kWidth - 4 : kWidth - 1;
        break;
    }
    case Info:
        if (m_infoPage == 0) {
            const int64_t fw = device.Value(0);
            line1 = Spread("Firmware", QByteArray::number(fw / 100) + '.' + TwoDigits(static_cast<int>(fw % 100)));
            line2 = Spread("Serial", QByteArray::number(static_cast<uint32_t>(device.Value(6))));
        } else {
            const ModelInfo* model = ModelInfo::Find(device.ProductCode());
            line1 = Fit(model ? QByteArray(model->displayName) : QByteArray("Korvalis"));
            line2 = Spread("Bus address", QByteArray::number(device.Address()));
        }
        break;
    }
    QByteArray attributes(8, '\x07');  // user-defined characters 1..7 show as blanks
    attributes[0] = 0;                 // character 0: a switched-on socket
    attributes.append(cursor >= 0 ? static_cast<char>(0x80 | cursor) : '\0');
    device.SetText(kLine1Parameter, line1);
    device.SetText(kLine2Parameter, line2);
    device.SetText(kAttributesParameter, attributes);
    const int alarm = m_states ? m_states->Alarm() : 0;
    device.SetValue(kLampParameter, alarm ? 0 : 1);
}

void CFrontPanelBehaviour::OpenMenuItem(CBusDevice& device, int item)
{
    static constexpr Screen kScreens[kMenuCount] = {Sensors, Sockets, Maintenance, Clock, Info};
    m_screen = kScreens[item];
    m_editing = false;
    m_socketPage = m_infoPage = 0;
}

void CFrontPanelBehaviour::PressKey(CBusDevice& device, int code)
{
    if (m_screen != Status && m_clock.RealMs() - m_lastKeyMs > kIdleMs) {
        m_screen = Status;
        m_editing = false;
    }
    m_lastKeyMs = m_clock.RealMs();
    switch (code) {  // function keys jump straight to a screen
    case F1: m_screen = Status; m_editing = false; Render(device); return;
    case F2: OpenMenuItem(device, 0); Render(device); return;
    case F3: OpenMenuItem(device, 1); Render(device); return;
    case F4: OpenMenuItem(device, 3); Render(device); return;
    case F5: OpenMenuItem(device, 4); Render(device); return;
    default: break;
    }
    int inputs[8];
    const int sensorCount = SensorInputs(device, inputs);
    const bool back = code == Escape || (code == Left && !m_editing);
    switch (m_screen) {
    case Status:
        if (code == Ok)
            m_screen = Menu;
        else if (code == Down && sensorCount)
            m_sensor = (m_sensor + 1) % sensorCount;
        else if (code == Up && sensorCount)
            m_sensor = (m_sensor + sensorCount - 1) % sensorCount;
        break;
    case Menu:
        if (code == Down)
            m_menuIndex = (m_menuIndex + 1) % kMenuCount;
        else if (code == Up)
            m_menuIndex = (m_menuIndex + kMenuCount - 1) % kMenuCount;
        else if (code == Ok || code == Right)
            OpenMenuItem(device, m_menuIndex);
        else if (back)
            m_screen = Status;
        break;
    case Sensors:
        if (code == Down && sensorCount)
            m_sensor = (m_sensor + 1) % sensorCount;
        else if (code == Up && sensorCount)
            m_sensor = (m_sensor + sensorCount - 1) % sensorCount;
        else if (back)
            m_screen = Menu;
        break;
    case Sockets: {
        const ModelInfo* model = ModelInfo::Find(device.ProductCode());
        const int pages = ((model ? model->switchPlugFunctions : 24) + 11) / 12;
        if (code == Down || code == Up)
            m_socketPage = (m_socketPage + 1) % pages;
        else if (back)
            m_screen = Menu;
        break;
    }
    case Maintenance: {
        const int64_t mode = device.Value(COperatingModeBehaviour::kModeParameter);
        if (code == Ok && mode == COperatingModeBehaviour::Normal)
            device.SetValue(COperatingModeBehaviour::kModeParameter, COperatingModeBehaviour::Maintenance);
        else if (code == Ok && mode == COperatingModeBehaviour::Maintenance)
            device.SetValue(COperatingModeBehaviour::kModeParameter, COperatingModeBehaviour::Normal);
        else if (back)
            m_screen = Menu;
        break;
    }
    case Clock:
        if (!m_editing) {
            if (code == Ok) {
                const int minute = m_clock.MinuteOfDay();
                m_editing = true;
                m_editField = 0;
                m_editHour = minute / 60;
                m_editMinute = minute % 60;
            } else if (back) {
                m_screen = Menu;
            }
            break;
        }
        if (code == Up || code == Down) {
            const int step = code == Up ? 1 : -1;
            if (m_editField == 0)
                m_editHour = (m_editHour + step + 24) % 24;
            else
                m_editMinute = (m_editMinute + step + 60) % 60;
        } else if (code == Left || code == Right) {
            m_editField = 1 - m_editField;
        } else if (code == Ok) {
            m_clock.SetMinuteOfDay(m_editHour * 60 + m_editMinute);
            m_editing = false;
        } else if (code == Escape) {
            m_editing = false;
        }
        break;
    case Info:
        if (code == Down || code == Up)
            m_infoPage = 1 - m_infoPage;
        else if (back)
            m_screen = Menu;
        break;
    }
    Render(device);
}
