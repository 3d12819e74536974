// SPDX-License-Identifier: GPL-3.0-or-later
// First page of the power-strip wizard: which kind of strip is programmed. The choice
// decides the pages that follow (see CProgPowerbarWizard::nextId).
#pragma once

#include <QWizardPage>

class QButtonGroup;

class CProgPowerbarWiz1 : public QWizardPage {
    Q_OBJECT
public:
    enum Id { IdKind = 1502 };
    enum Kind { SixSockets = 0, FourSockets = 1, SelectedSockets = 2 };

    explicit CProgPowerbarWiz1(QWidget* parent = nullptr);

    int Choice() const;

Q_SIGNALS:
    void choiceChanged(int kind);

private:
    QButtonGroup* m_kind = nullptr;
};
