// SPDX-License-Identifier: GPL-3.0-or-later
// Power-strip wizard, strip with six sockets: the number of its first socket (1..19); the
// numbers its other sockets get follow it and are shown beside it.
#pragma once

#include <QWizardPage>
#include <vector>

class CEditSpin;
class QLineEdit;

class CProgPowerbarWiz2 : public QWizardPage {
    Q_OBJECT
public:
    enum Id { IdFirst = 1509, IdFirstFollower = 1504 };
    static constexpr int kLowest = 1;
    static constexpr int kHighest = 19;

    explicit CProgPowerbarWiz2(QWidget* parent = nullptr);

    int First() const;

protected:
    // A strip with followers + 1 sockets, on the template of that strip.
    CProgPowerbarWiz2(int templateId, int followers, int introText, QWidget* parent);

private:
    void ShowFollowers();

    CEditSpin* m_first = nullptr;
    std::vector<QLineEdit*> m_followers;
};
