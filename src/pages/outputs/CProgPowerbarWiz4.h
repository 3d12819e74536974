// SPDX-License-Identifier: GPL-3.0-or-later
// Last page of the power-strip wizard: the program button, which sends the command once.
#pragma once

#include <QWizardPage>

class QLabel;
class QPushButton;

class CProgPowerbarWiz4 : public QWizardPage {
    Q_OBJECT
public:
    enum Id { IdProgram = 1512 };

    explicit CProgPowerbarWiz4(QWidget* parent = nullptr);

    // After the command went out: the button is done, the page says so.
    void SetProgrammed();
    bool IsProgrammed() const { return m_programmed; }

Q_SIGNALS:
    void programRequested();

private:
    QPushButton* m_program = nullptr;
    QLabel* m_done = nullptr;
    bool m_programmed = false;
};
