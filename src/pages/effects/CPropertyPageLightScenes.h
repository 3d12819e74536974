// SPDX-License-Identifier: GPL-3.0-or-later
// The light test console. In light-scene test mode (1101 = 6) the eight channel sliders,
// the five level buttons and fades to one of four scenes drive the channels' levels
// (1032 + 2k) on the refresh tick; outside it the sliders show the live levels. Scenes and
// fade time belong to the page alone: nothing of them is stored in the controller.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "ui/page/CMyPropertyPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;

class CPropertyPageLightScenes : public CMyPropertyPage {
    Q_OBJECT
public:
    enum { IdFadeTime = 1173, IdFadeText = 1179, IdProgress = 1178, IdTestMode = 1600 };
    static constexpr int kChannels = 8;
    static constexpr int kScenes = 4;
    static constexpr int kSliderIds[kChannels] = {1174, 1175, 1176, 1177, 1196, 1197, 1198, 1199};
    static constexpr int kLevelTextIds[kChannels] = {1180, 1181, 1182, 1183, 1200, 1201, 1202, 1203};
    static constexpr int kSceneButtonIds[kScenes] = {1160, 1161, 1162, 1163};
    // Level buttons and the level each sets, from the top down.
    static constexpr int kLevelButtonIds[5] = {1185, 1187, 1184, 1186, 1060};
    static constexpr int kLevelButtonLevels[5] = {100, 75, 50, 25, 0};
    static constexpr int kMode = 1101;
    static constexpr int kTestMode = 6;

    static constexpr int SceneEditId(int scene, int channel) {
        return channel < 4 ? 1027 + 4 * scene + channel : 1043 + 4 * scene + channel - 4;
    }
    static constexpr int LevelParameter(int channel) { return 1032 + 2 * channel; }

    // Milliseconds of a free-running counter; only differences count (they may wrap).
    using Clock = std::function<uint32_t()>;

    CPropertyPageLightScenes();

    // Tests drive a fade with their own clock.
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    // Switches light-scene test mode; a refused switch keeps the previous mode.
    void SetTestMode(bool on);
    bool InTestMode() const { return m_testMode; }
    bool IsFading() const { return m_fade.running; }
    int Level(int channel) const { return m_levels[size_t(channel)]; }
    int FadeTime() const { return m_fadeTime; }
    int Scene(int scene, int channel) const { return m_scenes[size_t(scene)][size_t(channel)]; }

    bool OnKillActive() override;
    void OnRemoving() override;

protected:
    void CreateControls() override;
    void OnRefreshTick() override;
    void UpdateControlStates() override;

private:
    void ShowLevel(int channel);
    void SetAllSliders(int level);
    void PressScene(int scene);
    void TakeScenes();
    void TakeFadeTime();
    void StopFade();
    bool ReadLiveLevels();
    // Sends a level; false when it failed (reported once, by the access operation).
    bool SendLevel(int channel, int level);

    struct Fade {
        bool running = false;
        uint32_t startTick = 0;
        std::array<int, kChannels> from{};
        std::array<int, kChannels> to{};
    };

    Clock m_clock;
    std::array<int, kChannels> m_levels{};
    std::array<std::array<int, kChannels>, kScenes> m_scenes{};
    int m_fadeTime = 10;
    Fade m_fade;
    bool m_testMode = false;
    bool m_leaving = false;

    std::array<QSlider*, kChannels> m_sliders{};
    std::array<QLabel*, kChannels> m_levelTexts{};
    std::array<std::array<QLineEdit*, kChannels>, kScenes> m_sceneEdits{};
    std::vector<QPushButton*> m_testButtons;
    QSlider* m_fadeSlider = nullptr;
    QLabel* m_fadeText = nullptr;
    QProgressBar* m_progress = nullptr;
    QCheckBox* m_testBox = nullptr;
};
