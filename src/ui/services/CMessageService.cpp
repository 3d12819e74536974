// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/services/CMessageService.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "lang/CLanguage.h"

namespace {
CMessageService::Handler g_handler;
QPointer<QWidget> g_defaultParent;

QMessageBox::Icon BoxIcon(CMessageService::Icon icon) {
    switch (icon) {
        case CMessageService::Icon::Stop:
            return QMessageBox::Critical;
        case CMessageService::Icon::Warning:
            return QMessageBox::Warning;
        case CMessageService::Icon::Question:
            return QMessageBox::Question;
        case CMessageService::Icon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    int answer;
    int textId;
    QMessageBox::ButtonRole role;
};

QList<ButtonSpec> ButtonSet(CMessageService::Buttons buttons) {
    using A = CUserInteraction;
    switch (buttons) {
        case CMessageService::Buttons::Ok:
            return {{A::IdOk, StringId(31121), QMessageBox::AcceptRole}};
        case CMessageService::Buttons::OkCancel:
            return {{A::IdOk, StringId(31121), QMessageBox::AcceptRole},
                    {A::IdCancel, StringId(31122), QMessageBox::RejectRole}};
        case CMessageService::Buttons::YesNo:
            return {{A::IdYes, StringId(31123), QMessageBox::YesRole},
                    {A::IdNo, StringId(31124), QMessageBox::NoRole}};
        case CMessageService::Buttons::YesNoCancel:
            return {{A::IdYes, StringId(31123), QMessageBox::YesRole},
                    {A::IdNo, StringId(31124), QMessageBox::NoRole},
                    {A::IdCancel, StringId(31122), QMessageBox::RejectRole}};
        case CMessageService::Buttons::AbortRetryIgnore:
            return {{A::IdAbort, StringId(31125), QMessageBox::RejectRole},
                    {A::IdRetry, StringId(31126), QMessageBox::AcceptRole},
                    {A::IdIgnore, StringId(31127), QMessageBox::ActionRole}};
    }
    return {};
}

const char* FallbackText(int answer) {
    using A = CUserInteraction;
    switch (answer) {
        case A::IdOk: return "OK";
        case A::IdCancel: return "Cancel";
        case A::IdYes: return "Yes";
        case A::IdNo: return "No";
        case A::IdAbort: return "Abort";
        case A::IdRetry: return "Retry";
        case A::IdIgnore: return "Ignore";
    }
    return "OK";
}

int Run(const CMessageService::Shown& shown, QWidget* parent) {
    if (g_handler) return g_handler(shown);
    if (!parent) parent = g_defaultParent;
    QMessageBox box(parent);
    box.setIcon(BoxIcon(shown.icon));
    const QString title = Tr(102);
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("Korvalis Control") : title);
    box.setText(shown.text);
    QList<QPair<QAbstractButton*, int>> map;
    for (const ButtonSpec& spec : ButtonSet(shown.buttons)) {
        // Without a catalogue (it failed to load) the buttons keep their plain English words.
        QString text = Tr(spec.textId);
        if (text.isEmpty()) text = QString::fromLatin1(FallbackText(spec.answer));
        QPushButton* b = box.addButton(text, spec.role);
        map.append({b, spec.answer});
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, answer] : map)
        if (button == clicked) return answer;
    return CMessageService::EscapeAnswer(shown.buttons);
}
}  // namespace

int CMessageService::EscapeAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return CUserInteraction::IdOk;
        case Buttons::YesNo:
            return CUserInteraction::IdNo;
        case Buttons::AbortRetryIgnore:
            return CUserInteraction::IdAbort;
        case Buttons::OkCancel:
        case Buttons::YesNoCancel:
            return CUserInteraction::IdCancel;
    }
    return CUserInteraction::IdCancel;
}

int CMessageService::ShowMessage(int stringId, Icon icon, Buttons buttons, const QStringList& args,
                                 QWidget* parent) {
    Shown shown;
    shown.stringId = stringId;
    shown.text = TrArg(stringId, args);
    if (shown.text.isEmpty()) shown.text = QStringLiteral("#%1").arg(stringId);
    shown.icon = icon;
    shown.buttons = buttons;
    return Run(shown, parent);
}

int CMessageService::ShowText(const QString& text, Icon icon, Buttons buttons, QWidget* parent) {
    Shown shown;
    shown.text = text;
    shown.icon = icon;
    shown.buttons = buttons;
    return Run(shown, parent);
}

void CMessageService::SetHandler(Handler handler) {
    g_handler = std::move(handler);
}

bool CMessageService::HasHandler() {
    return static_cast<bool>(g_handler);
}

void CMessageService::SetDefaultParent(QWidget* parent) {
    g_defaultParent = parent;
}
