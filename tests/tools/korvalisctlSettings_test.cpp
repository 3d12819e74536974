// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisctl's settings-file commands as a process over loopback TCP: files, --on-error,
// --yes, the SMS module, Ctrl-C, and the exit statuses 0 (done), 1 (failed), 3 (cancelled).
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <csignal>

#include "device/CDeviceModel.h"
#include "params/CParameterArray.h"
#include "support/CDeviceModelServer.h"
#include "support/TestPaths.h"

namespace {
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Short parameter lists in a folder of their own keep the runs quick (every frame waits 10 ms).
const QByteArray kControllerList =
    "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 4\r\n"
    "6, \"CODE_SERIALNUMBER\", 0\r\n[STARTBLOCK]\r\nBLOCKCOUNT = 6\r\n"
    "BLOCKSIZE = 1\r\n500, \"TIMER\", 0\r\n[ENDBLOCK]\r\n1228, \"NAME\", \"\"\r\n";
const QByteArray kSmsList =
    "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 10\r\n"
    "6, \"CODE_SERIALNUMBER\", 0\r\n90, \"SMS_PHONE\", \"\"\r\n89, \"SMS_NUMBER\", 100\r\n";

class Fixture {
public:
    Fixture()
    {
        Write(QStringLiteral("ParaList_V408_KorvalisD.def"), kControllerList);
        Write(QStringLiteral("ParaList_V408_SMS-Module.def"), kSmsList);
        Write(QStringLiteral("system.ini"), "[V408]\nBinDir=" + m_dir.path().toUtf8() + "\n");
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    void Write(const QString& name, const QByteArray& content) const
    {
        QFile f(Path(name));
        if (f.open(QIODevice::WriteOnly)) f.write(content);
    }
    QByteArray Read(const QString& name) const
    {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    Run Ctl(const QStringList& args, std::atomic<qint64>* pid = nullptr) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVALIS_HOME"), m_dir.path());
        env.insert(QStringLiteral("KORVALIS_SYSTEM_SETTINGS"), Path(QStringLiteral("system.ini")));
        p.setProcessEnvironment(env);
        p.start(TestPaths::Program("korvalisctl"), args);
        Run r;
        if (!p.waitForStarted(30000)) return r;
        if (pid) *pid = p.processId();
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private:
    QTemporaryDir m_dir;
};

CDeviceModel::Options Opts(bool sms = false)
{
    CDeviceModel::Options o;
    o.productCode = 4;
    o.serial = 777;
    o.sms = sms;
    return o;
}

void SetTimers(CBusDevice& device, int base)
{
    for (int n = 500; n < 506; ++n) device.SetValue(n, base + n);
}
}  // namespace

class KorvalisctlSettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveAndLoadSettings()
    {
        Fixture f;
        CDeviceModel model(Opts());
        SetTimers(model.Controller(), 1000);
        model.Controller().SetText(1228, "Tank \"A\"");
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        const QString file = f.Path(QStringLiteral("backup.par"));

        const Run save = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("save-settings"), file});
        QVERIFY2(save.exitCode == 0, qPrintable(save.err));
        QCOMPARE(save.out, file + QLatin1Char('\n'));
        CParameterArray saved;
        QCOMPARE(saved.LoadFromPath(file), CParameterArray::FileResult::Ok);
        QCOMPARE(saved.Count(), 10);
        QCOMPARE(saved[2].Value, 777.0);
        QCOMPARE(saved[4].Value, 1501.0);
        QCOMPARE(saved[9].TextBytes(), QByteArray("Tank \"A\""));

