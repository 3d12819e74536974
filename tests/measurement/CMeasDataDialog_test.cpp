// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QChart>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>
#include <cmath>

#include "app/CKorvalisControlApp.h"
#include "base/CUserInteraction.h"
#include "chart/CChartGroup.h"
#include "chart/CTimeChartView.h"
#include "chart/CTraceItem.h"
#include "pages/measurement/CMeasDataDialog.h"
#include "recorder/CMeasuredValueArray.h"

namespace {
struct FakeUi : CUserInteraction {
    QList<int> messages;
    int ShowMessage(int id, Icon, Buttons, const QStringList&) override {
        messages << id;
        return IdOk;
    }
    int ShowText(const QString&, Icon, Buttons) override { return IdOk; }
    bool Login(uint16_t) override { return true; }
};
}  // namespace

class CMeasDataDialogTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    CKorvalisControlApp m_app;

    CMeasuredValueArray ThreeColumns() {
        CMeasuredValueArray a;
        a.ParseHeader(u"Date;Time;Temperature 1[\u00B0C];pH-value 1[pH];Redox 1[mV];");
        a.ParseRecord(u"2024-05-01;10:00;25,0;8,10;300;");
        a.ParseRecord(u"2024-05-01;10:15;25,5;;310;");      // pH missing
        a.ParseRecord(u"2024-05-01;09:45;24,5;8,00;290;");  // appended out of order
        a.ParseRecord(u"2024-05-01;10:30;26,0;8,20;");
        return a;
    }

    // Two days of ten-minute records whose columns differ in magnitude by five orders, the
    // pH with three hours missing in the middle.
    CMeasuredValueArray Magnitudes() {
        CMeasuredValueArray a;
        a.ParseHeader(u"Date;Time;Conductivity 1[\u00B5S];pH-value 1[pH];Oxygen 1[mg/l];");
        QDateTime t(QDate(2024, 5, 1), QTime(0, 0), Qt::UTC);
        for (int i = 0; i < 288; ++i, t = t.addSecs(600)) {
            const double wave = std::sin(i * 2 * M_PI / 144.0);
            const QString ph = i >= 130 && i < 148 ? QString() : QString::number(7.2 + 0.05 * wave);
            a.ParseRecord(CMeasuredValueArray::FormatDate(t.date()) + QLatin1Char(';') +
                          CMeasuredValueArray::FormatTime(t.time()) + QLatin1Char(';') +
                          QString::number(1200 + 300 * wave) + QLatin1Char(';') + ph +
                          QLatin1Char(';') + QString::number(0.02 + 0.01 * wave) +
                          QLatin1Char(';'));
        }
        return a;
    }

