// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisctl diff and load-settings --only-changed as processes over loopback TCP: the exit
// statuses (0 equal, 1 different, 2 trouble), the JSON document, and that an only-changed
// load writes the differences and nothing else.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "device/CDeviceModel.h"
#include "support/CDeviceModelServer.h"
#include "support/CtlProcess.h"

namespace {
const QByteArray kFile =
    "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 4\r\n6, \"CODE_SERIALNUMBER\", "
    "777\r\n"
    "172, \"GEN_OPTION_A\", 1\r\n182, \"ILLU_P1_START - 0\", 480\r\n500, \"TIMER_FLAGS - 0\", 1\r\n"
    "1228, \"SENSOR_USERNAME - 0\", \"Tank\"\r\n";

struct Fixture {
    QString Write(const QString& name, const QByteArray& content) const {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly)) f.write(content);
        return f.fileName();
    }
    CtlResult Ctl(const QStringList& args) const { return RunCtl(args, dir.path()); }
    QTemporaryDir dir;
};

CDeviceModel::Options Opts() {
    CDeviceModel::Options o;
    o.productCode = 4;
    o.serial = 777;
    return o;
}

// The controller holding exactly the file's values.
void Hold(CBusDevice& device) {
    device.SetValue(172, 1);
    device.SetValue(182, 480);
    device.SetValue(500, 1);
    device.SetText(1228, "Tank");
}
}  // namespace

class KorvalisctlDiffTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoFiles() {
        Fixture f;
        const QString a = f.Write(QStringLiteral("a.par"), kFile);
        QByteArray changed = kFile;
        changed.replace("182, \"ILLU_P1_START - 0\", 480", "182, \"ILLU_P1_START - 0\", 510");
        changed.replace("777", "778");
        const QString b = f.Write(QStringLiteral("b.par"), changed);
        const QString bad = f.Write(QStringLiteral("bad.par"), "no parameter line\r\n");

        struct Case {
            QStringList args;
            int exit;
            QString inOutput;
        };
        const QList<Case> cases = {
            {{"diff", a, a}, 0, "No differences."},
            {{"diff", a, b}, 1, "182 ILLU_P1_START - 0: 480 (08:00) -> 510 (08:30) [differs]"},
            {{"diff", a, f.dir.filePath("missing.par")}, 2, ""},
            {{"diff", a, bad}, 2, ""},
            {{"diff", a, b, a}, 2, ""},
            {{"diff"}, 2, ""},
        };
        for (const Case& c : cases) {
            const CtlResult r = f.Ctl(c.args);
            QVERIFY2(r.exitCode == c.exit, qPrintable(c.args.join(' ') + ": " + r.err));
            QVERIFY2(r.out.contains(c.inOutput), qPrintable(r.out));
        }

        const CtlResult r = f.Ctl({"--json", "diff", a, b});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(doc.value("equal").toBool(true), false);
        QCOMPARE(doc.value("reference").toObject().value("path").toString(), a);
        QCOMPARE(doc.value("file").toObject().value("version").toInt(), 408);
        QCOMPARE(doc.value("counts").toObject().value("differs").toInt(), 1);
        QCOMPARE(doc.value("counts").toObject().value("equal").toInt(), 3);
        const QJsonArray rows = doc.value("rows").toArray();
        // Identification is listed where it differs, and never counts as a value to write.
        QCOMPARE(rows.size(), 2);
        const QJsonObject row = rows.last().toObject();
        QCOMPARE(row.value("number").toInt(), 182);
        QCOMPARE(row.value("state").toString(), QStringLiteral("differs"));
        QCOMPARE(row.value("group").toString(), QStringLiteral("Illumination"));
        QCOMPARE(row.value("reference").toObject().value("raw").toString(), QStringLiteral("480"));
        QCOMPARE(row.value("file").toObject().value("display").toString(), QStringLiteral("08:30"));
        QCOMPARE(rows.first().toObject().value("number").toInt(), 6);
        QCOMPARE(rows.first().toObject().value("state").toString(),
                 QStringLiteral("identification"));
    }

    void againstTheControllerAndOnlyChanged() {
        Fixture f;
        CDeviceModel model(Opts());
        Hold(model.Controller());
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        const QString file = f.Write(QStringLiteral("backup.par"), kFile);

        CtlResult r = f.Ctl({"--tcp", where, "diff", file});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY(model.Writes().isEmpty());

        model.Controller().SetValue(500, 0);
        model.Controller().SetText(1228, "Other");
        r = f.Ctl({"--tcp", where, "--json", "diff", file});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(doc.value("counts").toObject().value("differs").toInt(), 2);
        QCOMPARE(doc.value("reference").toObject().value("serial").toInt(), 777);

        model.ClearLog();
        r = f.Ctl({"--tcp", where, "load-settings", "--only-changed", file});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(
                     "wrote 2 parameters; left out 0 (firmware-version rules); found 2 equal"),
                 qPrintable(r.out));
        QList<int> written;
        for (const CDeviceModel::Access& a : model.Log())
            if (a.kind != CDeviceModel::Access::Read) written << a.number;
        QCOMPARE(written, (QList<int>{500, 1228}));
        QCOMPARE(model.Controller().Text(1228), QByteArray("Tank"));

        // Nothing left to write.
        model.ClearLog();
        r = f.Ctl({"--tcp", where, "load-settings", "--only-changed", file});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(model.Writes().isEmpty());
        QCOMPARE(f.Ctl({"--tcp", where, "save-settings", "--only-changed", file}).exitCode, 2);

        // No controller to compare with.
        server.Stop();
        QCOMPARE(f.Ctl({"--tcp", where, "--timeout", "300", "diff", file}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(KorvalisctlDiffTest)
#include "korvalisctlDiff_test.moc"
