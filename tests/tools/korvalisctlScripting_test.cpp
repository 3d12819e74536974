// SPDX-License-Identifier: GPL-3.0-or-later
// korvalisctl in scripts: --json output parsed back, "-" for standard output and input,
// the password from the environment and from standard input, no progress lines in a pipe.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "device/CDeviceModel.h"
#include "link/CConnectionArray.h"
#include "support/CDeviceModelServer.h"
#include "support/CEmulatorProcess.h"
#include "support/CtlProcess.h"
#include "support/TestPaths.h"

namespace {
struct Options {
    QByteArray input;
    QHash<QString, QString> env;
};

CtlResult Ctl(const QStringList& args, const Options& options = {}) {
    static QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVALIS_HOME"), home.path());
    env.remove(QStringLiteral("KORVALIS_PASSWORD"));
    for (auto it = options.env.begin(); it != options.env.end(); ++it) env.insert(it.key(), it.value());
    return RunProcess(TestPaths::Program("korvalisctl"), args, env, options.input);
}

QJsonDocument Json(const CtlResult& r) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) qWarning("not JSON (%s): %s", qPrintable(error.errorString()), qPrintable(r.out + r.err));
    return doc;
}
}  // namespace

class KorvalisctlScriptingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void jsonParsesBack() {
        CEmulatorProcess emu;
        QVERIFY(emu.Start({QStringLiteral("--history"), QStringLiteral("5"), QStringLiteral("--sms")}));
        const QStringList tcp{QStringLiteral("--tcp"), emu.TcpAddress(), QStringLiteral("--json")};

        CtlResult r = Ctl(tcp + QStringList{"--sms", "identify"});
        QCOMPARE(r.exitCode, 0);
        QJsonObject o = Json(r).object();
        QCOMPARE(o.value("model").toString(), QStringLiteral("Korvalis D"));
        QCOMPARE(o.value("product-code").toInt(), 4);
        QCOMPARE(o.value("firmware").toInt(), 408);
        QCOMPARE(o.value("sms-module").toBool(), true);
        QVERIFY(!o.value("sensors").toArray().isEmpty());
        QCOMPARE(o.value("sensors").toArray().first().toObject().value("input").toInt(), 1);

        QCOMPARE(Ctl(tcp + QStringList{"set", "300", "-2"}).exitCode, 0);
        o = Json(Ctl(tcp + QStringList{"get", "300"})).object();
        QCOMPARE(o.value("number").toInt(), 300);
        QCOMPARE(o.value("value").toInteger(), 4294967294LL);
        QCOMPARE(o.value("signed").toInteger(), -2LL);

        o = Json(Ctl(tcp + QStringList{"recorder", "status"})).object();
        QCOMPARE(o.value("stored").toInteger() > 0, true);
        QVERIFY(o.value("capacity").toInteger() >= o.value("stored").toInteger());
        QVERIFY(o.value("newest").toString().contains(QLatin1Char('T')));

        const QJsonArray stored = Json(Ctl({"--json", "connections"})).array();
        QCOMPARE(stored.size(), 2);  // the two default connections
        QCOMPARE(stored[0].toObject().value("type").toString(), QStringLiteral("serial"));
        QCOMPARE(stored[0].toObject().value("selected").toBool(), true);
        QCOMPARE(stored[1].toObject().value("type").toString(), QStringLiteral("tcp"));
        QCOMPARE(emu.Stop(), 0);
    }

    // A backup through a pipe: saved to standard output, loaded back from standard input;
    // progress never lands in the pipe or the log.
    void standardStreamsForFiles() {
        CDeviceModel model;
        CDeviceModelServer server(model);
        const QStringList tcp{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp())};
        model.Controller().SetValue(172, 7);
        const CtlResult saved = Ctl(tcp + QStringList{"save-settings", "-"});
        QCOMPARE(saved.exitCode, 0);
        QVERIFY2(saved.out.contains(QStringLiteral("\n172, \"GEN_OPTION_A\", 7")), qPrintable(saved.out + saved.err));
        QVERIFY2(!saved.err.contains(QLatin1Char('%')), qPrintable(saved.err));

        model.Controller().SetValue(172, 1);
        Options in;
        in.input = saved.out.toUtf8();
        const CtlResult loaded = Ctl(tcp + QStringList{"--yes", "load-settings", "-"}, in);
        QCOMPARE(loaded.exitCode, 0);
        QVERIFY2(loaded.out.isEmpty(), qPrintable(loaded.out));
        QCOMPARE(model.Controller().Value(172), int64_t(7));
    }

    // The password never needs to be on the command line.
    void passwordFromEnvironmentAndStandardInput() {
        CDeviceModel::Options o;
        o.password = 4711;
        CDeviceModel model(o);
        CDeviceModelServer server(model);
        const QStringList identify{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(server.ServeTcp()),
                                   QStringLiteral("identify")};
        Options env;
        env.env.insert(QStringLiteral("KORVALIS_PASSWORD"), QStringLiteral("4711"));
        QCOMPARE(Ctl(identify, env).exitCode, 0);
        Options stdinPassword;
        stdinPassword.input = "4711\n";
        QCOMPARE(Ctl(QStringList{"--password-stdin"} + identify, stdinPassword).exitCode, 0);
        env.env.insert(QStringLiteral("KORVALIS_PASSWORD"), QStringLiteral("1"));
        QCOMPARE(Ctl(identify, env).exitCode, 1);
    }
};

QTEST_GUILESS_MAIN(KorvalisctlScriptingTest)
#include "korvalisctlScripting_test.moc"
