// SPDX-License-Identifier: GPL-3.0-or-later
// The change-password command: the dialog's checks (message 109 keeps it open), the write
// of parameter 489, and the old password kept when the controller refuses the new one.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/sheet/CChangePW.h"
#include "support/CSheetRig.h"

namespace {
using Writes = QVector<QPair<int, int64_t>>;

// Runs steps against the dialog once it is open; each step returns false to stop there.
// The dialog is cancelled after the last step unless a step closed it.
struct DialogScript {
    QList<std::function<void(CChangePW*)>> steps;
    bool sawDialog = false;
    bool currentEnabled = false;
    QString currentText;

    void Arm() {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
            auto* dialog = qobject_cast<CChangePW*>(QApplication::activeModalWidget());
            if (!dialog) return;
            timer->stop();
            timer->deleteLater();
            sawDialog = true;
            auto* current = dialog->findChild<QLineEdit*>(QStringLiteral("1000"));
            currentEnabled = current->isEnabled();
            currentText = current->text();
            for (const auto& step : steps) {
                step(dialog);
                if (!dialog->isVisible()) return;
            }
            dialog->reject();
        });
        timer->start();
    }
};

std::function<void(CChangePW*)> Enter(const QString& current, const QString& first,
                                      const QString& second) {
    return [=](CChangePW* d) {
        auto set = [d](const char* id, const QString& text) {
            QLineEdit* e = d->findChild<QLineEdit*>(QLatin1String(id));
            if (e->isEnabled()) e->setText(text);
        };
        set("1000", current);
        set("1001", first);
        set("1002", second);
        d->findChild<QPushButton*>(QStringLiteral("1"))->click();
    };
}

CDeviceModel::Options WithPassword(int32_t password) {
    CDeviceModel::Options o;
    o.password = password;
    return o;
}
}  // namespace

class CChangePWTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noPasswordYetOnlyNewEntriesMustAgree() {
        CSheetRig rig;
        QVERIFY(!rig.sheet->IsCommandEnabled(40006));
        QVERIFY(rig.Connect());
        QVERIFY(rig.sheet->IsCommandEnabled(40006));
        rig.model.ClearLog();
        DialogScript script;
        script.steps << Enter(QStringLiteral("99"), QStringLiteral("1234"), QStringLiteral("1234"));
        script.Arm();
        QVERIFY(rig.sheet->RunCommand(40006));
        QVERIFY(script.sawDialog);
        QVERIFY(!script.currentEnabled);
        QCOMPARE(script.currentText, QStringLiteral("0"));
        QCOMPARE(rig.model.Writes(), (Writes{{489, 1234}}));
        QCOMPARE(rig.app.password, 1234);
        QVERIFY(rig.ui.shown.isEmpty());
        QVERIFY(!rig.app.IsTransferInProgress());
    }

    void wrongEntriesKeepTheDialogOpen() {
        CSheetRig rig(WithPassword(4321));
        rig.ui.QueueLogin(4321);
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        DialogScript script;
        script.steps << Enter(QStringLiteral("1111"), QStringLiteral("7"),
                              QStringLiteral("7"))  // wrong current
                     << Enter(QStringLiteral("4321"), QStringLiteral("7"),
                              QStringLiteral("8"))  // new ones differ
                     << Enter(QStringLiteral("4321"), QStringLiteral("-7"), QStringLiteral("-7"));
        script.Arm();
        rig.sheet->RunCommand(40006);
        QVERIFY(script.currentEnabled);
        QCOMPARE(rig.ui.MessageIds(), (QList<int>{109, 109}));
        QCOMPARE(rig.model.Writes(), (Writes{{489, -7}}));
        QCOMPARE(rig.app.password, -7);
        // 0 removes the password; the next connect asks nothing.
        rig.ui.shown.clear();
        DialogScript remove;
        remove.steps << Enter(QStringLiteral("-7"), QStringLiteral("0"), QStringLiteral("0"));
        remove.Arm();
        rig.sheet->RunCommand(40006);
        QCOMPARE(rig.app.password, 0);
        QCOMPARE(rig.model.Controller().Value(489), 0);
    }

    void cancelChangesNothing() {
        CSheetRig rig;
        QVERIFY(rig.Connect());
        rig.model.ClearLog();
        DialogScript script;  // no steps: cancelled
        script.Arm();
        rig.sheet->RunCommand(40006);
        QVERIFY(script.sawDialog);
        QVERIFY(rig.model.Log().isEmpty());
        QCOMPARE(rig.app.password, 0);
    }

    void refusedWriteKeepsTheOldPassword() {
        CSheetRig rig(WithPassword(55));
        rig.ui.QueueLogin(55);
        QVERIFY(rig.Connect());
        CDeviceModel::Faults f;
        f.refuse = {489};
        rig.model.SetFaults(f);
        DialogScript script;
        script.steps << Enter(QStringLiteral("55"), QStringLiteral("66"), QStringLiteral("66"));
        script.Arm();
        rig.sheet->RunCommand(40006);
        QCOMPARE(rig.ui.MessageIds(), QList<int>{354});
        QCOMPARE(rig.app.password, 55);
        QCOMPARE(rig.model.Controller().Value(489), 55);
        QVERIFY(rig.sheet->LinkError());
    }

    void simulationModeChangesOnlyTheProgram() {
        CSheetRig rig;
        QVERIFY(rig.app.ToggleSimulation());
        QVERIFY(rig.Connect());
        QVERIFY(rig.sheet->IsCommandEnabled(40006));
        rig.model.ClearLog();
        DialogScript script;
        script.steps << Enter(QString(), QStringLiteral("12"), QStringLiteral("12"));
        script.Arm();
        rig.sheet->RunCommand(40006);
        QVERIFY(rig.model.Log().isEmpty());
        QCOMPARE(rig.app.password, 12);
    }
};

QTEST_MAIN(CChangePWTest)
#include "CChangePW_test.moc"
