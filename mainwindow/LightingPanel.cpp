// SPDX-License-Identifier: GPL-3.0-or-later
// The lighting panel's behaviour: showing the lighting state, what each control sends, the
// lighting mode switch, the rereads and the restore of the defaults.

#include "mainwindow/LightingPanel.h"

#include "device/DeviceState.h"
#include "device/Protocol.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingModeSetting.h"
#include "mainwindow/PreviewKeyFrames.h"
#include "mainwindow/UserColourModes.h"
#include "model/UserColourFile.h"
#include "skin/ui/CBitmapSlider.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/CSkinColorBtn.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/PictureStatic.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QUrl>
#include <algorithm>

namespace {

// The three copies of the record's colour: one per colour control.
constexpr size_t kColourGroupCopy = 0;
constexpr size_t kReactionCopy = 1;
constexpr size_t kStaticCopy = 2;

constexpr uint8_t kDefaultEffect = 1;
constexpr int kColourComponentMax = 255;

// The first result that is not success.
int FirstFailure(int a, int b) {
    return a != kCmdOk ? a : b;
}

} // namespace

LightingPanel::LightingPanel(CKestrowDlg& window)
    : QObject(&window), window_(window),
      userModes_(std::make_unique<UserColourModes>(window, *this)) {}

LightingPanel::~LightingPanel() = default;

void LightingPanel::ConnectControls() {
    connect(switch_, &PictureStatic::clicked, this, &LightingPanel::SetLightingMode);
    connect(effectList_, &QComboBox::currentIndexChanged, this, &LightingPanel::OnEffectSelected);
    connect(directionFirst_, &PictureStatic::clicked, this,
            [this] { OnDirectionClicked(kDirectionFirst); });
    connect(directionSecond_, &PictureStatic::clicked, this,
            [this] { OnDirectionClicked(kDirectionSecond); });
    connect(colour_, &QAbstractButton::clicked, this, &LightingPanel::OnColourChosen);
    connect(reactionColour_, &QAbstractButton::clicked, this,
            &LightingPanel::OnReactionColourChosen);
    connect(multicolour_, &PictureStatic::clicked, this, &LightingPanel::OnMulticolourClicked);
    connect(reactionMulticolour_, &PictureStatic::clicked, this,
            &LightingPanel::OnReactionMulticolourClicked);
    for (size_t i = 0; i < fourColours_.size(); ++i) {
        connect(fourColours_[i], &PictureStatic::clicked, this,
                [this, i] { OnFourColourClicked(static_cast<int>(i)); });
    }
    for (size_t i = 0; i < reportRates_.size(); ++i) {
        connect(reportRates_[i], &QAbstractButton::clicked, this,
                [this, i] { OnReportRateClicked(static_cast<int>(i)); });
    }
    for (size_t i = 0; i < presets_.size(); ++i) {
        connect(presets_[i], &PictureStatic::clicked, this,
                [this, i] { OnPresetClicked(static_cast<int>(i)); });
    }
    for (size_t i = 0; i < colourEdits_.size(); ++i) {
        connect(colourEdits_[i], &QLineEdit::textChanged, this,
                [this, i] { OnColourEdited(static_cast<int>(i)); });
    }
    for (size_t i = 0; i < webButtons_.size(); ++i) {
        connect(webButtons_[i], &QAbstractButton::clicked, this,
                [this, i] { OnWebButtonClicked(static_cast<int>(i)); });
    }
}

uint8_t LightingPanel::SelectedEffect() const {
    return Lighting().effects.CodeAt(effectList_->currentIndex());
}

