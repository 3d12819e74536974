// SPDX-License-Identifier: GPL-3.0-or-later
// What a page's fields say about themselves, made once the controls exist: each label that
// names a field becomes its buddy (with a mnemonic when it has none) and gives the field its
// accessible name; each editable control of the page (a numbered input: spin box, edit, list,
// check box, picker) gets a tooltip of its term, the one-sentence tip from the help page of
// its topic, and its range (from the control) and unit (from the help page).
#pragma once

#include <QList>
#include <QString>

class CMyPropertyPage;
class QLabel;
class QWidget;

class CFieldHelp {
public:
    static void Apply(CMyPropertyPage& page);
    // Labels of the widget's layouts become buddies of the controls they name (labels in a
    // form's label column, and labels ending in ':' before a control). Also for dialogs.
    static void LinkLabels(QWidget& root);
    // The editable controls of a page: numbered inputs, an edit inside a spin box counted once.
    static QList<QWidget*> EditableControls(QWidget& page);
    // The tooltip of a control (rich text); the term is the label's, else the help page's.
    static QString ToolTip(CMyPropertyPage& page, QWidget& control, const QString& label);
    // The text of a label without mnemonic marker and trailing colon.
    static QString PlainLabel(const QLabel& label);
};
