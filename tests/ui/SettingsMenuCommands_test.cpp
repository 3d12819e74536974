// SPDX-License-Identifier: GPL-3.0-or-later
// The settings-file commands in the main window's menu: when they are offered, a save and a
// load through the menu with the file dialog answered, the comparison a load shows (what is
// checked is what is written) and the read-only comparison of two files.
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest/QtTest>

#include "link/CConnectionArray.h"
#include "params/CParameterArray.h"
#include "support/CSheetRig.h"
#include "ui/settings/CCompareDialog.h"

namespace {
const QList<int> kController{57603, 40016, 40002};
const QList<int> kSms{40032, 40033};

CDeviceModel::Options Opts(bool sms)
{
    CDeviceModel::Options o;
    o.productCode = 4;
    o.sms = sms;
    return o;
}

void Press(CCompareDialog& dialog, const char* button)
{
    auto* b = dialog.findChild<QPushButton*>(QLatin1String(button));
    QVERIFY(b && b->isEnabled());
    b->click();
}

// Row items of the view by parameter number, and the numbers the filter leaves visible.
QTreeWidgetItem* RowOf(CCompareDialog& dialog, int number, QList<int>* visible = nullptr)
{
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("rows"));
    QTreeWidgetItem* found = nullptr;
    for (int g = 0; g < tree->topLevelItemCount(); ++g)
        for (int c = 0; c < tree->topLevelItem(g)->childCount(); ++c) {
            QTreeWidgetItem* item = tree->topLevelItem(g)->child(c);
            if (item->text(0).toInt() == number) found = item;
            if (visible && !item->isHidden()) visible->append(item->text(0).toInt());
        }
    return found;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly)) f.write(content);
    return f.fileName();
}
}  // namespace

class SettingsMenuCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Loads go through the comparison; unless a test says otherwise, its Write button.
    void init()
    {
        CCompareDialog::SetRunner([](CCompareDialog& d) {
            if (auto* b = d.findChild<QPushButton*>(QStringLiteral("writeChecked")); b && b->isEnabled())
                b->click();
            else
                d.reject();
        });
    }
    void cleanup() { CCompareDialog::SetRunner({}); }

    void loadWritesWhatIsCheckedInTheComparison()
    {
        QTemporaryDir dir;
        CSheetRig rig(Opts(false));
        QVERIFY(rig.Connect());
        const QString file = WriteFile(
            dir, QStringLiteral("tank.par"),
            "0, \"CODE_SOFTWAREVERSION\", " + QByteArray::number(rig.app.FirmwareVersion()) +
                "\r\n2, \"CODE_PRODUCTID\", 4\r\n182, \"ILLU_P1_START - 0\", 500\r\n"
                "500, \"TIMER_FLAGS - 0\", 3\r\n501, \"TIMER_POINTS - 0\", 4\r\n502, \"TIMER_CYCLE_REF - 0\", 9\r\n");
        rig.model.Controller().SetValue(182, 480);
        rig.model.Controller().SetValue(500, 0);
        rig.model.Controller().SetValue(501, 4);
        rig.model.Controller().SetValue(502, 0);
        rig.model.ClearLog();

        int shownDifferences = 0;
        QList<int> filtered;
        CCompareDialog::SetRunner([&](CCompareDialog& d) {
            QList<int> all;
            RowOf(d, 0, &all);
            for (int n : all) shownDifferences += (RowOf(d, n)->flags() & Qt::ItemIsUserCheckable) ? 1 : 0;
            QVERIFY(all.contains(0));  // identification is shown, but cannot be checked
            QVERIFY(RowOf(d, 501) == nullptr);  // equal rows are not listed
            d.SetFilter(QStringLiteral("timer"));
            RowOf(d, 0, &filtered);
            d.SetFilter({});
            RowOf(d, 502)->setCheckState(0, Qt::Unchecked);
            Press(d, "writeChecked");
        });
        rig.ui.QueueFileName(file);
        QVERIFY(rig.sheet->RunCommand(40002));
        QCOMPARE(shownDifferences, 3);
        QCOMPARE(filtered, (QList<int>{500, 502}));
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{182, 500}, {500, 3}}));
        QCOMPARE(rig.ui.MessageIds().last(), 174);
        QVERIFY(!rig.app.IsTransferInProgress());

        // Write everything: the whole file, equal values too.
        rig.model.ClearLog();
        CCompareDialog::SetRunner([](CCompareDialog& d) { Press(d, "writeAll"); });
        rig.ui.QueueFileName(file);
        QVERIFY(rig.sheet->RunCommand(40002));
        QCOMPARE(rig.model.Writes(), (QVector<QPair<int, int64_t>>{{182, 500}, {500, 3}, {501, 4}, {502, 9}}));

        // Cancel in the view writes nothing.
        rig.model.ClearLog();
        CCompareDialog::SetRunner([](CCompareDialog& d) { d.reject(); });
        rig.ui.QueueFileName(file);
        QVERIFY(rig.sheet->RunCommand(40002));
        QVERIFY(rig.model.Writes().isEmpty());
    }

    void twoFilesAreComparedReadOnlyAndExported()
    {
        QTemporaryDir dir;
        CSheetRig rig(Opts(false));
        const QString a = WriteFile(dir, QStringLiteral("a.par"),
                                    "0, \"CODE_SOFTWAREVERSION\", 408\r\n182, \"ILLU_P1_START - 0\", 480\r\n");
        const QString b = WriteFile(dir, QStringLiteral("b.par"),
                                    "0, \"CODE_SOFTWAREVERSION\", 408\r\n182, \"ILLU_P1_START - 0\", 510\r\n");
        // The report replaces the file a link leads to, and the link stays.
        const QString csv = dir.filePath(QStringLiteral("report.csv"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("real.csv")), csv));
        bool writable = true;
        CCompareDialog::SetRunner([&](CCompareDialog& d) {
            writable = d.findChild<QPushButton*>(QStringLiteral("writeChecked")) != nullptr;
            QVERIFY(!(RowOf(d, 182)->flags() & Qt::ItemIsUserCheckable));
            QVERIFY(d.ExportTo(csv));
            d.reject();
        });
        rig.ui.QueueFileName(a);
        rig.ui.QueueFileName(b);
        QVERIFY(rig.sheet->IsCommandEnabled(40034));  // no controller needed
        QVERIFY(rig.sheet->RunCommand(40034));
        QVERIFY(!writable);
        QVERIFY(QFileInfo(csv).isSymLink());
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("182,\"ILLU_P1_START - 0\",\"differs\",\"480 (08:00)\",\"510 (08:30)\""));
        QVERIFY(rig.model.Log().isEmpty());
    }

    void offeredWhileConnectedAndTheSmsModuleWasFound()
    {
        {
            CSheetRig rig(Opts(false));
            for (int id : kController + kSms)
                QVERIFY2(!rig.sheet->IsCommandEnabled(id), qPrintable(QString::number(id)));
            QVERIFY(rig.Connect());
            for (int id : kController)
                QVERIFY(rig.sheet->IsCommandEnabled(id));
            for (int id : kSms)
                QVERIFY(!rig.sheet->IsCommandEnabled(id));
        }
        // One application object and main window at a time.
        CSheetRig withSms(Opts(true));
        withSms.connection.smsModule = true;
        QVERIFY(withSms.Connect());
        for (int id : kController + kSms) QVERIFY(withSms.sheet->IsCommandEnabled(id));
    }

    void saveAndLoadThroughTheMenu()
    {
        QTemporaryDir dir;
        CSheetRig rig(Opts(false));
        QVERIFY(rig.Connect());
        rig.model.Controller().SetValue(500, 3);
        rig.ui.QueueFileName(dir.filePath(QStringLiteral("backup")));  // the extension is added
        QVERIFY(rig.sheet->RunCommand(57603));
        QCOMPARE(rig.ui.MessageIds(), QList<int>{174});
        CParameterArray saved;
        QCOMPARE(saved.LoadFromPath(dir.filePath(QStringLiteral("backup.par"))), CParameterArray::FileResult::Ok);
        CParameter timer;
        QVERIFY(saved.FindByNumber(500, timer));
        QCOMPARE(timer.Value, 3.0);

        rig.model.Controller().SetValue(500, 9);
        rig.model.ClearLog();
        rig.ui.QueueFileName(dir.filePath(QStringLiteral("backup.par")));
        QVERIFY(rig.sheet->RunCommand(40002));
        QCOMPARE(rig.model.Controller().Value(500), 3);
        QCOMPARE(rig.ui.MessageIds().last(), 174);
        QVERIFY(!rig.app.IsTransferInProgress());
    }

    void restoreKeepsTheNewBusAddressForTheNextConnect() {
        QTemporaryDir dir;
        CSheetRig rig(Opts(false));
        QVERIFY(rig.Connect());
        const auto restore = [&](int address) {
            const QString path = dir.filePath(QStringLiteral("a%1.par").arg(address));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("0, \"CODE_SOFTWAREVERSION\", " + QByteArray::number(rig.app.FirmwareVersion()) +
                    "\r\n2, \"CODE_PRODUCTID\", 4\r\n5, \"CODE_BUSADDRESS\", " +
                    QByteArray::number(address) + "\r\n500, \"T\", 2\r\n");
            f.close();
            rig.ui.QueueFileName(path);
            QVERIFY(rig.sheet->RunCommand(40002));
            QCOMPARE(rig.app.currentConnection.deviceAddress, uint32_t(address));
        };
        // The connection the window connects with follows: a reconnect finds the controller.
        restore(12);
        QVERIFY(rig.sheet->DisconnectController(false));
        rig.sheet->ConnectController(false);
        QVERIFY(rig.app.IsConnected());
        QCOMPARE(rig.app.currentConnection.deviceAddress, 12u);

        // Without one of its own, the stored selection does.
        rig.sheet->ClearConnectionOverride();
        QVERIFY(rig.app.Connections().Add(rig.app.currentConnection));
        QVERIFY(rig.app.Connections().Select(rig.app.Connections().GetCount() - 1));
        restore(7);
        QCOMPARE(rig.app.Connections().GetSelected().deviceAddress, 7u);
    }
};

QTEST_MAIN(SettingsMenuCommandsTest)
#include "SettingsMenuCommands_test.moc"
