// SPDX-License-Identifier: GPL-3.0-or-later
// The lighting panel's controls: creating them, placing them where the skin puts them, their
// captions, and which of them an effect shows.

#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "mainwindow/PanelControls.h"
#include "mainwindow/PreviewKeyFrames.h"
#include "mainwindow/UserColourModes.h"
#include "mainwindow/WindowText.h"
#include "skin/CIniFile.h"
#include "skin/ui/CBitmapSlider.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/CSkinColorBtn.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/PictureStatic.h"
#include "skin/ui/Placement.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QUrl>

namespace {

constexpr const char* kButtonInfo = "BUTTONINFO";
constexpr const char* kScreen = "SCREEN";
// The web buttons' addresses in section SCREEN of the skin; an empty one hides its button.
constexpr std::array<const char*, 3> kWebAddressKeys = {"NetworkLink", "FacebookLink",
                                                        "TwitterLink"};
constexpr size_t kMaxAddressLength = 260;

// Where each control of the panel goes.
struct PanelPlace {
    int id;
    const char* skinKey;
};
constexpr PanelPlace kPlaces[] = {
    {LightingPanel::kIdSwitchLabel, "CONTROL_DengStatic"},
    {LightingPanel::kIdSwitch, "CONTROL_DengStaPic"},
    {LightingPanel::kIdEffectList, "CONTROL_XGcombox"},
    {LightingPanel::kIdBrightnessLabel, "CONTROL_LightStatic"},
    {LightingPanel::kIdBrightness, "CONTROL_LightSlider"},
    {LightingPanel::kIdSpeedLabel, "CONTROL_SpeedStatic"},
    {LightingPanel::kIdSpeed, "CONTROL_SpeedSlider"},
    {LightingPanel::kIdDirectionLabel, "CONTROL_BLFXStatic"},
    {LightingPanel::kIdDirectionFirst, "CONTROL_BLFXLStaPic"},
    {LightingPanel::kIdDirectionSecond, "CONTROL_BLFXRStaPic"},
    {LightingPanel::kIdColourLabel, "CONTROL_HXysStatic"},
    {LightingPanel::kIdColour, "CONTROL_HXysButton"},
    {LightingPanel::kIdMulticolour, "CONTROL_HXsjsStaPic"},
    {LightingPanel::kIdMulticolourLabel, "CONTROL_HXsjsStatic"},
    {LightingPanel::kIdReactionLabel, "CONTROL_FYYSStatic"},
    {LightingPanel::kIdReactionColour, "CONTROL_FYYSButton"},
    {LightingPanel::kIdReactionMulticolour, "CONTROL_FYSJSStaPic"},
    {LightingPanel::kIdReactionMulticolourLabel, "CONTROL_FYSJSStatic"},
    {LightingPanel::kFourColourIds[0], "CONTROL_HONGPIC"},
    {LightingPanel::kFourColourIds[1], "CONTROL_HUANGPIC"},
    {LightingPanel::kFourColourIds[2], "CONTROL_LVPIC"},
    {LightingPanel::kFourColourIds[3], "CONTROL_LANPIC"},
    {LightingPanel::kIdReportRateLabel, "CONTROL_UsbStatic"},
    {LightingPanel::kIdRgbLabel, "CONTROL_RGBStatic"},
    {LightingPanel::kColourEditIds[0], "COLOR_R"},
    {LightingPanel::kColourEditIds[1], "COLOR_G"},
    {LightingPanel::kColourEditIds[2], "COLOR_B"},
    {LightingPanel::kIdStaticColourLabel, "CONTROL_JTysStatic"},
    {LightingPanel::kIdStaticColour, "CONTROL_JTysButton"},
    {LightingPanel::kIdTriggerLabel, "CONTROL_FYCFStatic"},
    {LightingPanel::kIdSingleTriggerLabel, "CONTROL_FYdjcfStatic"},
    {LightingPanel::kIdGridTriggerLabel, "CONTROL_FYggcfStatc"},
    {LightingPanel::kIdSingleTrigger, "CONTROL_FYdjcfStaPic"},
    {LightingPanel::kIdGridTrigger, "CONTROL_FYggcfStaPic"},
    {LightingPanel::kIdSecondColourLabel, "CONTROL_TSysStatic"},
    {LightingPanel::kIdSecondColour, "CONTROL_TSysButton"},
    {LightingPanel::kIdSecondMulticolourLabel, "CONTROL_TSsjsStatic"},
    {LightingPanel::kIdSecondMulticolour, "CONTROL_TSsjsStaPic"},
    {LightingPanel::kIdThirdColourLabel, "CONTROL_CDysStatic"},
    {LightingPanel::kIdThirdColour, "CONTROL_CDysButton"},
    {LightingPanel::kIdThirdMulticolourLabel, "CONTROL_CDsjsStatic"},
    {LightingPanel::kIdThirdMulticolour, "CONTROL_CDsjsStaPic"},
};
constexpr std::array<const char*, 4> kReportRateKeys = {"FUNC_REPORT1", "FUNC_REPORT2",
                                                        "FUNC_REPORT3", "FUNC_REPORT4"};
constexpr std::array<const char*, 3> kWebButtonKeys = {"CONTROL_Network", "CONTROL_Facebook",
                                                       "CONTROL_twitter"};
// The direction controls' three position sets: the keys as they are (effect 18 and the
// others), with "2" (effects 1, 2, 3) and with "3" (effect 12).
constexpr std::array<const char*, 3> kDirectionKeys = {"CONTROL_BLFXStatic", "CONTROL_BLFXLStaPic",
                                                       "CONTROL_BLFXRStaPic"};

const QString kEditStyle =
    QStringLiteral("QLineEdit { background: rgba(255,255,255,24); color: white; "
                   "border: 1px solid rgba(255,255,255,60); border-radius: 3px; }");

// The lighting effect list takes no arrow keys: they would send one effect after another.
class ArrowKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                key == Qt::Key_Down) {
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

ColorStatic* LightingPanel::MakeLabel(int id, Visibility visibility) {
    ColorStatic* label = MakePanelLabel(&window_, id);
    label->setVisible(visibility == Visibility::Shown);
    if (visibility == Visibility::Hidden) {
        neverShown_.push_back(label);
    }
    return label;
}

PictureStatic* LightingPanel::MakePicture(int id, Visibility visibility) {
    auto* picture = new PictureStatic(&window_, id);
    picture->setVisible(visibility == Visibility::Shown);
    if (visibility == Visibility::Hidden) {
        neverShown_.push_back(picture);
    }
    return picture;
}

CSkinColorBtn* LightingPanel::MakeColourButton(int id, Visibility visibility) {
    CSkinColorBtn* button = MakePanelColourButton(&window_, id);
    button->setVisible(visibility == Visibility::Shown);
    if (visibility == Visibility::Hidden) {
        neverShown_.push_back(button);
    }
    return button;
}

CBitmapSlider* LightingPanel::MakeSlider(int id) {
    auto* slider = new CBitmapSlider(&window_, id);
    slider->SetRange(0, kSliderMax);
    slider->SetPageSize(kSliderPageStep);
    return slider;
}

CPngButton* LightingPanel::MakeImageButton(int id) {
    auto* button = new CPngButton(&window_, id);
    SetControlId(button, id);
    return button;
}

void LightingPanel::CreateControls() {
    switchLabel_ = MakeLabel(kIdSwitchLabel, Visibility::Shown);
    switch_ = MakePicture(kIdSwitch, Visibility::Shown);
    effectList_ = MakePanelList(&window_, kIdEffectList);
    effectList_->installEventFilter(new ArrowKeyFilter(effectList_));
    brightnessLabel_ = MakeLabel(kIdBrightnessLabel, Visibility::Shown);
    brightness_ = MakeSlider(kIdBrightness);
    speedLabel_ = MakeLabel(kIdSpeedLabel, Visibility::Shown);
    speed_ = MakeSlider(kIdSpeed);
    directionLabel_ = MakeLabel(kIdDirectionLabel, Visibility::Shown);
    directionFirst_ = MakePicture(kIdDirectionFirst, Visibility::Shown);
    directionSecond_ = MakePicture(kIdDirectionSecond, Visibility::Shown);
    colourLabel_ = MakeLabel(kIdColourLabel, Visibility::Shown);
    colour_ = MakeColourButton(kIdColour, Visibility::Shown);
    multicolour_ = MakePicture(kIdMulticolour, Visibility::Shown);
    multicolourLabel_ = MakeLabel(kIdMulticolourLabel, Visibility::Shown);
    reactionLabel_ = MakeLabel(kIdReactionLabel, Visibility::Shown);
    reactionColour_ = MakeColourButton(kIdReactionColour, Visibility::Shown);
    reactionMulticolour_ = MakePicture(kIdReactionMulticolour, Visibility::Shown);
    reactionMulticolourLabel_ = MakeLabel(kIdReactionMulticolourLabel, Visibility::Shown);
    for (size_t i = 0; i < fourColours_.size(); ++i) {
        fourColours_[i] = MakePicture(kFourColourIds[i], Visibility::Shown);
    }
    reportRateLabel_ = MakeLabel(kIdReportRateLabel, Visibility::Shown);
    for (size_t i = 0; i < reportRates_.size(); ++i) {
        reportRates_[i] = MakeImageButton(kReportRateIds[i]);
    }
    for (size_t i = 0; i < webButtons_.size(); ++i) {
        webButtons_[i] = MakeImageButton(kWebButtonIds[i]);
    }
    for (int i = 0; i < kPresetCount; ++i) {
        presets_[static_cast<size_t>(i)] = MakePicture(kIdFirstPreset + i, Visibility::Hidden);
    }
    MakeLabel(kIdRgbLabel, Visibility::Hidden)->setText(QStringLiteral("RGB"));
    // The red, green and blue of the last preset; kept hidden with the presets they show.
    for (size_t i = 0; i < colourEdits_.size(); ++i) {
        auto* edit = new QLineEdit(&window_);
        SetControlId(edit, kColourEditIds[i]);
        edit->setStyleSheet(kEditStyle);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        edit->hide();
        neverShown_.push_back(edit);
        colourEdits_[i] = edit;
    }
    // What no effect of the panel shows: the static colour, the trigger modes, the second and
    // third colours.
    MakeLabel(kIdStaticColourLabel, Visibility::Hidden);
    MakeColourButton(kIdStaticColour, Visibility::Hidden);
    for (int id :
         {kIdTriggerLabel, kIdSingleTriggerLabel, kIdGridTriggerLabel, kIdSecondColourLabel,
          kIdSecondMulticolourLabel, kIdThirdColourLabel, kIdThirdMulticolourLabel}) {
        MakeLabel(id, Visibility::Hidden);
    }
    for (int id : {kIdSingleTrigger, kIdGridTrigger, kIdSecondMulticolour, kIdThirdMulticolour}) {
        MakePicture(id, Visibility::Hidden);
    }
    MakeColourButton(kIdSecondColour, Visibility::Hidden);
    MakeColourButton(kIdThirdColour, Visibility::Hidden);
    userModes_->CreateControls();
}

void LightingPanel::PlaceControls() {
    const std::filesystem::path file = window_.IniPath();
    for (const PanelPlace& place : kPlaces) {
        PlaceControl(FindControl(&window_, place.id), file, kButtonInfo, place.skinKey);
    }
    const QPixmap* normal = &window_.KeyImage(CKestrowDlg::kNormal);
    const QPixmap* over = &window_.KeyImage(CKestrowDlg::kOver);
    const QPixmap* down = &window_.KeyImage(CKestrowDlg::kDown);
    const QPixmap* disabled = &window_.KeyImage(CKestrowDlg::kDisable);
    // A chosen report rate shows the window's disabled-state picture.
    for (size_t i = 0; i < reportRates_.size(); ++i) {
        PlaceImageControl(reportRates_[i], file, kButtonInfo, kReportRateKeys[i], normal, over,
                          down, normal, disabled);
    }
    for (size_t i = 0; i < webButtons_.size(); ++i) {
        PlaceImageControl(webButtons_[i], file, kButtonInfo, kWebButtonKeys[i], normal, over, down,
                          normal, normal);
    }
    for (int i = 0; i < kPresetCount; ++i) {
        PlaceControl(presets_[static_cast<size_t>(i)], file, kButtonInfo,
                     "CONTROL_Color" + std::to_string(i + 1));
    }
    userModes_->PlaceControls(file);
}

void LightingPanel::ReadWebAddresses() {
    const CIniFile skin(window_.IniPath().string());
    for (size_t i = 0; i < webAddresses_.size(); ++i) {
        const std::string text = skin.GetString(kScreen, kWebAddressKeys[i]).value_or("");
        // Only web pages: a skin is outside data and must not make a button open a file or a
        // program.
        const QUrl address(Q(text.substr(0, kMaxAddressLength)).trimmed(), QUrl::StrictMode);
        const QString scheme = address.scheme().toLower();
        const bool web = address.isValid() && (scheme == "http" || scheme == "https") &&
                         !address.host().isEmpty();
        webAddresses_[i] = web ? address.toString() : QString();
        webButtons_[i]->SetTooltipText(webAddresses_[i]);
    }
}

void LightingPanel::SetUpPanel() {
    pictures_.Load(window_.SkinFolder());
    CreateControls();
    PlaceControls();
    ReadWebAddresses();
    previewFrames_ = std::make_unique<PreviewKeyFrames>(window_);
    // The sliders keep the size the skin gives them, whatever their pictures.
    brightness_->SetPicture(pictures_.Numbered(0));
    speed_->SetPicture(pictures_.Numbered(kSpeedPictureBase));
    for (int i = 0; i < kPresetCount; ++i) {
        presets_[static_cast<size_t>(i)]->SetPicture(pictures_.Of("Color" + std::to_string(i + 1)));
    }
    switch_->SetPicture(pictures_.Of("dengup"));
    ConnectControls();
    ApplyOptionGroups(Lighting().state.effect);
    Relabel(CurrentLanguageIndex());
}

void LightingPanel::Relabel(int languageIndex) {
    auto light = [languageIndex](const char* key) { return Q(LightText(key, languageIndex)); };
    SetPanelLabelText(reportRateLabel_, light("Usb"));
    SetPanelLabelText(switchLabel_, light("Deng"));
    SetPanelLabelText(brightnessLabel_, light("Light"));
    SetPanelLabelText(directionLabel_, light("FX"));
    SetPanelLabelText(speedLabel_, light("Speed"));
    SetPanelLabelText(colourLabel_, light("Color"));
    SetPanelLabelText(reactionLabel_, light("Color"));
    SetPanelLabelText(multicolourLabel_, light("DC"));
    SetPanelLabelText(reactionMulticolourLabel_, light("DC"));
    userModes_->Relabel(light("Color"), light("JColor"), light("Tool"));
    for (size_t i = 0; i < reportRates_.size(); ++i) {
        reportRates_[i]->setText(QString::number(i + 1));
        reportRates_[i]->SetTextStyle(true, kSmallButtonTextSize, kArialUnicode, SkinTextColours());
    }
    // The effect names are language texts too.
    FillEffectList();
    if (const int at = Lighting().effects.PositionOf(Lighting().state.effect); at >= 0) {
        const QSignalBlocker blocker(effectList_);
        effectList_->setCurrentIndex(at);
    }
}

void LightingPanel::FillEffectList() {
    const QSignalBlocker blocker(effectList_);
    effectList_->clear();
    for (const auto& [position, code] : Lighting().effects.entries) {
        effectList_->addItem(Q(EffectName(code)));
    }
}

void LightingPanel::ShowGroup(std::initializer_list<QWidget*> controls, bool shown) {
    for (QWidget* control : controls) {
        control->setVisible(shown);
    }
}

void LightingPanel::ApplyOptionGroups(uint8_t effect) {
    const EffectOptions o = OptionsOfEffect(effect);
    const bool on = lightingMode_;
    // The effect list stays while lighting mode is on, whatever the effect: it is the only way
    // from an effect without options to another.
    ShowGroup({effectList_}, on);
    ShowGroup({brightnessLabel_, brightness_}, on && o.brightness);
    ShowGroup({speedLabel_, speed_}, on && o.speed);
    ShowGroup({directionLabel_, directionFirst_, directionSecond_},
              on && o.direction != DirectionPair::None);
    ShowGroup({fourColours_[0], fourColours_[1], fourColours_[2], fourColours_[3]},
              on && o.fourColour);
    ShowGroup({reactionLabel_, reactionColour_, reactionMulticolour_, reactionMulticolourLabel_},
              on && o.reactionColourGroup);
    ShowGroup({colourLabel_, colour_, multicolourLabel_, multicolour_}, on && o.colourGroup);
    userModes_->ShowControls(on && o.userColours);
    // The report rate and the maker's pages belong to the panel, not to an effect.
    ShowGroup(
        {reportRateLabel_, reportRates_[0], reportRates_[1], reportRates_[2], reportRates_[3]}, on);
    for (size_t i = 0; i < webButtons_.size(); ++i) {
        webButtons_[i]->setVisible(on && !webAddresses_[i].isEmpty());
    }
    for (QWidget* control : neverShown_) {
        control->hide();
    }
}

void LightingPanel::MoveDirectionControls(uint8_t effect) {
    const DirectionPair pair = OptionsOfEffect(effect).direction;
    const char* suffix = pair == DirectionPair::LeftRight ? "2"
                         : pair == DirectionPair::UpDown  ? "3"
                                                          : "";
    QWidget* controls[] = {directionLabel_, directionFirst_, directionSecond_};
    for (size_t i = 0; i < kDirectionKeys.size(); ++i) {
        MoveControlTo(controls[i], window_.IniPath(), kButtonInfo,
                      std::string(kDirectionKeys[i]) + suffix);
    }
}

void LightingPanel::ShowDirectionPictures(uint8_t effect) {
    // First and second picture, each with the first or the second choice selected.
    struct Form {
        const char* firstSelected[2];
        const char* secondSelected[2];
    };
    static constexpr Form kLeftRight = {{"leftdown", "rightup"}, {"leftup", "rightdown"}};
    static constexpr Form kUpDown = {{"updown", "downup"}, {"upup", "downdown"}};
    static constexpr Form kDiffuse = {{"kuosandown", "julong"}, {"kuosan", "julongdown"}};
    const DirectionPair pair = OptionsOfEffect(effect).direction;
    const Form& form = pair == DirectionPair::UpDown            ? kUpDown
                       : pair == DirectionPair::DiffuseConverge ? kDiffuse
                                                                : kLeftRight;
    const bool first = IsFirstDirection(Lighting().state.direction);
    const auto& names = first ? form.firstSelected : form.secondSelected;
    directionFirst_->SetPicture(pictures_.Of(names[0]));
    directionSecond_->SetPicture(pictures_.Of(names[1]));
}

void LightingPanel::ShowMulticolourPictures(bool multicolour) {
    const QPixmap& picture = pictures_.Of(multicolour ? "sjsdown" : "sjsup");
    multicolour_->SetPicture(picture);
    reactionMulticolour_->SetPicture(picture);
}

void LightingPanel::ShowFourColourPictures(int choice) {
    constexpr std::array<const char*, 4> kPlain = {"hong", "huang", "lv", "lan"};
    for (size_t i = 0; i < fourColours_.size(); ++i) {
        const std::string name = kPlain[i];
        fourColours_[i]->SetPicture(
            pictures_.Of(static_cast<int>(i) == choice ? name + "ok" : name));
    }
}

void LightingPanel::CheckReportRate(int rate) {
    for (size_t i = 0; i < reportRates_.size(); ++i) {
        reportRates_[i]->SetCheck(static_cast<int>(i) == rate, true);
    }
}

void LightingPanel::ShowSliders() {
    const LightingState& state = Lighting().state;
    brightness_->SetPos(state.brightness);
    brightness_->SetPicture(pictures_.Numbered(brightness_->GetPos()));
    speed_->SetPos(SliderFromSpeedValue(state.speed));
    speed_->SetPicture(pictures_.Numbered(kSpeedPictureBase + speed_->GetPos()));
}
