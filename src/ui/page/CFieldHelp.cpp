// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/page/CFieldHelp.h"

#include <QAbstractButton>
#include <QAction>
#include <QAbstractSpinBox>
#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QSet>

#include "lang/CLanguage.h"
#include "ui/page/CEditSpin.h"
#include "ui/page/CMyPropertyPage.h"
#include "ui/services/CHelpEngine.h"

namespace {
// A control a label can hand the focus to: it or something inside takes the keyboard and
// it is no label and no button (those carry their own text).
QWidget* Focusable(QLayoutItem* item) {
    if (!item) return nullptr;
    QWidget* w = item->widget();
    if (!w && item->layout()) {
        QLayout* inner = item->layout();
        for (int i = 0; i < inner->count(); ++i)
            if (QWidget* found = Focusable(inner->itemAt(i))) return found;
        return nullptr;
    }
    if (!w || qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) return nullptr;
    if (w->focusPolicy() != Qt::NoFocus || w->focusProxy()) return w;
    return nullptr;
}

bool NamesNext(const QLabel& label) {
    return label.text().trimmed().endsWith(QLatin1Char(':'));
}

void Link(QLabel* label, QWidget* control) {
    if (!label || !control || label->buddy() || label->text().isEmpty()) return;
    label->setBuddy(control);
}

void LinkLayout(QLayout* layout) {
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        for (int row = 0; row < form->rowCount(); ++row) {
            QLayoutItem* l = form->itemAt(row, QFormLayout::LabelRole);
            auto* label = l ? qobject_cast<QLabel*>(l->widget()) : nullptr;
            Link(label, Focusable(form->itemAt(row, QFormLayout::FieldRole)));
        }
    } else if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        for (int i = 0; i < grid->count(); ++i) {
            auto* label = qobject_cast<QLabel*>(grid->itemAt(i)->widget());
            if (!label) continue;
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            // A label in the first column heads its row even without a colon.
            if (!NamesNext(*label) && column != 0) continue;
            Link(label, Focusable(grid->itemAtPosition(row, column + columnSpan)));
        }
    } else if (qobject_cast<QBoxLayout*>(layout)) {
        for (int i = 0; i + 1 < layout->count(); ++i) {
            auto* label = qobject_cast<QLabel*>(layout->itemAt(i)->widget());
            if (label && NamesNext(*label)) Link(label, Focusable(layout->itemAt(i + 1)));
        }
    }
    for (int i = 0; i < layout->count(); ++i)
        if (QLayout* inner = layout->itemAt(i)->layout()) LinkLayout(inner);
}

bool InOtherPage(const QWidget* w, const QWidget& root) {
    for (; w; w = w->parentWidget())
        if (w == &root) return false;
        else if (qobject_cast<const CMyPropertyPage*>(w)) return true;
    return false;
}

// Letters taken in what is on screen with root: root's own labels and buttons, the window's
// buttons and menus outside other pages (hidden pages keep theirs to themselves).
QString LabelText(QLayoutItem* item) {
    const auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
    return label ? CFieldHelp::PlainLabel(*label) : QString();
}

// A cell of a table that no label names is named by its row and column headers.
void NameGridCells(QGridLayout& grid) {
    for (int i = 0; i < grid.count(); ++i) {
        QWidget* w = Focusable(grid.itemAt(i));
        if (!w || !w->accessibleName().isEmpty()) continue;
        int row, column, rowSpan, columnSpan;
        grid.getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        QStringList parts;
        if (column > 0) parts << LabelText(grid.itemAtPosition(row, 0));
        if (row > 0) parts << LabelText(grid.itemAtPosition(0, column));
        parts.removeAll(QString());
        if (!parts.isEmpty()) w->setAccessibleName(parts.join(QLatin1Char(' ')));
    }
}

QSet<QChar> UsedMnemonics(const QWidget& root) {
    QSet<QChar> used;
    auto take = [&used](const QString& text) {
        const int at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size() && text[at + 1] != QLatin1Char('&'))
            used.insert(text[at + 1].toLower());
    };
    const QWidget& window = *root.window();
    for (const auto* b : window.findChildren<QAbstractButton*>())
        if (!InOtherPage(b, root)) take(b->text());
    for (const auto* l : window.findChildren<QLabel*>())
        if (!InOtherPage(l, root)) take(l->text());
    for (const auto* bar : window.findChildren<QMenuBar*>())
        for (const QAction* a : bar->actions()) take(a->text());
    return used;
}

