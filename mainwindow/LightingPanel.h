// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The lighting panel of the main window: the lighting mode switch, the effect list and the
// options of the effect chosen (brightness, speed, direction, colours, four-colour choice, report
// rate), with the user colour modes of effect 20 inside it. Every change goes to the keyboard at
// once, as the one or two bytes it touches; a change the keyboard refuses is not shown as done.
// While lighting mode is on, key clicks paint keys and the preview runs.

#include "mainwindow/PanelPictures.h"
#include "model/Lighting.h"
#include "model/PreviewEngine.h"

#include <QObject>
#include <QString>
#include <array>
#include <filesystem>
#include <memory>
#include <vector>

class CBitmapSlider;
class CKestrowDlg;
class CPngButton;
class CSkinColorBtn;
class ColorStatic;
class PictureStatic;
class PreviewKeyFrames;
class QComboBox;
class QLineEdit;
class QWidget;
class UserColourModes;

class LightingPanel : public QObject {
    Q_OBJECT

public:
    // Controls, children of the main window.
    static constexpr int kIdEffectList = 1146;
    static constexpr int kIdDirectionLabel = 1148;
    static constexpr int kIdDirectionFirst = 1149;
    static constexpr int kIdDirectionSecond = 1150;
    static constexpr int kIdReactionLabel = 1151;
    static constexpr int kIdReactionColour = 1152;
    static constexpr int kIdColourLabel = 1154;
    static constexpr int kIdColour = 1155;
    static constexpr int kIdMulticolour = 1156;
    static constexpr int kIdStaticColourLabel = 1157;
    static constexpr int kIdStaticColour = 1158;
    static constexpr int kIdSpeedLabel = 1166;
    static constexpr int kIdSwitch = 1167;
    static constexpr int kIdSwitchLabel = 1171;
    static constexpr int kIdBrightnessLabel = 1172;
    static constexpr int kIdMulticolourLabel = 1173;
    static constexpr int kIdReactionMulticolour = 1175;
    static constexpr int kIdReactionMulticolourLabel = 1176;
    static constexpr int kIdBrightness = 1178;
    static constexpr int kIdSpeed = 1179;
    static constexpr int kIdGridTrigger = 1180;
    static constexpr int kIdSingleTriggerLabel = 1181;
    static constexpr int kIdTriggerLabel = 1182;
    static constexpr int kIdSingleTrigger = 1183;
    static constexpr int kIdGridTriggerLabel = 1184;
    static constexpr int kIdSecondColourLabel = 1186;
    static constexpr int kIdSecondColour = 1187;
    static constexpr int kIdSecondMulticolour = 1188;
    static constexpr int kIdSecondMulticolourLabel = 1189;
    static constexpr int kIdThirdColourLabel = 1190;
    static constexpr int kIdThirdColour = 1191;
    static constexpr int kIdThirdMulticolour = 1192;
    static constexpr int kIdThirdMulticolourLabel = 1193;
    static constexpr std::array<int, 4> kFourColourIds = {1194, 1195, 1196, 1197}; // red..blue
    static constexpr std::array<int, 4> kReportRateIds = {1147, 1168, 1169, 1170}; // rate 0..3
    static constexpr int kIdReportRateLabel = 1204;
    static constexpr int kIdRgbLabel = 1207;
    static constexpr std::array<int, 3> kColourEditIds = {1208, 1209, 1210}; // red, green, blue
    static constexpr int kIdFirstPreset = 1211;                              // 1211..1218
    static constexpr int kPresetCount = 8;
    static constexpr std::array<int, 3> kWebButtonIds = {1219, 1220, 1221};

    // Slider positions, brightness and speed alike.
    static constexpr int kSliderMax = 5;
    static constexpr int kSliderPageStep = 10;
    // The speed slider shows (6 + position).bmp, the brightness slider position.bmp.
    static constexpr int kSpeedPictureBase = 6;

    explicit LightingPanel(CKestrowDlg& window);
    ~LightingPanel() override;

    // Once, after the skin is loaded: creates and places every control (hidden but for the
    // switch and its label), loads the pictures and sets the sliders and colour buttons up.
    void SetUpPanel();
    // Shows the lighting state as it is now.
    void RefreshPanel();
    // The captions and the effect names in another language.
    void Relabel(int languageIndex);

    // The rereads of the lighting: DengCheck, the info block and the three records.
    // After an arrival: with the user colour modes (loaded and uploaded) and the link flags.
    void ReloadAfterArrival();
    // After the keyboard changed its lighting itself (timer 1051).
    void ReloadAndRefresh();
    // A profile button: the panel shows profile n's lighting and leaves lighting mode.
    void ShowProfile(int n);
    // The keyboard changed something of its profile (timer 1053). profileFollowed tells whether
    // the window now follows the keyboard's active profile; only then are the user colour files
    // reset from the template.
    void OnProfileNotice(bool profileFollowed);
    // The profile bar's restore default, while lighting mode is on.
    void RestoreLightingDefaults();

