// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/UserColourModes.h"

#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/KeyMapTables.h"
#include "mainwindow/LightingPanel.h"
#include "mainwindow/PanelControls.h"
#include "mainwindow/WindowText.h"
#include "model/Lighting.h"
#include "model/UserColourFile.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/CSkinColorBtn.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/PictureStatic.h"
#include "skin/ui/Placement.h"

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>

namespace {

constexpr const char* kButtonInfo = "BUTTONINFO";
constexpr KeyCode kEnterKeyCode = 0x1C;

// CurrentProfile, or -1 when it names no profile.
int ColourProfile() {
    const int p = DeviceState().CurrentProfile.load();
    return p >= 0 && p < 3 ? p : -1;
}

uint32_t BankColour(int profile, int slot) {
    const auto& bank = Lighting().keyColourBanks[static_cast<size_t>(profile)];
    const size_t at = 3 * static_cast<size_t>(slot);
    return PackColour(bank[at], bank[at + 1], bank[at + 2]);
}

void SetBankColour(int profile, int slot, uint32_t colour) {
    auto& bank = Lighting().keyColourBanks[static_cast<size_t>(profile)];
    const size_t at = 3 * static_cast<size_t>(slot);
    bank[at] = RedOf(colour);
    bank[at + 1] = GreenOf(colour);
    bank[at + 2] = BlueOf(colour);
}

} // namespace

UserColourModes::UserColourModes(CKestrowDlg& window, LightingPanel& panel)
    : QObject(&window), window_(window), panel_(panel) {}

void UserColourModes::CreateControls() {
    paintColourLabel_ = MakePanelLabel(&window_, kIdPaintColourLabel);
    paintColour_ = MakePanelColourButton(&window_, kIdPaintColour);
    baseColourLabel_ = MakePanelLabel(&window_, kIdBaseColourLabel);
    baseColour_ = MakePanelColourButton(&window_, kIdBaseColour);
    toolLabel_ = MakePanelLabel(&window_, kIdToolLabel);
    paintTool_ = new PictureStatic(&window_, kIdPaintTool);
    baseTool_ = new PictureStatic(&window_, kIdBaseTool);
    modeList_ = MakePanelList(&window_, kIdModeList);
    // Typing renames the selected mode; it never adds one.
    modeList_->setEditable(true);
    modeList_->setInsertPolicy(QComboBox::NoInsert);
    modeList_->lineEdit()->setMaxLength(kMaxModeNameLength);
    ShowControls(false);

    connect(paintColour_, &QAbstractButton::clicked, this, &UserColourModes::OnPaintColourChosen);
    connect(baseColour_, &QAbstractButton::clicked, this, &UserColourModes::OnBaseColourChosen);
    connect(paintTool_, &PictureStatic::clicked, this, [this] { OnToolChosen(kPaintTool); });
    connect(baseTool_, &PictureStatic::clicked, this, [this] { OnToolChosen(kBaseTool); });
    connect(modeList_, &QComboBox::currentIndexChanged, this, &UserColourModes::OnModeSelected);
    connect(modeList_->lineEdit(), &QLineEdit::textEdited, this,
            &UserColourModes::OnModeNameEdited);

    linkButtons_.assign(kLinkFlagCount, nullptr);
    for (const KeyColourSlotEntry& entry : KeyColourSlotTable) {
        linkButtons_[static_cast<size_t>(KeyColourIndex(entry.code))] =
            window_.ButtonOfCode(entry.code);
    }
    linkButtons_[kFnLinkIndex] = window_.Button(kFnKeyId);
    enterUpper_ = window_.Button(kEnterUpperId);
    for (size_t g = 0; g < GKeyTable.size(); ++g) {
        linkButtons_[kFirstGKeyLinkIndex + g] = window_.Button(GKeyTable[g]);
    }
}

void UserColourModes::PlaceControls(const std::filesystem::path& skinFile) {
    const std::pair<QWidget*, const char*> places[] = {
        {paintColourLabel_, "CONTROL_USERysStatic"}, {paintColour_, "CONTROL_USERysButton"},
        {baseColourLabel_, "CONTROL_USERjsStatic"},  {baseColour_, "CONTROL_USERjsButton"},
        {toolLabel_, "CONTROL_USERgjStatic"},        {paintTool_, "CONTROL_USERgjStaPic1"},
        {baseTool_, "CONTROL_USERgjStaPic2"},        {modeList_, "CONTROL_umCombo"}};
    for (const auto& [control, key] : places) {
        PlaceControl(control, skinFile, kButtonInfo, key);
    }
    ShowToolPictures(kPaintTool);
}