// A free letter of the label's text gets the marker; none free leaves it without.
void AddMnemonic(QLabel& label, QSet<QChar>& used) {
    const QString text = label.text();
    if (text.contains(QLatin1Char('&')) || label.textFormat() == Qt::RichText) return;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i].toLower();
        if (!c.isLetter() || used.contains(c)) continue;
        used.insert(c);
        label.setText(text.left(i) + QLatin1Char('&') + text.mid(i));
        return;
    }
}

QString Number(double value, int decimals) {
    return QLocale().toString(value, 'f', decimals);
}
}  // namespace

QString CFieldHelp::PlainLabel(const QLabel& label) {
    QString text = label.text();
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text.trimmed();
}

void CFieldHelp::LinkLabels(QWidget& root) {
    if (root.layout()) LinkLayout(root.layout());
    for (QWidget* child : root.findChildren<QWidget*>())
        if (child->layout()) LinkLayout(child->layout());
    QSet<QChar> used = UsedMnemonics(root);
    for (QLabel* label : root.findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (!buddy) continue;
        AddMnemonic(*label, used);
        if (buddy->accessibleName().isEmpty()) buddy->setAccessibleName(PlainLabel(*label));
    }
    for (QGridLayout* grid : root.findChildren<QGridLayout*>()) NameGridCells(*grid);
}

QList<QWidget*> CFieldHelp::EditableControls(QWidget& page) {
    QList<QWidget*> controls;
    for (QWidget* w : page.findChildren<QWidget*>()) {
        bool numbered = false;
        w->objectName().toInt(&numbered);
        if (!numbered) continue;
        const bool input = qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w) ||
                           (qobject_cast<QLineEdit*>(w) && !qobject_cast<QAbstractSpinBox*>(w->parentWidget())) ||
                           (qobject_cast<QAbstractButton*>(w) && static_cast<QAbstractButton*>(w)->isCheckable());
        if (input) controls << w;
    }
    return controls;
}

namespace {
// The control's term on the help page of its topic, else on the page's own help page.
CHelpEngine::Tip TipOf(CMyPropertyPage& page, const QWidget& control) {
    CHelpEngine& help = CHelpEngine::Current();
    const int id = control.objectName().toInt();
    CHelpEngine::Tip tip = help.FieldTip(page.HelpTopicFor(id), id);
    if (tip.text.isEmpty()) tip = help.FieldTip(page.PageHelpTopic(), id);
    return tip;
}
}  // namespace

QString CFieldHelp::ToolTip(CMyPropertyPage& page, QWidget& control, const QString& label) {
    const CHelpEngine::Tip tip = TipOf(page, control);
    const QString term = !label.isEmpty() ? label : tip.term;
    QStringList lines;
    if (!term.isEmpty()) lines << QStringLiteral("<b>%1</b>").arg(term.toHtmlEscaped());
    if (!tip.text.isEmpty()) lines << tip.text.toHtmlEscaped();
    if (const auto* spin = qobject_cast<const CEditSpin*>(&control)) {
        QString range = TrArg(54020, {Number(spin->OwnMinimum(), spin->decimals()),
                                      Number(spin->OwnMaximum(), spin->decimals())});
        if (!tip.unit.isEmpty()) range += QLatin1Char(' ') + tip.unit;
        lines << range.toHtmlEscaped();
    } else if (!tip.unit.isEmpty()) {
        lines << TrArg(54021, {tip.unit}).toHtmlEscaped();
    }
    lines << QStringLiteral("<i>%1</i>").arg(Tr(54022).toHtmlEscaped());
    return lines.join(QStringLiteral("<br>"));
}

void CFieldHelp::Apply(CMyPropertyPage& page) {
    LinkLabels(page);
    QHash<QWidget*, QString> labelOf;
    for (const QLabel* label : page.findChildren<QLabel*>())
        if (label->buddy()) labelOf.insert(label->buddy(), PlainLabel(*label));
    for (QWidget* control : EditableControls(page)) {
        if (!control->toolTip().isEmpty()) continue;
        QString label = labelOf.value(control);
        if (label.isEmpty())
            if (auto* button = qobject_cast<QAbstractButton*>(control)) label = button->text().remove(QLatin1Char('&'));
        control->setToolTip(ToolTip(page, *control, label));
        if (label.isEmpty()) label = TipOf(page, *control).term;
        if (control->accessibleName().isEmpty() && !label.isEmpty()) control->setAccessibleName(label);
    }
}
