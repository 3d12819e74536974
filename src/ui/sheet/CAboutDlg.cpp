// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sheet/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CAppVersion.h"
#include "lang/CLanguage.h"
#include "ui/sheet/CBanner.h"

CAboutDlg::CAboutDlg(bool splash, QWidget* parent) : QDialog(parent), m_splash(splash) {
    setObjectName(QStringLiteral("100"));
    setWindowTitle(Tr(10001));
    auto* layout = new QVBoxLayout(this);
    auto* banner = new CBanner(this);
    banner->setMinimumWidth(420);
    layout->addWidget(banner);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(12, 8, 12, 8);
    auto* text = new QLabel(Tr(350), this);
    text->setObjectName(QStringLiteral("1241"));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* version = new QLabel(Tr(125), this);
    version->setObjectName(QStringLiteral("1242"));
    version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    // The program's own version under the firmware version it speaks.
    auto* program = new QLabel(TrArg(31390, {CAppVersion::Text()}), this);
    program->setAlignment(Qt::AlignRight | Qt::AlignTop);
    auto* versions = new QVBoxLayout;
    versions->addWidget(version);
    versions->addWidget(program);
    versions->addStretch(1);
    row->addWidget(text, 1);
    row->addLayout(versions);
    layout->addLayout(row);
    if (splash) {
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
        text->setTextInteractionFlags(Qt::NoTextInteraction);
        m_timer.setSingleShot(true);
        m_timer.setInterval(kSplashMs);
        connect(&m_timer, &QTimer::timeout, this, &QDialog::accept);
        m_timer.start();
    } else {
        auto* buttons = new QDialogButtonBox(this);
        buttons->addButton(Tr(31121), QDialogButtonBox::AcceptRole)
            ->setObjectName(QStringLiteral("1"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        layout->addWidget(buttons);
    }
}

void CAboutDlg::mousePressEvent(QMouseEvent* event) {
    if (m_splash) {
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
}
