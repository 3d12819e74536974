// SPDX-License-Identifier: GPL-3.0-or-later
// The e-mail page (template 23170), present connected and disconnected: the alert rules
// and the mail-server settings. Nothing here is a controller parameter: every edit goes
// straight into the application's e-mail settings, which are written to
// "EmailSettings.dat" at once, so the page never marks itself modified.
#pragma once

#include <functional>

#include "ui/page/CMyPropertyPage.h"

class CEmail;
class CEmailSettings;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

class CPropertyPageEmail : public CMyPropertyPage {
    Q_OBJECT
public:
    enum {
        IdEdit = 1437,
        IdAdd = 1443,
        IdDelete = 1444,
        IdList = 1567,
        IdTest = 1568,
        IdFurtherText = 1569,
        IdSender = 1570,
        IdUser = 1571,
        IdPassword = 1572,
        IdServer = 1573,
        IdAuthentication = 1574,
        IdDuplicate = 1580,
        IdPortDefault = 1581,
        IdPort = 1582,
    };

    CPropertyPageEmail();
    ~CPropertyPageEmail() override;

    // The buttons' operations.
    void AddRule();
    void EditRule();
    void DuplicateRule();
    void DeleteRule();
    void TestRule();
    void SetDefaultPort();

    // The selected row of the rule list, -1 for none.
    int SelectedRow() const;
    void SelectRow(int row);
    // The line under the page: the last send's outcome, or why the settings were not saved.
    QString StatusText() const;

    void UpdateControlStates() override;

protected:
    void CreateControls() override;
    void DoDataExchange(bool saveAndValidate) override;

private:
    static CEmailSettings& Settings();
    // Runs the rule dialog on rule; true on OK (rule then holds the result).
    bool RunEditor(CEmail& rule);
    void FillList(int select);
    // Copies the edit fields into the settings (refusing control characters) and saves
    // when anything changed. Quiet: an unsafe field is left out without a message.
    void CommitFields(bool quiet = false);
    void CommitField(QLineEdit* edit, QString& field, bool quiet = false);
    void Save();
    void ShowSendStatus();

    QTreeWidget* m_list = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_duplicate = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_test = nullptr;
    QLineEdit* m_server = nullptr;
    QSpinBox* m_port = nullptr;
    QLineEdit* m_sender = nullptr;
    QLineEdit* m_furtherText = nullptr;
    QCheckBox* m_authentication = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLabel* m_status = nullptr;
    QString m_saveError;
    bool m_committing = false;
};
