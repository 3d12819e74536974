// SPDX-License-Identifier: GPL-3.0-or-later
// The help window against the built help files of each language: it opens at a topic,
// follows links back and forth, and finds a page through the full-text search; context help
// on a page opens the focused control's topic, else the page's.
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWhatsThis>

#include "support/CSheetRig.h"
#include "ui/services/CHelpEngine.h"
#include "ui/services/CHelpViewer.h"

namespace {
QString Source(const QString& language, int topic) {
    QFile f(QStringLiteral(KORVALIS_SOURCE_DIR "/help/%1/%2.html").arg(language).arg(topic));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The longest word of a page's heading: a word that page surely holds.
QString HeadingWord(const QString& html) {
    const QString heading = QRegularExpression(QStringLiteral("<h1>([^<]*)</h1>")).match(html).captured(1);
    QString longest;
    for (const QString& w : heading.split(QRegularExpression(QStringLiteral("[^\\w]+")), Qt::SkipEmptyParts))
        if (w.size() > longest.size()) longest = w;
    return longest;
}
}  // namespace

class CHelpViewerTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

private Q_SLOTS:
    void initTestCase() {
        qputenv("KORVALIS_HOME", m_home.path().toLocal8Bit());
    }

    void opensSearchesAndNavigates_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("folder");
        QTest::newRow("German") << 0 << QStringLiteral("German");
        QTest::newRow("English") << 1 << QStringLiteral("English");
        QTest::newRow("French") << 2 << QStringLiteral("Alternative");
    }

    void opensSearchesAndNavigates() {
        QFETCH(int, language);
        QFETCH(QString, folder);
        CKorvalisControlApp app;
        QVERIFY(app.LoadLanguage(language));
        QVERIFY2(CHelpEngine::Current().Error().isEmpty(), qPrintable(CHelpEngine::Current().Error()));

        CHelpViewer* viewer = CHelpViewer::ShowTopic(45);
        QCOMPARE(viewer->Topic(), uint16_t(45));
        const QString heading = QRegularExpression(QStringLiteral("<h1>([^<]*)</h1>"))
                                    .match(Source(folder, 45)).captured(1);
        QVERIFY(!heading.isEmpty());
        QVERIFY2(viewer->Text().contains(heading), qPrintable(viewer->Text().left(200)));

        // A link to a control topic, then back and forward.
        viewer->Open(viewer->Source().resolved(QUrl(QStringLiteral("46.html"))));
        QCOMPARE(viewer->Topic(), uint16_t(46));
        QMetaObject::invokeMethod(viewer->findChild<QObject*>(QStringLiteral("back")), "click");
        QCOMPARE(viewer->Topic(), uint16_t(45));
        QMetaObject::invokeMethod(viewer->findChild<QObject*>(QStringLiteral("forward")), "click");
        QCOMPARE(viewer->Topic(), uint16_t(46));

        // A topic the file lacks shows the overview, never an empty window.
        CHelpViewer::ShowTopic(9999);
        QCOMPARE(viewer->Topic(), uint16_t(1));

        // Full-text search for a word of the SMS module's heading finds that page.
        const QString word = HeadingWord(Source(folder, 607));
        QVERIFY(word.size() >= 3);
        QSignalSpy found(viewer, &CHelpViewer::searchFinished);
        viewer->Search(word);
        QVERIFY(found.wait(120000));
        QVERIFY2(viewer->SearchResults().contains(uint16_t(607)),
                 qPrintable(word + QStringLiteral(" did not find the SMS module page")));
        delete viewer;
    }

    void contextHelpOpensTheControlsTopicElseThePages() {
        CDeviceModel::Options options;
        options.sensors = {1, 2, 0, 0, 0, 0, 0, 0};
        CSheetRig rig(options, 1);
        QVERIFY(rig.Connect());
        CMyPropertyPage* page = rig.Activate(QStringLiteral("CPropertyPageTemperature"));
        QVERIFY(page);
        rig.sheet->show();
        QApplication::setActiveWindow(rig.sheet.get());
        QVERIFY(QTest::qWaitForWindowActive(rig.sheet.get()));
        struct Case {
            int control;
            uint16_t topic;
        };
        // Setpoint and switching difference have topics of their own; the output list has
        // none and falls back to the page's.
        for (const Case c : {Case{1064, 46}, Case{1284, 53}, Case{1610, 45}}) {
            QWidget* control = page->Control(c.control);
            QVERIFY(control);
            // The help window took the activation last time round: back to the main window.
            QApplication::setActiveWindow(rig.sheet.get());
            control->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
            QCOMPARE(rig.app.currentHelpTopic, c.topic);
            QVERIFY(CHelpViewer::Instance());
            QCOMPARE(CHelpViewer::Instance()->Topic(), c.topic);
        }
        // Shift+F1 enters What's This; a click on a control then opens its topic.
        QApplication::setActiveWindow(rig.sheet.get());
        page->Control(1064)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QWhatsThis::leaveWhatsThisMode();
        QWidget* setpoint = page->Control(1064);
        QHelpEvent whatsThis(QEvent::WhatsThis, setpoint->rect().center(), setpoint->mapToGlobal(setpoint->rect().center()));
        QApplication::sendEvent(setpoint, &whatsThis);
        QCOMPARE(CHelpViewer::LastTopic(), uint16_t(46));
        // The Help button opens the page's topic.
        QTest::mouseClick(rig.sheet->Button(CMyPropertySheet::IdHelp), Qt::LeftButton);
        QCOMPARE(CHelpViewer::Instance()->Topic(), uint16_t(45));
    }
};

QTEST_MAIN(CHelpViewerTest)
#include "CHelpViewer_test.moc"