    // The slider notice 0x28D1.
    void OnSliderMoved(int id, int position);
    // A click on a key of the picture while lighting mode is on.
    void OnKeyClicked(int id);
    // Timer 1052: one preview step, shown on the key buttons, while lighting mode is on and the
    // window can be seen; a hidden or minimized window does no preview work at all.
    void PreviewTick();
    // After the keyboard went: the focus passes the effect list on to the first profile button.
    void MoveFocusAfterDisconnection();

    bool LightingMode() const { return lightingMode_; }
    // The click handler of the switch: turns lighting mode on or off.
    void SetLightingMode();
    void TurnLightingModeOff();

    // The effect code selected in the effect list, 0 for none.
    uint8_t SelectedEffect() const;
    UserColourModes& UserModes() const { return *userModes_; }
    const PanelPictures& Pictures() const { return pictures_; }
    PreviewEngine& Preview() { return preview_; }

private:
    enum class Visibility { Hidden, Shown };

    // Controls (LightingPanelControls.cpp).
    void CreateControls();
    void PlaceControls();
    void ConnectControls();
    ColorStatic* MakeLabel(int id, Visibility visibility);
    PictureStatic* MakePicture(int id, Visibility visibility);
    CSkinColorBtn* MakeColourButton(int id, Visibility visibility);
    CBitmapSlider* MakeSlider(int id);
    CPngButton* MakeImageButton(int id);
    void ReadWebAddresses();
    // Shows exactly the controls of the effect's options; with lighting mode off none.
    void ApplyOptionGroups(uint8_t effect);
    void ShowGroup(std::initializer_list<QWidget*> controls, bool shown);
    // Moves the direction controls to the position set of the effect, keeping their sizes.
    void MoveDirectionControls(uint8_t effect);
    // The direction pair in the form of the effect, for the stored direction.
    void ShowDirectionPictures(uint8_t effect);
    void ShowMulticolourPictures(bool multicolour);
    void ShowFourColourPictures(int choice);
    void CheckReportRate(int rate);
    void ShowSliders();
    void FillEffectList();

    // Handlers (LightingPanel.cpp).
    void OnEffectSelected(int position);
    void SelectEffect(uint8_t code);
    // The selection's steps without the check of its write; returns the write's result.
    int ApplyEffect(uint8_t code);
    void OnDirectionClicked(uint8_t direction);
    void OnColourChosen();
    void OnReactionColourChosen();
    void OnMulticolourClicked();
    void OnReactionMulticolourClicked();
    void OnFourColourClicked(int choice);
    void OnReportRateClicked(int rate);
    void OnPresetClicked(int preset);
    void OnColourEdited(int index);
    void OnWebButtonClicked(int index);
    // Reads DengCheck (it only ever turns lighting mode on) and the lighting.
    void ReloadLightingWithMode();
    // The result of a change's writes: a refusal shows what the keyboard holds and tells the
    // user. `before` is the state the change started from.
    void CheckWritten(int result, const LightingState& before);

    CKestrowDlg& window_;
    PanelPictures pictures_;
    PreviewEngine preview_;
    std::unique_ptr<PreviewKeyFrames> previewFrames_;
    std::unique_ptr<UserColourModes> userModes_;
    bool lightingMode_ = false;

    ColorStatic* switchLabel_ = nullptr;
    PictureStatic* switch_ = nullptr;
    QComboBox* effectList_ = nullptr;
    ColorStatic* brightnessLabel_ = nullptr;
    CBitmapSlider* brightness_ = nullptr;
    ColorStatic* speedLabel_ = nullptr;
    CBitmapSlider* speed_ = nullptr;
    ColorStatic* directionLabel_ = nullptr;
    PictureStatic* directionFirst_ = nullptr;
    PictureStatic* directionSecond_ = nullptr;
    ColorStatic* colourLabel_ = nullptr;
    CSkinColorBtn* colour_ = nullptr;
    PictureStatic* multicolour_ = nullptr;
    ColorStatic* multicolourLabel_ = nullptr;
    ColorStatic* reactionLabel_ = nullptr;
    CSkinColorBtn* reactionColour_ = nullptr;
    PictureStatic* reactionMulticolour_ = nullptr;
    ColorStatic* reactionMulticolourLabel_ = nullptr;
    std::array<PictureStatic*, 4> fourColours_{};
    ColorStatic* reportRateLabel_ = nullptr;
    std::array<CPngButton*, 4> reportRates_{};
    std::array<PictureStatic*, kPresetCount> presets_{};
    std::array<QLineEdit*, 3> colourEdits_{};
    std::array<CPngButton*, 3> webButtons_{};
    std::array<QString, 3> webAddresses_;
    // Created hidden and never shown: the static colour, trigger, second and third colours.
    std::vector<QWidget*> neverShown_;
    bool reportingRefusal_ = false;
};
