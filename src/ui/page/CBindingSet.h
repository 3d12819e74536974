// SPDX-License-Identifier: GPL-3.0-or-later
// The controls of a page or dialog tied to the fields they edit. Each binding knows how to
// copy its field into its control and back; a user edit asks the owner first (acceptEdit),
// then reports the change key (edited). While the owner fills its controls (filling), no
// notification goes out. Pages (CMyPropertyPage) and record dialogs (CFieldDialog) share it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class CEditSpin;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QWidget;

class CBindingSet : public QObject {
    Q_OBJECT
public:
    // A change key: a number, or a stable int that may still change after binding (a
    // declared field's key).
    class Key {
    public:
        Key(int key) : m_value(key) {}
        Key(const int* ref) : m_ref(ref) {}
        int operator()() const { return m_ref ? *m_ref : m_value; }

    private:
        int m_value = 0;
        const int* m_ref = nullptr;
    };

    // owner: parent of the controls made here; filling: the owner's "filling controls" flag.
    CBindingSet(QWidget* owner, const bool& filling);

    // Asked before an edit of key is taken; false puts the controls back from the fields.
    std::function<bool(int key)> acceptEdit;
    // A user edit of key, fields already updated from the controls.
    std::function<void(int key)> edited;
    // The user typed into an edit-and-spin of key; the value follows on Enter or focus loss.
    std::function<void(int key)> typed;

    void ToControls();
    // Typed text not yet confirmed is taken too, so what a field shows is what is written.
    void ToFields();

    // Real value with spin buttons: position = value x factor, clamped to min..max on
    // focus loss.
    CEditSpin* EditSpin(int id, double& field, Key key, double factor, double minimum,
                        double maximum);
    CEditSpin* EditSpin(CEditSpin* control, double& field, Key key);
    QCheckBox* Check(int id, bool& field, Key key, const QString& text = {});
    // field -1 (or an index beyond the list) shows no selection and is kept as it is.
    QComboBox* Combo(int id, int& field, Key key, const QStringList& items = {});
    QLineEdit* LineEdit(int id, QString& field, Key key, int maxLength = 0);
    // Minutes after midnight, or seconds with withSeconds.
    QTimeEdit* Time(int id, int& field, Key key, bool withSeconds = false);
    // Day numbers (day 0 = 1 January 2000), 2000..2099.
    QDateEdit* Date(int id, int& field, Key key);
    // Radio buttons ids[k] with texts[k]; field = the checked one's index, -1 = none.
    QButtonGroup* Radio(const std::vector<int>& ids, int& field, Key key,
                        const QStringList& texts = {});
    // Check boxes ids[k] for bit firstBit + k of mask; other bits of mask are kept.
    std::vector<QCheckBox*> Bits(const std::vector<int>& ids, uint32_t& mask, Key key,
                                 const QStringList& texts = {}, int firstBit = 0);
    // A read-only value: text() is shown whenever the controls are filled.
    QLabel* Label(int id, std::function<QString()> text);

    // Any other control: how to copy both ways; report user changes through Edited(key).
    void Add(QWidget* control, std::function<void()> toControl, std::function<void()> toField);
    void Edited(int key);

private:
    void Typed(CEditSpin* control, Key key);

    struct Binding {
        QPointer<QWidget> control;
        std::function<void()> toControl;
        std::function<void()> toField;
    };
    QWidget* m_owner;
    const bool& m_filling;
    // Set while a refused edit puts the controls back, so the restore is no edit itself.
    bool m_restoring = false;
    std::vector<Binding> m_bindings;
};
