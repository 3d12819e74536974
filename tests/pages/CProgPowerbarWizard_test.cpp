// SPDX-License-Identifier: GPL-3.0-or-later
// The power-strip wizard opened from the socket page, against the device model: the page
// sequence page 1 chooses, the socket numbers and the mask, the one command it sends, and a
// command the controller refuses.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "lang/CLanguage.h"
#include "pages/outputs/CProgPowerbarWizard.h"
#include "pages/outputs/CPropertyPageSwitchplugFunctions300.h"
#include "support/CSheetRig.h"
#include "support/ControlInput.h"

namespace {
using Page = CPropertyPageSwitchplugFunctions300;
using Writes = QVector<QPair<int, int64_t>>;
using Step = std::function<void(CProgPowerbarWizard*)>;

template <class T>
T* Find(QObject* parent, const QString& name) {
    return parent->findChild<T*>(name);
}

struct Rig {
    explicit Rig(int option = 1) {
        rig.model.Controller().SetValue(Page::kOption, option);
        if (rig.Connect()) page = rig.Activate<Page>();
        rig.model.ClearLog();
    }
    QPushButton* WizardButton() const { return Find<QPushButton>(page, QStringLiteral("1501")); }
    // Opens the wizard with its button and runs step in it; the number of wizards seen.
    int Run(const Step& step) {
        int seen = 0;
        WhenModalOpens<CProgPowerbarWizard>(step, &seen);
        QTest::mouseClick(WizardButton(), Qt::LeftButton);
        return seen;
    }
    CSheetRig rig;
    Page* page = nullptr;
};

QString Current(CProgPowerbarWizard* w) { return w->currentPage()->objectName(); }
void Choose(CProgPowerbarWizard* w, int kind) { Find<QButtonGroup>(w, QStringLiteral("1502"))->button(kind)->click(); }
void Next(CProgPowerbarWizard* w) { w->button(QWizard::NextButton)->click(); }
void Back(CProgPowerbarWizard* w) { w->button(QWizard::BackButton)->click(); }
QAbstractButton* Program(CProgPowerbarWizard* w) { return Find<QPushButton>(w, QStringLiteral("1512")); }
}  // namespace

class CProgPowerbarWizardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void programsOnceForEachKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typed");        // into the first-socket edit
        QTest::addColumn<QList<int>>("boxes");     // ticked on the mask page
        QTest::addColumn<QString>("page");         // the page after page 1
        QTest::addColumn<QStringList>("followers");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("value");
        QTest::newRow("six sockets, 25 typed") << 0 << "25" << QList<int>{} << "23164"
                                               << QStringList{"20", "21", "22", "23", "24"} << 1054 << 19;
        QTest::newRow("six sockets, 0 typed") << 0 << "0" << QList<int>{} << "23164"
                                              << QStringList{"2", "3", "4", "5", "6"} << 1054 << 1;
        QTest::newRow("four sockets") << 1 << "7" << QList<int>{} << "23165" << QStringList{"8", "9", "10"}
                                      << 1054 << 7;
        QTest::newRow("boxes 1, 3, 6") << 2 << "" << QList<int>{1, 3, 6} << "23167" << QStringList{} << 1055 << 37;
    }
    void programsOnceForEachKind() {
        QFETCH(int, kind);
        QFETCH(QString, typed);
        QFETCH(QList<int>, boxes);
        QFETCH(QString, page);
        QFETCH(QStringList, followers);
        QFETCH(int, number);
        QFETCH(int, value);
        Rig r;
        QVERIFY(r.page);
        QVERIFY(r.WizardButton()->isEnabled());
        const int seen = r.Run([&](CProgPowerbarWizard* w) {
            QCOMPARE(w->windowTitle(), Tr(294));
            QCOMPARE(Current(w), QStringLiteral("237"));
            QVERIFY(!w->button(QWizard::BackButton)->isEnabled());
            Choose(w, kind);
            Next(w);
            QCOMPARE(Current(w), page);
            if (!typed.isEmpty()) TypeAndLeave(w->currentPage(), 1509, typed);
            for (int k = 0; k < followers.size(); ++k)
                QCOMPARE(Find<QLineEdit>(w->currentPage(), QString::number(1504 + k))->text(), followers[k]);
            for (int box : boxes) Find<QCheckBox>(w, QString::number(1512 + box))->click();
            Next(w);
            QCOMPARE(Current(w), QStringLiteral("23166"));
            QVERIFY(!w->button(QWizard::NextButton)->isEnabled());
            QVERIFY(w->button(QWizard::CancelButton)->isVisible());
            QVERIFY(!w->button(QWizard::FinishButton)->isVisible());
            Program(w)->click();
            Program(w)->click();  // done already: nothing more goes out
            QVERIFY(!Program(w)->isEnabled());
            QVERIFY(w->button(QWizard::FinishButton)->isVisible());
            QCOMPARE(w->button(QWizard::FinishButton)->text(), Tr(295));
            QVERIFY(!w->button(QWizard::CancelButton)->isVisible());
            QVERIFY(!w->button(QWizard::BackButton)->isVisible());
            w->button(QWizard::FinishButton)->click();
        });
        QCOMPARE(seen, 1);
        // The wizard reads nothing, and the refresh waits while it is open.
        QCOMPARE(r.rig.model.Writes(), (Writes{{number, value}}));
        QVERIFY(r.rig.ReadNumbers().isEmpty());
    }

    void pageOneChoosesTheSequence() {
        Rig r;
        QVERIFY(r.page);
        r.Run([](CProgPowerbarWizard* w) {
            Next(w);
            QCOMPARE(Current(w), QStringLiteral("23164"));
            Back(w);
            Choose(w, 1);
            QCOMPARE(w->Sequence(), (QList<int>{1, 3, 4}));
            Next(w);
            QCOMPARE(Current(w), QStringLiteral("23165"));
            Next(w);
            Back(w);
            Back(w);
            Choose(w, 2);
            Next(w);
            QCOMPARE(Current(w), QStringLiteral("23167"));
            w->button(QWizard::CancelButton)->click();
        });
        QVERIFY(r.rig.model.Writes().isEmpty());
    }

    void refusedCommandIsReportedAndMayBeRetried() {
        Rig r;
        QVERIFY(r.page);
        CDeviceModel::Faults f;
        f.refuse = {1054};
        r.rig.model.SetFaults(f);
        r.Run([&](CProgPowerbarWizard* w) {
            Next(w);
            Next(w);
            Program(w)->click();
            QCOMPARE(r.rig.ui.MessageIds(), QList<int>{354});
            QVERIFY(Program(w)->isEnabled());
            QVERIFY(!w->IsProgrammed());
            QVERIFY(w->button(QWizard::CancelButton)->isVisible());
            r.rig.model.SetFaults({});
            Program(w)->click();
            QVERIFY(w->IsProgrammed());
        });
        QCOMPARE(r.rig.model.Controller().Value(1054), 1);
    }

    void buttonNeedsTheOptionAsSent() {
        Rig off(0);
        QVERIFY(off.page);
        QVERIFY(!off.WizardButton()->isEnabled());
        // Ticked but not sent: the controller does not know of the strip yet.
        off.rig.ui.QueueAnswer(CUserInteraction::IdYes);
        Find<QCheckBox>(off.page, QStringLiteral("1436"))->click();
        QVERIFY(!off.WizardButton()->isEnabled());
        off.rig.Send();
        QVERIFY(off.WizardButton()->isEnabled());
    }
};

QTEST_MAIN(CProgPowerbarWizardTest)
#include "CProgPowerbarWizard_test.moc"