void LightingPanel::RefreshPanel() {
    LightingState& state = Lighting().state;
    FillEffectList();
    CheckReportRate(state.reportRate);
    ShowSliders();
    reactionColour_->SetColor(state.colour[kReactionCopy]);
    colour_->SetColor(state.colour[kColourGroupCopy]);
    if (auto* plain = FindControlAs<CSkinColorBtn>(&window_, kIdStaticColour)) {
        plain->SetColor(state.colour[kStaticCopy]);
    }
    ShowMulticolourPictures(state.multicolour);
    userModes_->RefreshControls();
    if (state.fourColour >= fourColours_.size()) {
        state.fourColour = 0;
    }
    ShowFourColourPictures(state.fourColour);
    ShowDirectionPictures(state.effect);
    {
        const QSignalBlocker blocker(effectList_);
        effectList_->setCurrentIndex(Lighting().effects.PositionOf(state.effect));
    }
    if (lightingMode_ && state.effect == kUserColourEffect) {
        userModes_->PaintKeyButtons();
    }
    switch_->SetPicture(pictures_.Of(lightingMode_ ? "dengdown" : "dengup"));
    ApplyOptionGroups(state.effect);
    MoveDirectionControls(state.effect);
}

void LightingPanel::CheckWritten(int result, const LightingState& before) {
    if (result == kCmdOk) {
        return;
    }
    // Show what the keyboard holds; when even that cannot be read, what it held before.
    if (RereadLightRecord() != kCmdOk) {
        Lighting().state = before;
    }
    RefreshPanel();
    // One box at a time: refusals while it is open are shown by the same box.
    if (!reportingRefusal_) {
        reportingRefusal_ = true;
        window_.Messages().ShowText("MAIN_LIGHT_WRITE_REFUSED", std::nullopt);
        reportingRefusal_ = false;
    }
}

void LightingPanel::OnEffectSelected(int position) {
    SelectEffect(Lighting().effects.CodeAt(position));
}

void LightingPanel::SelectEffect(uint8_t code) {
    const LightingState before = Lighting().state;
    CheckWritten(ApplyEffect(code), before);
}

int LightingPanel::ApplyEffect(uint8_t code) {
    userModes_->ClearKeyFrames();
    MoveDirectionControls(code);
    ShowDirectionPictures(code);
    // An effect without options sends nothing.
    const int result = OptionsOfEffect(code).known ? WriteEffect(code) : kCmdOk;
    if (code == kUserColourEffect) {
        userModes_->PaintKeyButtons();
    }
    Lighting().state.effect = code;
    preview_.Reset();
    ApplyOptionGroups(code);
    return result;
}

void LightingPanel::OnSliderMoved(int id, int position) {
    LightingState& state = Lighting().state;
    const LightingState before = state;
    const int at = std::clamp(position, 0, kSliderMax);
    uint8_t* stored = nullptr;
    uint8_t value = 0;
    int field = 0;
    if (id == kIdBrightness) {
        brightness_->SetPicture(pictures_.Numbered(at));
        stored = &state.brightness;
        value = static_cast<uint8_t>(at);
        field = LightField::Brightness;
    } else if (id == kIdSpeed) {
        speed_->SetPicture(pictures_.Numbered(kSpeedPictureBase + at));
        stored = &state.speed;
        value = SpeedValueFromSlider(at);
        field = LightField::Speed;
    } else {
        return;
    }
    if (*stored == value) {
        return;
    }
    *stored = value;
    CheckWritten(WriteLightByte(field, value), before);
}

void LightingPanel::OnDirectionClicked(uint8_t direction) {
    LightingState& state = Lighting().state;
    const LightingState before = state;
    state.direction = direction;
    ShowDirectionPictures(SelectedEffect());
    CheckWritten(WriteLightByte(LightField::Direction, direction), before);
}

void LightingPanel::OnColourChosen() {
    LightingState& state = Lighting().state;
    const LightingState before = state;
    const uint32_t colour = colour_->EffectiveColor();
    state.multicolour = false;
    ShowMulticolourPictures(false);
    const int result = WriteColour(RedOf(colour), GreenOf(colour), BlueOf(colour));
    state.colour[kColourGroupCopy] = colour;
    state.colour[kReactionCopy] = colour;
    reactionColour_->SetColor(colour);
    CheckWritten(result, before);
}

