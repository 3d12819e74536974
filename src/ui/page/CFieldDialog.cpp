// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CFieldDialog.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QPushButton>

#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CUpdate.h"

CFieldDialog::CFieldDialog(int templateId, QWidget* parent)
    : QDialog(parent), m_bindings(this, m_filling) {
    setObjectName(QString::number(templateId));
    m_bindings.edited = [this](int id) {
        OnEdited(id);
        UpdateControlStates();
    };
}

CFieldDialog::~CFieldDialog() {
    // The bindings go before the base deletes the controls, which may still signal.
    m_filling = true;
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void CFieldDialog::ShowFields() {
    {
        CUpdate update(m_filling);
        m_bindings.ToControls();
    }
    UpdateControlStates();
}

void CFieldDialog::TakeFields() {
    m_bindings.ToFields();
}

void CFieldDialog::showEvent(QShowEvent* event) {
    if (!m_shown) {
        m_shown = true;
        ShowFields();
    }
    QDialog::showEvent(event);
}

void CFieldDialog::accept() {
    TakeFields();
    if (!Validate()) return;
    QDialog::accept();
}

CEditSpin* CFieldDialog::BindEditSpin(int id, double& field, double factor, double minimum,
                                      double maximum) {
    return m_bindings.EditSpin(id, field, id, factor, minimum, maximum);
}

QCheckBox* CFieldDialog::BindCheck(int id, bool& field, const QString& text) {
    return m_bindings.Check(id, field, id, text);
}

QComboBox* CFieldDialog::BindCombo(int id, int& field, const QStringList& items) {
    return m_bindings.Combo(id, field, id, items);
}

QLineEdit* CFieldDialog::BindLineEdit(int id, QString& field, int maxLength) {
    return m_bindings.LineEdit(id, field, id, maxLength);
}

QTimeEdit* CFieldDialog::BindTime(int id, int& field, bool withSeconds) {
    return m_bindings.Time(id, field, id, withSeconds);
}

QDateEdit* CFieldDialog::BindDate(int id, int& field) {
    return m_bindings.Date(id, field, id);
}

QButtonGroup* CFieldDialog::BindRadio(const std::vector<int>& ids, int& field,
                                      const QStringList& texts) {
    return m_bindings.Radio(ids, field, ids.empty() ? 0 : ids[0], texts);
}

QDialogButtonBox* CFieldDialog::AddOkCancel(QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Tr(31121), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("1"));
    buttons->addButton(Tr(31122), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CFieldDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    return buttons;
}