        SetTimers(model.Controller(), 0);
        model.Controller().SetText(1228, "other");
        const Run load = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("load-settings"), file});
        QVERIFY2(load.exitCode == 0, qPrintable(load.err));
        QCOMPARE(model.Controller().Value(503), 1503);
        QCOMPARE(model.Controller().Text(1228), QByteArray("Tank \"A\""));
    }

    void onErrorChoosesWhatAFailedParameterDoes()
    {
        Fixture f;
        CDeviceModel model(Opts());
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        const QString file = f.Path(QStringLiteral("x.par"));
        f.Write(QStringLiteral("x.par"),
                "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 4\r\n"
                "501, \"A\", 11\r\n502, \"B\", 12\r\n");
        CDeviceModel::Faults faults;
        faults.refuse = {501};
        model.SetFaults(faults);

        Run r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("load-settings"), file});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("writing parameter 501 (A): status 64")), qPrintable(r.err));
        QCOMPARE(model.Controller().Value(502), 0);

        r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("--on-error"), QStringLiteral("retry=2"),
                   QStringLiteral("load-settings"), file});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err.count(QStringLiteral("status 64")), 3);
        QVERIFY(r.err.contains(QStringLiteral("retrying (2 of 2)")));

        r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("--on-error=ignore"), QStringLiteral("load-settings"),
                   file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(model.Controller().Value(502), 12);
        // The refusal and its code are named, and so is what was skipped.
        QVERIFY2(r.err.contains(QStringLiteral("the device refused it with code")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("1 parameters could not be written and were skipped (numbers 501)")),
                 qPrintable(r.err));

        QCOMPARE(
            f.Ctl({QStringLiteral("--on-error"), QStringLiteral("sometimes"), QStringLiteral("load-settings"), file})
                .exitCode,
            2);
        QCOMPARE(
            f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("load-settings"), f.Path(QStringLiteral("none"))})
                .exitCode,
            1);
    }

    void questionsNeedYes()
    {
        Fixture f;
        CDeviceModel model(Opts());
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        const QString file = f.Path(QStringLiteral("old.par"));
        f.Write(QStringLiteral("old.par"),
                "0, \"CODE_SOFTWAREVERSION\", 405\r\n2, \"CODE_PRODUCTID\", 4\r\n"
                "500, \"A\", 9\r\n760, \"LEVEL\", 3\r\n");
        Run r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("load-settings"), file});
        QCOMPARE(r.exitCode, 3);  // the version question answered No
        QCOMPARE(model.Controller().Value(500), 0);
        r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("--yes"), QStringLiteral("load-settings"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(model.Controller().Value(500), 9);
        QCOMPARE(model.Controller().Value(760), 0);  // left out across firmware 4.08

        f.Write(QStringLiteral("a.par"),
                "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 2\r\n500, \"A\", 1\r\n");
        r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("--yes"), QStringLiteral("load-settings"),
                   f.Path(QStringLiteral("a.par"))});
        QCOMPARE(r.exitCode, 1);  // another model is refused whatever the answer
    }

    void smsModuleSettings()
    {
        Fixture f;
        CDeviceModel model(Opts(true));
        model.SmsModule()->SetText(90, "+49171");
        model.SmsModule()->SetValue(89, 250);
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        const QString file = f.Path(QStringLiteral("sms.par"));
        Run r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("sms-save"), file});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(f.Read(QStringLiteral("sms.par")).contains("90, \"SMS_PHONE\", \"+49171\"\r\n"));

        model.SmsModule()->SetText(90, "");
        model.SmsModule()->SetValue(89, 10);
        r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("sms-load"), file});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(model.SmsModule()->Text(90), QByteArray("+49171"));
        QCOMPARE(model.SmsModule()->Value(89), 250);

        // A controller's settings file is not written into the SMS module.
        f.Write(QStringLiteral("c.par"),
                "0, \"CODE_SOFTWAREVERSION\", 408\r\n2, \"CODE_PRODUCTID\", 4\r\n89, \"X\", 1\r\n");
        r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("--yes"), QStringLiteral("sms-load"),
                   f.Path(QStringLiteral("c.par"))});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(model.SmsModule()->Value(89), 250);

        // No module on the bus.
        CDeviceModel bare(Opts(false));
        CDeviceModelServer other(bare);
        r = f.Ctl({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(other.ServeTcp()),
                   QStringLiteral("sms-save"), file});
        QCOMPARE(r.exitCode, 1);
    }

    void interruptCancelsWithoutSaving()
    {
        Fixture f;
        CDeviceModel model(Opts());
        std::atomic<qint64> pid{0};
        // The device itself presses Ctrl-C when the fourth timer parameter is read.
        model.Controller().beforeRead = [&pid](CBusDevice&, int number) {
            if (number == 503 && pid > 0) ::kill(static_cast<pid_t>(pid.load()), SIGINT);
        };
        CDeviceModelServer server(model);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp());
        const QString file = f.Path(QStringLiteral("never.par"));
        const Run r = f.Ctl({QStringLiteral("--tcp"), where, QStringLiteral("save-settings"), file}, &pid);
        QCOMPARE(r.exitCode, 3);
        QVERIFY(!QFile::exists(file));
        QVERIFY2(r.err.contains(QStringLiteral("No settings file was saved")), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(KorvalisctlSettingsTest)
#include "korvalisctlSettings_test.moc"