void LightingPanel::OnReactionColourChosen() {
    LightingState& state = Lighting().state;
    const LightingState before = state;
    const uint32_t colour = reactionColour_->EffectiveColor();
    state.reactionMulticolour = 0;
    state.multicolour = false;
    const int result = WriteColour(RedOf(colour), GreenOf(colour), BlueOf(colour));
    state.colour[kColourGroupCopy] = colour;
    state.colour[kReactionCopy] = colour;
    colour_->SetColor(colour);
    ShowMulticolourPictures(false);
    CheckWritten(result, before);
}

void LightingPanel::OnMulticolourClicked() {
    LightingState& state = Lighting().state;
    const LightingState before = state;
    state.multicolour = !state.multicolour;
    ShowMulticolourPictures(state.multicolour);
    CheckWritten(WriteLightByte(LightField::Multicolour, state.multicolour ? 1 : 0), before);
}

void LightingPanel::OnReactionMulticolourClicked() {
    LightingState& state = Lighting().state;
    const LightingState before = state;
    state.reactionMulticolour = state.reactionMulticolour != 0 ? 0 : 1;
    state.multicolour = !state.multicolour;
    ShowMulticolourPictures(state.multicolour);
    CheckWritten(WriteLightByte(LightField::Multicolour, state.multicolour ? 1 : 0), before);
}

void LightingPanel::OnFourColourClicked(int choice) {
    LightingState& state = Lighting().state;
    const LightingState before = state;
    ShowFourColourPictures(choice);
    state.fourColour = static_cast<uint8_t>(choice);
    CheckWritten(WriteLightByte(LightField::FourColour, state.fourColour), before);
}

void LightingPanel::OnReportRateClicked(int rate) {
    LightingState& state = Lighting().state;
    const LightingState before = state;
    CheckReportRate(rate);
    state.reportRate = static_cast<uint8_t>(rate);
    // Sent again when it did not change.
    CheckWritten(WriteLightByte(LightField::ReportRate, state.reportRate), before);
}

void LightingPanel::OnPresetClicked(int preset) {
    const PresetColour& c = kPresetColours[static_cast<size_t>(preset)];
    const int components[] = {c.red, c.green, c.blue};
    for (size_t i = 0; i < colourEdits_.size(); ++i) {
        colourEdits_[i]->setText(QString::number(components[i]));
    }
    // The stored colour and the colour buttons stay as they are.
    CheckWritten(WriteColour(c.red, c.green, c.blue), Lighting().state);
}

void LightingPanel::OnColourEdited(int index) {
    QLineEdit* edit = colourEdits_[static_cast<size_t>(index)];
    const QString text = edit->text();
    if (text.isEmpty()) {
        return;
    }
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    // Digits only reach here; a number too long for any integer is as large as it gets.
    const int component =
        !ok || value > kColourComponentMax ? kColourComponentMax : static_cast<int>(value);
    const QString shown = QString::number(component);
    if (shown != text) {
        edit->setText(shown);
    }
}

void LightingPanel::OnWebButtonClicked(int index) {
    const QString& address = webAddresses_[static_cast<size_t>(index)];
    if (!address.isEmpty()) {
        QDesktopServices::openUrl(QUrl(address));
    }
}

void LightingPanel::SetLightingMode() {
    if (lightingMode_) {
        TurnLightingModeOff();
        return;
    }
    // The keyboard must be on the profile the panel shows; the profile bar may ask or refuse.
    if (!window_.MakeCurrentProfileActive()) {
        return;
    }
    lightingMode_ = true;
    WriteLightingModeSetting(true);
    switch_->SetPicture(pictures_.Of("dengdown"));
    userModes_->ClearKeyFrames();
    preview_.Reset();
    const uint8_t effect = SelectedEffect();
    ApplyOptionGroups(effect);
    MoveDirectionControls(effect);
    if (effect == kUserColourEffect) {
        userModes_->PaintKeyButtons();
    }
    userModes_->ShowBaseColour();
}

