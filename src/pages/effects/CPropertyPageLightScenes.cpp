// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/effects/CPropertyPageLightScenes.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "base/CParameterAccess.h"
#include "params/CControllerView.h"
#include "lang/CLanguage.h"
#include "ui/page/CPageRegistry.h"
#include "ui/page/CUpdate.h"
#include "ui/services/CMessageService.h"

KORVALIS_REGISTER_PAGE(CPropertyPageLightScenes);

namespace {
uint32_t SystemTick() {
    static QElapsedTimer since;
    if (!since.isValid()) since.start();
    return uint32_t(since.elapsed());
}

QString LevelText(int level) {
    return QString::number(level) + QLatin1Char('%');
}

template <class T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}
}  // namespace

CPropertyPageLightScenes::CPropertyPageLightScenes() : m_clock(SystemTick) {
    for (int s = 0; s < kScenes; ++s) m_scenes[size_t(s)][size_t(s)] = 100;
}

// --- controls ------------------------------------------------------------------------------------

void CPropertyPageLightScenes::CreateControls() {
    PageTopic(605);
    m_testBox = Named(new QCheckBox(Tr(14401), this), IdTestMode);
    connect(m_testBox, &QCheckBox::toggled, this, [this](bool on) {
        if (!IsFillingControls()) SetTestMode(on);
    });

    auto* channels = new QGroupBox(Tr(14402), this);
    auto* channelGrid = new QGridLayout(channels);
    for (int k = 0; k < kChannels; ++k) {
        auto* number = new QLabel(QString::number(k + 1), channels);
        number->setAlignment(Qt::AlignCenter);
        // 100 % at the top, as on a mixing desk.
        auto* slider = Named(new QSlider(Qt::Vertical, channels), kSliderIds[k]);
        slider->setRange(0, 100);
        slider->setTickInterval(10);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setPageStep(10);
        slider->setMinimumHeight(150);
        auto* text = Named(new QLabel(LevelText(0), channels), kLevelTextIds[k]);
        text->setAlignment(Qt::AlignCenter);
        text->setMinimumWidth(text->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);
        channelGrid->addWidget(number, 0, k, Qt::AlignHCenter);
        channelGrid->addWidget(slider, 1, k, Qt::AlignHCenter);
        channelGrid->addWidget(text, 2, k, Qt::AlignHCenter);
        m_sliders[size_t(k)] = slider;
        m_levelTexts[size_t(k)] = text;
    }
    auto* levelColumn = new QVBoxLayout;
    for (int b = 0; b < 5; ++b) {
        auto* button = Named(new QPushButton(LevelText(kLevelButtonLevels[b]), channels), kLevelButtonIds[b]);
        const int level = kLevelButtonLevels[b];
        connect(button, &QPushButton::clicked, this, [this, level] { SetAllSliders(level); });
        levelColumn->addWidget(button);
        m_testButtons.push_back(button);
    }
    channelGrid->addLayout(levelColumn, 1, kChannels, Qt::AlignVCenter);
    channelGrid->setColumnMinimumWidth(kChannels, 70);

    auto* scenes = new QGroupBox(Tr(14403), this);
    auto* sceneGrid = new QGridLayout(scenes);
    for (int k = 0; k < kChannels; ++k) {
        auto* number = new QLabel(QString::number(k + 1), scenes);
        number->setAlignment(Qt::AlignCenter);
        sceneGrid->addWidget(number, 0, 1 + k);
    }
    auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,3}")), this);
    for (int s = 0; s < kScenes; ++s) {
        auto* button = Named(new QPushButton(TrArg(14404, {QString::number(s + 1)}), scenes), kSceneButtonIds[s]);
        connect(button, &QPushButton::clicked, this, [this, s] { PressScene(s); });
        m_testButtons.push_back(button);
        sceneGrid->addWidget(button, 1 + s, 0);
        for (int k = 0; k < kChannels; ++k) {
            auto* edit = Named(new QLineEdit(scenes), SceneEditId(s, k));
            edit->setValidator(validator);
            edit->setAlignment(Qt::AlignRight);
            edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
            edit->setText(QString::number(m_scenes[size_t(s)][size_t(k)]));
            sceneGrid->addWidget(edit, 1 + s, 1 + k);
            m_sceneEdits[size_t(s)][size_t(k)] = edit;
        }
    }
    sceneGrid->setColumnStretch(kChannels + 1, 1);

    auto* fade = new QGroupBox(Tr(14405), this);
    auto* fadeGrid = new QGridLayout(fade);
    m_fadeSlider = Named(new QSlider(Qt::Horizontal, fade), IdFadeTime);
    m_fadeSlider->setRange(1, 600);
    m_fadeSlider->setTickInterval(30);
    m_fadeSlider->setTickPosition(QSlider::TicksBelow);
    m_fadeSlider->setPageStep(30);
    m_fadeSlider->setValue(m_fadeTime);
    m_fadeText = Named(new QLabel(QStringLiteral("10 s"), fade), IdFadeText);
    m_fadeText->setMinimumWidth(m_fadeText->fontMetrics().horizontalAdvance(QStringLiteral("600 s")) + 4);
    m_progress = Named(new QProgressBar(fade), IdProgress);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    fadeGrid->addWidget(new QLabel(Tr(14406), fade), 0, 0);
    fadeGrid->addWidget(m_fadeSlider, 0, 1);
    fadeGrid->addWidget(m_fadeText, 0, 2);
    fadeGrid->addWidget(new QLabel(Tr(14407), fade), 1, 0);
    fadeGrid->addWidget(m_progress, 1, 1, 1, 2);
    fadeGrid->setColumnStretch(1, 1);
    // The time counts when the slider is let go (or moved by keys, which have no release).
    connect(m_fadeSlider, &QSlider::sliderReleased, this, [this] { TakeFadeTime(); });
    connect(m_fadeSlider, &QSlider::valueChanged, this, [this] {
        if (!m_fadeSlider->isSliderDown()) TakeFadeTime();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_testBox);
    layout->addWidget(channels);
    layout->addWidget(scenes);
    layout->addWidget(fade);
    layout->addStretch(1);
}

