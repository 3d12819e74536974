// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/measurement/CSaveMeasOptionsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "lang/CLanguage.h"

namespace {
// A titled group of two radio buttons with the ids 0 and 1.
QButtonGroup* RadioPair(QWidget* parent, QVBoxLayout* layout, int groupId, int titleId, int firstId,
                        int secondId) {
    auto* box = new QGroupBox(Tr(titleId), parent);
    box->setObjectName(QString::number(groupId));
    auto* row = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    const int texts[2] = {firstId, secondId};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(Tr(texts[i]), box);
        b->setObjectName(QStringLiteral("%1_%2").arg(groupId).arg(i));
        group->addButton(b, i);
        row->addWidget(b);
    }
    row->addStretch(1);
    layout->addWidget(box);
    return group;
}
}  // namespace

bool CSaveMeasOptionsDlg::Ask(QWidget* parent, CSaveMeasOptions& options) {
    CSaveMeasOptionsDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    options = dialog.Options();
    return true;
}

CSaveMeasOptionsDlg::CSaveMeasOptionsDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("208"));
    setWindowTitle(Tr(20801));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    m_decimal = RadioPair(this, layout, IdDecimal, 20802, 20803, 20804);
    m_field = RadioPair(this, layout, IdField, 20805, 20806, 20807);
    m_units = new QCheckBox(Tr(20808), this);
    m_units->setObjectName(QString::number(IdUnits));
    layout->addWidget(m_units);
    layout->addStretch(1);
    layout->addSpacing(10);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(Tr(31121), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("1"));
    m_ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(Tr(31122), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    SetOptions(CSaveMeasOptions{});
    setMinimumWidth(340);
}

CSaveMeasOptions CSaveMeasOptionsDlg::Options() const {
    CSaveMeasOptions o;
    o.decimalSeparator = m_decimal->checkedId() == 0 ? 0 : 1;
    o.fieldSeparator = m_field->checkedId() == 0 ? 0 : 1;
    o.unitsInHeader = m_units->isChecked();
    return o;
}

void CSaveMeasOptionsDlg::SetOptions(const CSaveMeasOptions& options) {
    m_decimal->button(options.decimalSeparator == 0 ? 0 : 1)->setChecked(true);
    m_field->button(options.fieldSeparator == 0 ? 0 : 1)->setChecked(true);
    m_units->setChecked(options.unitsInHeader);
}
