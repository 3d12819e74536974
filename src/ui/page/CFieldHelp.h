// SPDX-License-Identifier: GPL-3.0-or-later
// What a page's fields say about themselves, made once the controls exist: each label that
// names a field becomes its buddy (with a mnemonic when it has none) and gives the field its
// accessible name; each editable declared field gets a tooltip of its term, the one-sentence
// tip from the help page of its topic, and its range and unit from the declaration.
#pragma once

#include <QString>

class CMyPropertyPage;
class CPageField;
class QLabel;
class QWidget;

class CFieldHelp {
public:
    static void Apply(CMyPropertyPage& page);
    // Labels of the widget's layouts become buddies of the controls they name (labels in a
    // form's label column, and labels ending in ':' before a control). Also for dialogs.
    static void LinkLabels(QWidget& root);
    // The tooltip of a declared field (rich text); the term falls back to the label's.
    static QString ToolTip(CMyPropertyPage& page, const CPageField& field, const QString& label);
    // The text of a label without mnemonic marker and trailing colon.
    static QString PlainLabel(const QLabel& label);
};
