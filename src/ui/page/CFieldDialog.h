// SPDX-License-Identifier: GPL-3.0-or-later
// Base of the edit dialogs that change a copy of one record (a switching point, a pump, an
// SMS entry ...). The dialog is its layout plus its record's fields bound to controls, as a
// page binds its fields: edits clamp on focus loss, typed text counts on OK. OK copies the
// controls into the fields and closes only when Validate() agrees; Cancel leaves the record
// as it was given. The caller reads the result with Record() after exec() == Accepted.
#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "ui/page/CBindingSet.h"

class QBoxLayout;
class QDialogButtonBox;

class CFieldDialog : public QDialog {
    Q_OBJECT
public:
    // templateId becomes the dialog's objectName (the language module's template number).
    explicit CFieldDialog(int templateId, QWidget* parent = nullptr);
    ~CFieldDialog() override;

    // The fields into the controls (done once before the dialog is first shown).
    void ShowFields();
    // The controls into the fields, without closing.
    void TakeFields();

    void accept() override;

protected:
    CBindingSet& Bindings() { return m_bindings; }
    // Called after the fields were taken on OK; false keeps the dialog open (show why).
    virtual bool Validate() { return true; }
    // After a user edit of the control with this identifier (fields already taken).
    virtual void OnEdited(int controlId) {}
    // Enabling and visibility; called after filling and after every edit.
    virtual void UpdateControlStates() {}

    // Bindings with the control identifier as the change key.
    CEditSpin* BindEditSpin(int id, double& field, double factor, double minimum, double maximum);
    QCheckBox* BindCheck(int id, bool& field, const QString& text = {});
    QComboBox* BindCombo(int id, int& field, const QStringList& items);
    QLineEdit* BindLineEdit(int id, QString& field, int maxLength = 0);
    QTimeEdit* BindTime(int id, int& field, bool withSeconds = false);
    QDateEdit* BindDate(int id, int& field);
    QButtonGroup* BindRadio(const std::vector<int>& ids, int& field, const QStringList& texts = {});

    // OK (1) and Cancel (2) in the program's words, added at the bottom of layout.
    QDialogButtonBox* AddOkCancel(QBoxLayout* layout);

    void showEvent(QShowEvent* event) override;

    bool m_filling = false;

private:
    CBindingSet m_bindings;
    bool m_shown = false;
};
