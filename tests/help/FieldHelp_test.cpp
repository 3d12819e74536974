// SPDX-License-Identifier: GPL-3.0-or-later
// Every editable field of every page explains itself: a tooltip with the tip sentence of its
// help page, a label that is its buddy, an accessible name. Driven over page sets that
// together hold every page class.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLabel>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "lang/CLanguage.h"
#include "support/CSheetRig.h"
#include "ui/services/CHelpEngine.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CFieldHelp.h"
#include "ui/page/CPageRegistry.h"

namespace {
CDeviceModel::Options Model(int code, int firmware, QVector<int> sensors, bool sms) {
    CDeviceModel::Options o;
    o.productCode = code;
    o.firmware = firmware;
    o.sensors = std::move(sensors);
    o.sms = sms;
    return o;
}

// Read-only spin boxes and edits show values; they are no fields to explain.
QList<QWidget*> Editable(QWidget& page) {
    QList<QWidget*> inputs = CFieldHelp::EditableControls(page);
    inputs.removeIf([](QWidget* w) {
        const auto* spin = qobject_cast<QAbstractSpinBox*>(w);
        const auto* edit = qobject_cast<QLineEdit*>(w);
        return (spin && spin->isReadOnly()) || (edit && edit->isReadOnly());
    });
    return inputs;
}

QWidget* FirstInput(QLayoutItem* item, const QList<QWidget*>& inputs) {
    if (!item) return nullptr;
    if (QWidget* w = item->widget()) return inputs.contains(w) ? w : nullptr;
    if (QLayout* inner = item->layout())
        for (int i = 0; i < inner->count(); ++i)
            if (QWidget* w = FirstInput(inner->itemAt(i), inputs)) return w;
    return nullptr;
}

QHash<QWidget*, QLabel*> Buddies(QWidget& page) {
    QHash<QWidget*, QLabel*> buddies;
    for (QLabel* label : page.findChildren<QLabel*>())
        if (label->buddy()) buddies.insert(label->buddy(), label);
    return buddies;
}
}  // namespace

class FieldHelpTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