void CPropertyPageLightScenes::UpdateControlStates() {
    for (QSlider* s : m_sliders)
        if (s) s->setEnabled(m_testMode);
    for (QPushButton* b : m_testButtons) b->setEnabled(m_testMode);
}

void CPropertyPageLightScenes::ShowLevel(int channel) {
    const int level = m_levels[size_t(channel)];
    if (QSlider* s = m_sliders[size_t(channel)]) {
        const QSignalBlocker quiet(s);
        s->setValue(level);
    }
    if (QLabel* t = m_levelTexts[size_t(channel)]) t->setText(LevelText(level));
}

void CPropertyPageLightScenes::SetAllSliders(int level) {
    // The next tick sends what changed.
    for (QSlider* s : m_sliders)
        if (s) s->setValue(level);
}

void CPropertyPageLightScenes::TakeFadeTime() {
    m_fadeTime = m_fadeSlider->value();
    m_fadeText->setText(QString::number(m_fadeTime) + QLatin1Char('s'));
}

void CPropertyPageLightScenes::TakeScenes() {
    for (int s = 0; s < kScenes; ++s)
        for (int k = 0; k < kChannels; ++k) {
            QLineEdit* edit = m_sceneEdits[size_t(s)][size_t(k)];
            if (!edit) continue;
            const int typed = edit->text().toInt();
            const int level = std::clamp(typed, 0, 100);
            m_scenes[size_t(s)][size_t(k)] = level;
            if (edit->text() != QString::number(level)) edit->setText(QString::number(level));
        }
}

void CPropertyPageLightScenes::PressScene(int scene) {
    TakeScenes();
    // A press during a fade stops it where it is; the next press fades from there.
    if (m_fade.running) {
        StopFade();
        return;
    }
    m_fade.from = m_levels;
    m_fade.to = m_scenes[size_t(scene)];
    m_fade.startTick = m_clock();
    m_fade.running = true;
}