void UserColourModes::Relabel(const QString& colour, const QString& baseColour,
                              const QString& tool) {
    SetPanelLabelText(paintColourLabel_, colour);
    SetPanelLabelText(baseColourLabel_, baseColour);
    SetPanelLabelText(toolLabel_, tool);
}

void UserColourModes::ShowControls(bool shown) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             paintColourLabel_, paintColour_, baseColourLabel_, baseColour_, toolLabel_, paintTool_,
             baseTool_, modeList_}) {
        control->setVisible(shown);
    }
}

CPngButton* UserColourModes::LinkButton(int index) const {
    return index >= 0 && static_cast<size_t>(index) < linkButtons_.size()
               ? linkButtons_[static_cast<size_t>(index)]
               : nullptr;
}

int UserColourModes::LinkIndexOfButton(int id) const {
    if (id == kFnKeyId) {
        return kFnLinkIndex;
    }
    if (const int g = GKeyIndexOf(id); g >= 0) {
        return kFirstGKeyLinkIndex + g;
    }
    if (const int k = KeyButtonIndexOf(id); k >= 0) {
        return KeyColourIndex(KeyButtonTable[static_cast<size_t>(k)].keyCode);
    }
    // The upper part of Enter is Enter; D1-D6 have no colour of their own.
    return id == kEnterUpperId ? KeyColourIndex(kEnterKeyCode) : -1;
}

void UserColourModes::FillModeList(ColourUpload upload) {
    const int p = ColourProfile();
    if (p < 0) {
        return;
    }
    {
        const QSignalBlocker blocker(modeList_);
        modeList_->clear();
        for (int n = 0; n < kUserModeCount; ++n) {
            modeList_->addItem(Q(ReadModeName(p, n)));
        }
    }
    // What reaches the keyboard is not checked: the file stays the store of the colours.
    LoadUserMode(upload == ColourUpload::Send);
}

void UserColourModes::RefreshControls() {
    UserColourState& state = UserColours();
    {
        const QSignalBlocker blocker(modeList_);
        if (state.currentMode < modeList_->count()) {
            modeList_->setCurrentIndex(state.currentMode);
        }
    }
    baseColour_->SetColor(state.loaded.baseColour);
    paintColour_->SetColor(state.loaded.paintColour);
    state.settings.baseColour = state.loaded.baseColour;
    state.settings.paintColour = state.loaded.paintColour;
    ShowToolPictures(state.settings.tool);
}

void UserColourModes::ShowBaseColour() {
    baseColour_->SetColor(UserColours().settings.baseColour);
}

void UserColourModes::ShowToolPictures(int tool) {
    const PanelPictures& pictures = panel_.Pictures();
    paintTool_->SetPicture(pictures.Of(tool == kPaintTool ? "user1down" : "user1up"));
    baseTool_->SetPicture(pictures.Of(tool == kBaseTool ? "user2down" : "user2up"));
}

void UserColourModes::PaintKeyButtons() {
    const int p = ColourProfile();
    if (p < 0) {
        return;
    }
    for (int i = 0; i < kLinkFlagCount; ++i) {
        FrameLink(i, BankColour(p, LinkIndexSlot(i)));
    }
}

void UserColourModes::FrameLink(int index, uint32_t colour) {
    if (CPngButton* button = LinkButton(index)) {
        button->SetColourFrame(ToQColor(colour), true);
    }
    // The two buttons of the L-shaped Enter show one key.
    if (index == KeyColourIndex(kEnterKeyCode) && enterUpper_ != nullptr) {
        enterUpper_->SetColourFrame(ToQColor(colour), true);
    }
}

void UserColourModes::ClearKeyFrames() {
    std::vector<CPngButton*> framed = linkButtons_;
    framed.push_back(enterUpper_);
    for (CPngButton* button : framed) {
        if (button != nullptr && button->IsFrameOn()) {
            button->SetColourFrame(button->FrameColour(), false);
        }
    }
}

void UserColourModes::FrameSlot(int slot, uint32_t colour) {
    for (int i = 0; i < kLinkFlagCount; ++i) {
        if (LinkIndexSlot(i) == slot) {
            FrameLink(i, colour);
        }
    }
}

void UserColourModes::PaintKey(int id) {
    const int index = LinkIndexOfButton(id);
    const int p = ColourProfile();
    if (panel_.SelectedEffect() != kUserColourEffect || index < 0 || p < 0) {
        return;
    }
    UserColourState& state = UserColours();
    const bool base = state.settings.tool == kBaseTool;
    const uint32_t colour = base ? state.settings.baseColour : state.settings.paintColour;
    const int slot = LinkIndexSlot(index);
    // Keys that share a slot share its colour and its one entry in the file: they all take the
    // paint and the link, or a base colour change would recolour a key painted with the paint
    // colour through the other keys of its slot.
    FrameSlot(slot, colour);
    WriteKeyColour(slot, RedOf(colour), GreenOf(colour), BlueOf(colour));
    for (int i = 0; i < kLinkFlagCount; ++i) {
        if (LinkIndexSlot(i) == slot) {
            state.linked[static_cast<size_t>(p)][static_cast<size_t>(i)] = base;
        }
    }
    ReportIfUnwritten(WriteKeyEntry(p, state.currentMode, slot, colour, base), p);
}

