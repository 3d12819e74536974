// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/level/CEditLevelSensor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"

CEditLevelSensor::CEditLevelSensor(const LevelChannelRecord& channel, bool firstChannel,
                                   int number, QWidget* parent)
    : CFieldDialog(23185, parent), m_rec(channel) {
    setWindowTitle(Tr(181) + QLatin1Char(' ') + QString::number(number));
    m_modes = {0, 1, 4, 7};
    if (firstChannel) m_modes.insert(m_modes.end(), {2, 3, 5, 6});
    const auto it = std::find(m_modes.begin(), m_modes.end(), m_rec.Mode());
    m_modeIndex = it == m_modes.end() ? -1 : int(it - m_modes.begin());
    m_count = m_rec.Count();
    m_option = m_rec.Option();

    QStringList items;
    for (int m : m_modes) items << LevelChannelRecord::ModeName(m);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(Tr(467) + QLatin1Char(':'), BindCombo(IdMode, m_modeIndex, items));
    form->addRow(Tr(46901), BindEditSpin(IdDelay, m_rec.delay, 1, 0, 240));
    form->addRow(Tr(46902), BindEditSpin(IdCount, m_count, 1, 1, 8));
    QTimeEdit* time = BindTime(IdTime, m_rec.time, true);
    time->setDisplayFormat(QStringLiteral("H:mm:ss"));
    time->setTimeRange(QTime(0, 0, 0), QTime(8, 0, 0));
    form->addRow(Tr(46903), time);
    form->addRow(QString(), BindCheck(IdOption, m_option, Tr(46904)));
    QLineEdit* name = BindLineEdit(IdName, m_rec.name);
    name->setMinimumWidth(220);
    form->addRow(Tr(291) + QLatin1Char(':'), name);
    layout->addLayout(form);
    AddOkCancel(layout);
}

bool CEditLevelSensor::Validate() {
    using namespace FieldCodecs;
    uint32_t flags = SetBits(m_rec.flags, 4, 3, uint32_t(std::clamp(int(m_count), 1, 8) - 1));
    flags = SetBits(flags, 3, 1, m_option ? 0 : 1);
    // A mode the list does not offer (an untrusted value) stays as it came.
    if (m_modeIndex >= 0 && m_modeIndex < int(m_modes.size()))
        flags = SetBits(flags, 0, 3, uint32_t(m_modes[size_t(m_modeIndex)]));
    m_rec.flags = flags;
    return true;
}
