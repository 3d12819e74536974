// SPDX-License-Identifier: GPL-3.0-or-later
// A serial port that will not open tells the user why: a port without permission (a real
// pseudo-terminal whose mode was changed, opened by a user who may not), a busy one and a
// missing one; the desktop program shows that explanation with its offer.
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lang/CLanguage.h"
#include "link/CSerialComm.h"
#include "support/CSheetRig.h"
#include "support/CSocatPair.h"
#include "support/TestPaths.h"

namespace {
constexpr uid_t kNobody = 65534;

QString GroupOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    const group* gr = ::getgrgid(st.st_gid);
    return gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(st.st_gid);
}
}  // namespace

class CSerialPortProblemTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingAndBusyPorts() {
        CSheetRig rig;  // English catalogue
        CSerialComm missing(QStringLiteral("/dev/korvalis-test-none"));
        QVERIFY(!missing.Open());
        QVERIFY2(missing.LastError().startsWith(TrArg(31384, {QStringLiteral("/dev/korvalis-test-none")})),
                 qPrintable(missing.LastError()));

        CSocatPair pair;
        QVERIFY(pair.Start());
        CSerialComm first(pair.EndA());
        QVERIFY(first.Open());
        CSerialComm second(pair.EndA());
        QVERIFY(!second.Open());
        QVERIFY2(second.LastError().contains(QLatin1String("is in use")), qPrintable(second.LastError()));
    }

    // The user may not open the device: the text names the device's own group and the
    // command. Run as a process of a user without rights (root may open anything).
    void portWithoutPermissionNamesGroupAndCommand() {
        CSocatPair pair;
        QVERIFY(pair.Start());
        const QString device = QFileInfo(pair.EndA()).canonicalFilePath();
        QVERIFY(!device.isEmpty());
        // Root opens any mode, so root hands the open to "nobody"; others lock themselves out.
        QCOMPARE(::chmod(QFile::encodeName(device).constData(), ::geteuid() == 0 ? 0600 : 0), 0);
        const QString group = GroupOf(device);

        QTemporaryDir home;
        QFile::setPermissions(home.path(), QFileDevice::Permissions(0x7777));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVALIS_HOME"), home.path());
        p.setProcessEnvironment(env);
        if (::geteuid() == 0) {
            p.setChildProcessModifier([] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                    ::_exit(99);
            });
        }
        p.start(TestPaths::Program("korvalisctl"), {QStringLiteral("--serial"), device, QStringLiteral("identify")});
        QVERIFY(p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(p.exitCode() != 0 && p.exitCode() != 99, qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("group \"%1\"").arg(group)), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("sudo adduser ")) && err.contains(QStringLiteral(" %1\n").arg(group)),
                 qPrintable(err));
    }

    // The desktop program shows the channel's explanation with its offer, in the catalogue's
    // language.
    void desktopShowsTheExplanation() {
        for (int language : {CLanguage::English, CLanguage::German, CLanguage::Alternative}) {
            CSheetRig rig({}, language);
            rig.app.SetChannelFactory({});
            rig.app.serialDeviceOverride = QStringLiteral("/dev/korvalis-test-none");
            rig.connection.type = CConnection::Serial;
            rig.ui.QueueAnswer(CUserInteraction::IdNo);
            QVERIFY(!rig.Connect());
            QCOMPARE(rig.ui.MessageIds(), QList<int>{6213});
            const QString text = rig.ui.shown.first().text;
            QVERIFY2(text.contains(TrArg(31384, {QStringLiteral("/dev/korvalis-test-none")})), qPrintable(text));
            QVERIFY(text.endsWith(Tr(6213).section(QStringLiteral("%1"), 1)));
        }
    }
};

QTEST_MAIN(CSerialPortProblemTest)
#include "CSerialPortProblem_test.moc"