void LightingPanel::TurnLightingModeOff() {
    lightingMode_ = false;
    WriteLightingModeSetting(false);
    switch_->SetPicture(pictures_.Of("dengup"));
    userModes_->ClearKeyFrames();
    preview_.Reset();
    window_.RefreshMarks();
    ApplyOptionGroups(Lighting().state.effect);
}

void LightingPanel::ReloadLightingWithMode() {
    // The setting only ever turns lighting mode on here.
    if (ReadLightingModeSetting()) {
        lightingMode_ = true;
    }
    ReloadLighting();
}

void LightingPanel::ReloadAfterArrival() {
    ReloadLightingWithMode();
    const bool userColours = Lighting().effects.UserColoursAvailable();
    if (userColours) {
        userModes_->FillModeList(ColourUpload::Send);
    }
    RefreshPanel();
    if (userColours) {
        RebuildLinkFlags();
    }
}

void LightingPanel::ReloadAndRefresh() {
    ReloadLightingWithMode();
    RefreshPanel();
}

void LightingPanel::ShowProfile(int n) {
    DeviceState().CurrentProfile = n;
    ReloadLightingWithMode();
    if (Lighting().effects.UserColoursAvailable()) {
        userModes_->FillModeList(ColourUpload::Send);
    }
    RefreshPanel();
    if (lightingMode_) {
        TurnLightingModeOff();
    }
}

void LightingPanel::OnProfileNotice(bool profileFollowed) {
    if (lightingMode_) {
        TurnLightingModeOff();
    }
    if (profileFollowed && Lighting().effects.UserColoursAvailable()) {
        userModes_->ResetAllFromTemplate();
    }
    ReloadAndRefresh();
}

void LightingPanel::RestoreLightingDefaults() {
    if (!lightingMode_) {
        return;
    }
    LightingModel& model = Lighting();
    LightingState& state = model.state;
    const LightingState before = state;
    // Effect 1, with the multicolour flag as it is now; its refusal is told with the rest.
    {
        const QSignalBlocker blocker(effectList_);
        effectList_->setCurrentIndex(model.effects.PositionOf(kDefaultEffect));
    }
    const int effectResult = ApplyEffect(kDefaultEffect);

    if (model.effects.UserColoursAvailable()) {
        userModes_->ResetCurrentFromTemplate();
    }
    const int recordResult = WriteDefaultRecord();
    // The state becomes the default record, so that later changes compare against it.
    const int p = DeviceState().CurrentProfile.load();
    if (p >= 0 && p < static_cast<int>(model.records.size())) {
        LightRecord& record = model.records[static_cast<size_t>(p)];
        std::copy(kDefaultLightRecord.begin(), kDefaultLightRecord.end(), record.begin());
        DeriveLightingState(record, state);
    }
    state.reactionMulticolour = 1;
    // The brightness slider shows 4, the level the default record holds.
    ShowSliders();
    ShowDirectionPictures(state.effect);
    colour_->SetColor(state.colour[kColourGroupCopy]);
    reactionColour_->SetColor(state.colour[kReactionCopy]);
    ShowMulticolourPictures(true);
    CheckReportRate(state.reportRate);
    CheckWritten(FirstFailure(effectResult, recordResult), before);
}

void LightingPanel::OnKeyClicked(int id) {
    if (lightingMode_) {
        userModes_->PaintKey(id);
    }
}

void LightingPanel::PreviewTick() {
    // Nothing of the preview can be seen on a hidden or minimized window: the animation waits
    // and goes on from where it was when the window is shown again.
    if (!lightingMode_ || !window_.isVisible() || window_.isMinimized()) {
        return;
    }
    preview_.Tick(PreviewInputOf(Lighting(), DeviceState().CurrentProfile.load()));
    previewFrames_->Show(preview_.Frame());
}

void LightingPanel::MoveFocusAfterDisconnection() {
    effectList_->setFocus();
    if (CPngButton* first = window_.Button(CKestrowDlg::kIdProfile1)) {
        first->setFocus();
    }
}
