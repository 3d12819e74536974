// SPDX-License-Identifier: GPL-3.0-or-later
// What a user does to an edit-and-spin: types into it and leaves it, so the typed text is
// taken (and clamped) as on a real focus change.
#pragma once

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/page/CEditSpin.h"

inline void TypeAndLeave(QWidget* owner, int id, const QString& text) {
    auto* spin = owner->findChild<CEditSpin*>(QString::number(id));
    QLineEdit* edit = spin->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(spin, &out);
}

// Runs step on the next modal dialog of type Dialog once it is open; a dialog the step leaves
// open is cancelled. seen counts the dialogs that opened. The returned timer watches until
// then (a test that expects no dialog stops it).
template <class Dialog>
QTimer* WhenModalOpens(std::function<void(Dialog*)> step, int* seen = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step, seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        timer->stop();
        timer->deleteLater();
        if (seen) ++*seen;
        step(dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    timer->start();
    return timer;
}