void CPropertyPageLightScenes::StopFade() {
    m_fade.running = false;
    if (m_progress) m_progress->setValue(0);
}

// --- test mode -----------------------------------------------------------------------------------

void CPropertyPageLightScenes::SetTestMode(bool on) {
    if (on != m_testMode) {
        if (WriteParam(kMode, on ? kTestMode : 0) != 0) on = !on;
        m_testMode = on;
        if (!on) StopFade();
    }
    if (m_testBox) {
        CUpdate update(m_fillingControls);
        m_testBox->setChecked(m_testMode);
    }
    RefreshControlStates();
}

bool CPropertyPageLightScenes::OnKillActive() {
    // A fade advances only on this page's ticks: it does not jump ahead when the page returns.
    StopFade();
    // Leaving can happen again from inside the question (a failed switch-off goes to the
    // General page): ask once.
    if (m_testMode && !m_leaving) {
        m_leaving = true;
        QPointer<CPropertyPageLightScenes> self(this);
        const int answer = CMessageService::ShowMessage(330, CMessageService::Icon::Question,
                                                        CMessageService::Buttons::YesNo, {}, this);
        if (!self) return true;
        if (answer == CUserInteraction::IdYes) SetTestMode(false);
        m_leaving = false;
    }
    return CMyPropertyPage::OnKillActive();
}

void CPropertyPageLightScenes::OnRemoving() {
    // The page set goes (disconnect, rebuild): the controller must not stay in test mode.
    if (m_testMode && Controller().IsConnected()) DirectAccess().WriteParameter(kMode, 0);
    m_testMode = false;
    m_fade.running = false;
}

// --- refresh tick --------------------------------------------------------------------------------

bool CPropertyPageLightScenes::ReadLiveLevels() {
    for (int k = 0; k < kChannels; ++k) {
        const std::optional<double> v = Read(LevelParameter(k));
        if (!v) return false;
        // Untrusted: the slider shows what it can.
        m_levels[size_t(k)] = int(std::clamp(*v, 0.0, 100.0));
        ShowLevel(k);
    }
    return true;
}

bool CPropertyPageLightScenes::SendLevel(int channel, int level) {
    m_levels[size_t(channel)] = level;
    ShowLevel(channel);
    // A failure is told once and ends the fade; the level stays shown and is not retried.
    if (WriteParam(LevelParameter(channel), level) == 0) return true;
    m_fade.running = false;
    if (m_progress) m_progress->setValue(0);
    return false;
}

void CPropertyPageLightScenes::OnRefreshTick() {
    if (!m_testMode) {
        if (Controller().IsConnected()) ReadLiveLevels();
        return;
    }
    if (!Controller().Model()) return;
    QPointer<CPropertyPageLightScenes> self(this);
    // The user's slider moves first; they end a running fade.
    bool moved = false;
    for (int k = 0; k < kChannels; ++k) {
        const int v = m_sliders[size_t(k)] ? m_sliders[size_t(k)]->value() : m_levels[size_t(k)];
        if (v == m_levels[size_t(k)]) continue;
        moved = true;
        if (!SendLevel(k, v) || !self) return;
    }
    if (moved) StopFade();
    if (!m_fade.running) return;

    const uint32_t elapsed = m_clock() - m_fade.startTick;
    const int64_t duration = int64_t(m_fadeTime) * 1000;
    const int64_t done = std::min<int64_t>(elapsed, duration);
    if (done >= duration) m_fade.running = false;
    for (int k = 0; k < kChannels; ++k) {
        // In whole numbers, so 10 s at 100 ms ticks reach 1, 2, ... 100 without rounding slips.
        const int64_t from = m_fade.from[size_t(k)];
        const int64_t delta = m_fade.to[size_t(k)] - from;
        const int v = int(std::clamp<int64_t>((from * duration + delta * done) / duration, 0, 100));
        if (v == m_levels[size_t(k)]) continue;
        if (!SendLevel(k, v) || !self) return;
    }
    if (m_progress) m_progress->setValue(m_fade.running ? int(done * 100 / duration) : 0);
}
