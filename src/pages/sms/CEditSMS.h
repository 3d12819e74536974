// SPDX-License-Identifier: GPL-3.0-or-later
// The SMS entry dialog (template 23181): recipient, text, code, event and condition with
// their time, the two values and the flag. Which controls show depends on the event.
#pragma once

#include "alerts/CSMS.h"
#include "ui/page/CFieldDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTimeEdit;

class CEditSMS : public CFieldDialog {
    Q_OBJECT
public:
    enum {
        IdCondition = 1635,
        IdFlag = 1637,
        IdRecipient = 1638,
        IdEvent = 1639,
        IdValue2 = 1651,
        IdValue1 = 1653,
        IdCodeCaption = 1657,
        IdCode = 1658,
        IdText = 1565,
        IdTime = 1578,
        IdTimeCaption = 1579,
    };

    explicit CEditSMS(const CSMS& entry, QWidget* parent = nullptr);
    const CSMS& Record() const { return m_rec; }

    static QString EventName(int event);
    static QString ConditionName(int condition);
    // The conditions an event offers, in the combo box's order.
    static QList<int> ConditionsFor(int event);

    // The event and condition the combo boxes stand at (event 0, condition 3 when none).
    int SelectedEvent() const;
    int SelectedCondition() const;
    void SelectEvent(int event);

    // The module keeps a line break as CR LF; the editor shows it as one line break.
    static QString EditorText(const QString& moduleText);
    // The editor's text as the module takes it: line breaks as CR LF, then filtered and cut.
    static QString ModuleText(const QString& editorText);

protected:
    bool Validate() override;
    void UpdateControlStates() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillConditions();
    void LimitText();
    QString TypedText() const;

    CSMS m_rec;
    QLineEdit* m_recipient = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QString m_acceptedText;  // the editor's text before the last edit, within the limit
    QLineEdit* m_code = nullptr;
    QLabel* m_codeCaption = nullptr;
    QComboBox* m_event = nullptr;
    QComboBox* m_condition = nullptr;
    QLabel* m_conditionCaption = nullptr;
    QLabel* m_timeCaption = nullptr;
    QTimeEdit* m_time = nullptr;
    QSpinBox* m_value1 = nullptr;
    QSpinBox* m_value2 = nullptr;
    QCheckBox* m_flag = nullptr;
};