void UserColourModes::SaveModeSettings() {
    const int p = ColourProfile();
    if (p < 0) {
        return;
    }
    UserColourState& state = UserColours();
    const bool written = WriteModeSettings(p, state.currentMode, state.settings);
    // What the file holds now is what a later refresh shows.
    if (written) {
        state.loaded = state.settings;
    }
    ReportIfUnwritten(written, p);
}

void UserColourModes::OnPaintColourChosen() {
    UserColours().settings.paintColour = paintColour_->EffectiveColor();
    SaveModeSettings();
}

void UserColourModes::OnBaseColourChosen() {
    const int p = ColourProfile();
    UserColourState& state = UserColours();
    const uint32_t colour = baseColour_->EffectiveColor();
    if (p < 0 || colour == state.settings.baseColour) {
        return;
    }
    state.settings.baseColour = colour;
    SaveModeSettings();
    std::vector<SlotColourEntry> entries;
    for (int i = 0; i < kLinkFlagCount; ++i) {
        if (!state.linked[static_cast<size_t>(p)][static_cast<size_t>(i)]) {
            continue;
        }
        const int slot = LinkIndexSlot(i);
        SetBankColour(p, slot, colour);
        FrameLink(i, colour);
        const bool seen = std::any_of(entries.begin(), entries.end(),
                                      [slot](const SlotColourEntry& e) { return e.slot == slot; });
        if (!seen) {
            entries.push_back({slot, {colour, true}});
        }
    }
    ReportIfUnwritten(WriteKeyEntries(p, state.currentMode, entries), p);
    UploadKeyColours();
}

void UserColourModes::OnToolChosen(int tool) {
    UserColours().settings.tool = tool;
    ShowToolPictures(tool);
    SaveModeSettings();
}

void UserColourModes::OnModeSelected(int position) {
    const int p = ColourProfile();
    if (p < 0 || position < 0 || position >= kUserModeCount) {
        return;
    }
    UserColours().currentMode = position;
    ReportIfUnwritten(WriteSelectedMode(p, position), p);
    LoadUserMode(true);
    RefreshControls();
    PaintKeyButtons();
}

void UserColourModes::OnModeNameEdited(const QString& text) {
    const int p = ColourProfile();
    const int mode = UserColours().currentMode;
    if (p < 0 || mode < 0 || mode >= modeList_->count()) {
        return;
    }
    // Renaming the entry puts its text back into the edit field: the cursor stays where it was.
    QLineEdit* edit = modeList_->lineEdit();
    const int cursor = edit->cursorPosition();
    {
        const QSignalBlocker blocker(modeList_);
        modeList_->setItemText(mode, text);
    }
    edit->setCursorPosition(cursor);
    ReportIfUnwritten(WriteModeName(p, mode, text.toStdString()), p);
}

void UserColourModes::ResetFromTemplate(int profile) {
    const bool reset = ResetUserColourFile(profile);
    // Without a template there is nothing to write; only a file that refused it is told.
    std::error_code error;
    const bool haveTemplate = std::filesystem::is_regular_file(UserColourTemplatePath(), error);
    ReportIfUnwritten(reset || !haveTemplate, profile);
}

void UserColourModes::ResetCurrentFromTemplate() {
    const int p = ColourProfile();
    if (p < 0) {
        return;
    }
    ResetFromTemplate(p);
    FillModeList(ColourUpload::Send);
    RefreshControls();
}

void UserColourModes::ResetAllFromTemplate() {
    const int current = DeviceState().CurrentProfile.load();
    for (int p = 0; p < 3; ++p) {
        DeviceState().CurrentProfile = p;
        ResetFromTemplate(p);
        FillModeList(ColourUpload::Skip);
    }
    DeviceState().CurrentProfile = current;
    // The list and the state show the current profile's modes again.
    FillModeList(ColourUpload::Skip);
}

void UserColourModes::ReportIfUnwritten(bool written, int profile) {
    if (written || profile < 0 || profile >= static_cast<int>(unwrittenReported_.size()) ||
        unwrittenReported_[static_cast<size_t>(profile)]) {
        return;
    }
    unwrittenReported_[static_cast<size_t>(profile)] = true;
    window_.Messages().ShowPathText("MAIN_USER_COLOUR_UNWRITTEN", UserColourFilePath(profile));
}