private Q_SLOTS:
    void oneChartPerColumnInEqualStrips() {
        CMeasDataDialog dialog(nullptr, ThreeColumns());
        QCOMPARE(dialog.objectName(), QStringLiteral("219"));
        dialog.resize(900, 700);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QList<CTimeChartView*> charts =
            dialog.findChildren<CTimeChartView*>(QStringLiteral("1234"));
        QCOMPARE(charts.size(), 3);
        QCOMPARE(charts[0]->chart()->title(), QStringLiteral("Temperature 1"));
        QCOMPARE(charts[1]->ValueAxis()->titleText(), QStringLiteral("pH"));
        QCOMPARE(charts[2]->Unit(), QStringLiteral("mV"));
        for (const CTimeChartView* c : charts)
            QVERIFY(std::abs(c->height() - charts[0]->height()) <= 1);
        QVERIFY(charts[0]->height() > 150);
        QVERIFY(charts[1]->geometry().top() >= charts[0]->geometry().bottom());

        // Records are drawn in time order; the missing pH value is not drawn as 0 but breaks
        // the line.
        const QList<QPointF> temperature = charts[0]->DrawnPoints();
        QCOMPARE(temperature.size(), 4);
        QCOMPARE(temperature.first().y(), 24.5);
        const QList<QPointF> ph = charts[1]->DrawnPoints();
        QCOMPARE(ph.size(), 4);
        QVERIFY(std::isnan(ph[2].y()));
        for (const QPointF& p : {ph[0], ph[1], ph[3]}) QVERIFY(p.y() > 7.9);
        QCOMPARE(charts[1]->Trace()->Pieces().size(), 2);
    }

    // Labels as different as "1500" and "0.02" leave every strip's plot area at the same x,
    // through zoom and resize, so a time sits at the same x in each; the missing pH stretch
    // shows as a break in its line. With KORVALIS_SCREENSHOT_DIR set, the window is saved
    // there as viewer-magnitudes.png.
    void stripsLineUpAndGapsStayOpen() {
        CMeasDataDialog dialog(nullptr, Magnitudes());
        dialog.resize(1200, 800);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QList<CTimeChartView*> charts = dialog.Charts();
        QCOMPARE(charts.size(), 3);
        CChartGroup* group = dialog.Group();
        const double gapFrom =
            QDateTime(QDate(2024, 5, 1), QTime(21, 40), Qt::UTC).toMSecsSinceEpoch();
        const double gapTo = gapFrom + 18 * 600000.0;
        auto checkAligned = [&](const char* when) {
            QCoreApplication::processEvents();
            const QRectF first = charts[0]->chart()->plotArea();
            QVERIFY2(first.width() > 500, when);
            const double t = group->From() + 0.37 * (group->To() - group->From());
            for (const CTimeChartView* c : charts) {
                const QRectF area = c->chart()->plotArea();
                QVERIFY2(area.left() == first.left() && area.right() == first.right(), when);
                // The line's clip and the time grid follow the same area.
                QCOMPARE(c->Trace()->boundingRect(), area.adjusted(-1, -1, 1, 1));
                QCOMPARE(c->PixelColumns(), static_cast<int>(area.width()));
                const double x = area.left() + (t - c->From()) / (c->To() - c->From()) * area.width();
                QCOMPARE(x, first.left() + 0.37 * first.width());
            }
        };
        checkAligned("shown");
        QVERIFY(charts[0]->chart()->plotArea().left() > 20);
        // Room for the widest labels: "1500" is no nearer the left edge than the margin.
        group->ZoomAt(gapFrom, 0.3);
        checkAligned("zoomed");
        // Heights that change the number of value labels, and with it their widths.
        for (int height : {820, 430, 560, 700}) {
            dialog.resize(760, height);
            QTRY_COMPARE(dialog.height(), height);
            checkAligned(qPrintable(QStringLiteral("resized to %1").arg(height)));
        }
        group->Reset();
        checkAligned("reset");

        // Two pieces of pH line with nothing across the three hours between them.
        const CTraceItem* trace = charts[1]->Trace();
        QCOMPARE(trace->Pieces().size(), 2);
        const QRectF area = charts[1]->chart()->plotArea();
        auto xOf = [&](double t) {
            return area.left() + (t - group->From()) / (group->To() - group->From()) * area.width();
        };
        QVERIFY(trace->Pieces()[0].last().x() <= xOf(gapFrom - 600000.0) + 1);
        QVERIFY(trace->Pieces()[1].first().x() >= xOf(gapTo) - 1);
        QCOMPARE(charts[0]->Trace()->Pieces().size(), 1);

        const QString dir = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            group->SetCursor(gapFrom - 3 * 3600000.0);
            QVERIFY(dialog.grab().save(dir + QStringLiteral("/viewer-magnitudes.png")));
        }
    }

    void readoutShowsTimeAndEveryValue() {
        CMeasDataDialog dialog(nullptr, ThreeColumns());
        CChartGroup* group = dialog.Group();
        const double t1015 =
            QDateTime(QDate(2024, 5, 1), QTime(10, 15), Qt::UTC).toMSecsSinceEpoch();
        group->SetCursor(t1015 + 60000.0);  // nearest record: 10:15
        QCOMPARE(dialog.ReadoutText(), QStringLiteral("2024-05-01 10:15"));
        QCOMPARE(dialog.Charts()[0]->CursorText(), QStringLiteral("25.5 \u00B0C"));
        QCOMPARE(dialog.Charts()[1]->CursorText(), QStringLiteral("\u2013"));
        QCOMPARE(dialog.Charts()[2]->CursorText(), QStringLiteral("310 mV"));
        group->SetCursor(t1015 + 450000.0);  // halfway: the later record
        QCOMPARE(dialog.ReadoutText(), QStringLiteral("2024-05-01 10:30"));
        QCOMPARE(dialog.Charts()[1]->CursorText(), QStringLiteral("8.2 pH"));
        group->SetCursor(std::nan(""));
        QVERIFY(!dialog.ReadoutText().contains(QStringLiteral("2024")));
        QVERIFY(dialog.Charts()[0]->CursorText().isEmpty());
    }

    // Eight columns at the size the viewer opens with: every chart shows its value at the
    // cursor in full within its own strip, and its value labels unshortened.
    void eightColumnsShowTheirValuesBesideThem() {
        CMeasuredValueArray a;
        a.ParseHeader(u"Date;Time;Temperature 1[\u00B0C];pH-value 1[pH];Redox 1[mV];"
                      u"Conductivity 1[\u00B5S];Oxygen 1[mg/l];Humidity 1[%];"
                      u"Airtempera. 1[\u00B0C];Voltage 1[V];");
        a.ParseRecord(u"2024-05-01;10:00;25,0123;8,10456;-312,456;1234,56;0,0123456;65,4321;"
                      u"22,3456;14,7654;");
        a.ParseRecord(u"2024-05-01;11:00;25,5;8,2;300;1200;0,02;66;23;14,8;");
        CMeasDataDialog dialog(nullptr, a);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents();
        dialog.Group()->SetCursor(dialog.Group()->FullFrom() + 60000.0);
        QCOMPARE(dialog.ReadoutText(), QStringLiteral("2024-05-01 10:00"));
        for (CTimeChartView* c : dialog.Charts()) {
            QVERIFY(!c->CursorText().isEmpty());
            const QRectF area = c->chart()->plotArea();
            int values = 0;
            for (QGraphicsItem* item : c->scene()->items()) {
                if (!item->isVisible()) continue;
                if (auto* value = dynamic_cast<QGraphicsSimpleTextItem*>(item)) {
                    ++values;
                    QCOMPARE(value->text(), c->CursorText());
                    const QRectF box = value->sceneBoundingRect();
                    QVERIFY(box.left() > area.center().x() && box.right() <= area.right() + 1);
                    QVERIFY(box.top() >= 0 && box.bottom() <= area.top());
                }
                if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
                    QVERIFY2(!text->toPlainText().contains(QChar(0x2026)) &&
                                 !text->toPlainText().contains(QStringLiteral("...")),
                             qPrintable(c->Name() + QStringLiteral(": ") + text->toPlainText()));
            }
            QCOMPARE(values, 1);
        }
        QCOMPARE(dialog.Charts()[7]->CursorText(), QStringLiteral("14.7654 V"));
        const QString dir = qEnvironmentVariable("KORVALIS_SCREENSHOT_DIR");
        if (!dir.isEmpty()) QVERIFY(dialog.grab().save(dir + QStringLiteral("/viewer-eight.png")));
    }

    void exportsTheViewAsPng() {
        CMeasDataDialog dialog(nullptr, ThreeColumns());
        dialog.resize(800, 600);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QString path = m_dir.filePath(QStringLiteral("view.png"));
        QVERIFY(dialog.ExportImage(path));
        QImage image(path);
        QVERIFY(!image.isNull());
        QVERIFY(image.width() > 700 && image.height() > 450);
        QVERIFY(!dialog.ExportImage(m_dir.filePath(QStringLiteral("no/such/folder/view.png"))));
    }

    void openingFilesThatCannotBeShown() {
        FakeUi ui;
        CMeasDataDialog::OpenFile(nullptr, m_dir.filePath(QStringLiteral("missing.txt")), &ui);
        QFile bad(m_dir.filePath(QStringLiteral("bad.txt")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("D;T;1;2;3;4;5;6;7;8;9;\n");
        bad.close();
        CMeasDataDialog::OpenFile(nullptr, bad.fileName(), &ui);
        QCOMPARE(ui.messages, (QList<int>{391, 392}));
        QVERIFY(!m_app.IsTransferInProgress());

        // A good file opens modally; it is closed from the event loop.
        QFile good(m_dir.filePath(QStringLiteral("good.txt")));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("D;T;a;\n2024-01-01;00:00;1;\n2024-01-01;00:01;2;\n");
        good.close();
        int charts = -1;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<CMeasDataDialog*>(QApplication::activeModalWidget());
            if (d) {
                charts = d->Charts().size();
                d->reject();
            }
        });
        CMeasDataDialog::OpenFile(nullptr, good.fileName(), &ui);
        QCOMPARE(charts, 1);
        QCOMPARE(ui.messages.size(), 2);
    }
};

QTEST_MAIN(CMeasDataDialogTest)
#include "CMeasDataDialog_test.moc"