private Q_SLOTS:
    void initTestCase() {
        // The help engine keeps its collection in the profile folder.
        qputenv("KORVALIS_HOME", m_home.path().toLocal8Bit());
    }

    void everyEditableFieldExplainsItself_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QVector<int>>("sensors");
        QTest::addColumn<bool>("sms");
        QTest::newRow("English, all sensor kinds, SMS") << 1 << 4 << 408 << QVector<int>{1, 2, 3, 4, 5, 7, 8, 9} << true;
        QTest::newRow("German, voltage input, firmware 404") << 0 << 4 << 404 << QVector<int>{10, 1, 0, 0, 0, 0, 0, 0} << false;
        QTest::newRow("French, model G") << 2 << 7 << 408 << QVector<int>{} << false;
    }

    void everyEditableFieldExplainsItself() {
        QFETCH(int, language);
        QFETCH(int, model);
        QFETCH(int, firmware);
        QFETCH(QVector<int>, sensors);
        QFETCH(bool, sms);
        const CDeviceModel::Options options = Model(model, firmware, sensors, sms);
        static QSet<QString> seen;
        const bool dump = qEnvironmentVariableIsSet("KORVALIS_DUMP_FIELDS");
        CSheetRig rig(options, language);
        QVERIFY(rig.Connect());
        const QList<CMyPropertyPage*> pages = rig.sheet->Pages();
        int withTip = 0, fields = 0, withoutMnemonic = 0;
        QStringList unnamed;
        for (CMyPropertyPage* page : pages) {
            seen << page->ClassName();
            page->EnsureInitialised();
            const auto buddies = Buddies(*page);
            for (QWidget* control : Editable(*page)) {
                const int id = control->objectName().toInt();
                const QString where = page->ClassName() + QLatin1Char(' ') + QString::number(id);
                QLabel* label = buddies.value(control);
                if (dump) {
                    const auto* spin = qobject_cast<CEditSpin*>(control);
                    std::printf("%s topic %d/%d id %d %s label [%s] range %s\n",
                                qPrintable(page->ClassName()), page->PageHelpTopic(), page->HelpTopicFor(id), id,
                                control->metaObject()->className(),
                                qPrintable(label ? CFieldHelp::PlainLabel(*label) : control->accessibleName()),
                                spin ? qPrintable(QStringLiteral("%1..%2").arg(spin->OwnMinimum()).arg(spin->OwnMaximum()))
                                     : "-");
                }
                ++fields;
                QVERIFY2(!control->toolTip().isEmpty(), qPrintable(where + " has no tooltip"));
                if (control->accessibleName().isEmpty()) unnamed << where;
                // A crowded page may run out of free letters for the last labels.
                if (label && !label->text().contains(QLatin1Char('&'))) ++withoutMnemonic;
                // The tip sentence of the control's help page shows in its tooltip.
                CHelpEngine::Tip tip = CHelpEngine::Current().FieldTip(page->HelpTopicFor(id), id);
                if (tip.text.isEmpty()) tip = CHelpEngine::Current().FieldTip(page->PageHelpTopic(), id);
                if (!tip.text.isEmpty()) {
                    ++withTip;
                    QVERIFY2(control->toolTip().contains(tip.text.toHtmlEscaped()), qPrintable(where + " tooltip lacks its tip"));
                } else if (dump) {
                    std::printf("  no tip sentence for %s\n", qPrintable(where));
                }
                if (qobject_cast<CEditSpin*>(control))
                    QVERIFY2(control->toolTip().contains(Tr(54020).section(QLatin1Char('%'), 0, 0).trimmed()),
                             qPrintable(where + " tooltip lacks the range"));
            }
            // Every form label whose field holds an input hands the focus to that input.
            const QList<QWidget*> inputs = Editable(*page);
            for (QFormLayout* form : page->findChildren<QFormLayout*>()) {
                for (int row = 0; row < form->rowCount(); ++row) {
                    QLayoutItem* l = form->itemAt(row, QFormLayout::LabelRole);
                    auto* label = l ? qobject_cast<QLabel*>(l->widget()) : nullptr;
                    QWidget* input = FirstInput(form->itemAt(row, QFormLayout::FieldRole), inputs);
                    if (!label || label->text().isEmpty() || !input || qobject_cast<QAbstractButton*>(input)) continue;
                    QVERIFY2(label->buddy() == input,
                             qPrintable(page->ClassName() + ": \"" + label->text() + "\" is not its field's buddy"));
                }
            }
            // Mnemonics are told apart on a page.
            QSet<QChar> mnemonics;
            for (QLabel* label : page->findChildren<QLabel*>()) {
                const int at = label->text().indexOf(QLatin1Char('&'));
                if (!label->buddy() || at < 0 || at + 1 >= label->text().size()) continue;
                const QChar c = label->text()[at + 1].toLower();
                QVERIFY2(!mnemonics.contains(c), qPrintable(page->ClassName() + ": mnemonic " + QString(c) + " twice"));
                mnemonics << c;
            }
        }
        QVERIFY(fields > 50);
        QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("no accessible name: ") + unnamed.join(QStringLiteral(", "))));
        QVERIFY2(withoutMnemonic * 5 <= fields, qPrintable(QStringLiteral("%1 labels without mnemonic").arg(withoutMnemonic)));
        std::printf("%d editable fields, %d with a tip sentence\n", fields, withTip);
        // Most fields are explained on their help page; the rest name themselves.
        QVERIFY2(withTip * 2 >= fields, qPrintable(QStringLiteral("%1 of %2").arg(withTip).arg(fields)));
        if (QTest::currentDataTag() == QByteArray("French, model G")) {
            for (const QString& c : CPageRegistry::Classes())
                if (!seen.contains(c)) std::printf("no page set here holds %s\n", qPrintable(c));
        }
    }
};

QTEST_MAIN(FieldHelpTest)
#include "FieldHelp_test.moc"
