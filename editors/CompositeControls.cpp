// SPDX-License-Identifier: GPL-3.0-or-later
// The key-setting dialog's controls: made once, placed and skinned at each opening from
// Composite.ini, their lists and their texts.

#include "editors/Kestrow_DlgComposite.h"
#include "editors/KeyEditorHost.h"
#include "editors/MacroPage.h"
#include "editors/OnScreenKeyboard.h"
#include "model/KeyAssignment.h"
#include "skin/Language.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/Placement.h"
#include "skin/ui/SkinPicture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <string>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The page picture files, by set and state (normal, over, down, disabled).
constexpr const char* kPictureFiles[5][4] = {
    {"key_normal.jpg", "key_over.jpg", "key_down.jpg", "key_normal.jpg"},
    {"macro_normal.jpg", "macro_over.jpg", "macro_down.jpg", "macro_disable.jpg"},
    {"macro2_normal.jpg", "macro2_over.jpg", "macro2_down.jpg", "macro2_disable.jpg"},
    {"media_normal.jpg", "media_over.jpg", "media_down.jpg", "media_normal.jpg"},
    {"function_normal.jpg", "function_over.jpg", "function_down.jpg", "function_normal.jpg"},
};

// The page buttons 1028 .. 1031 with their skin keys.
constexpr const char* kPageButtonKeys[] = {"CONTROL_KEY", "CONTROL_MACRO", "CONTROL_MEDIA",
                                           "CONTROL_FUNCTION"};

constexpr int kButtonTextSize = 9;

} // namespace

CPngButton* Kestrow_DlgComposite::MakeButton(int id) {
    auto* button = new CPngButton(this, id);
    SetControlId(button, id);
    return button;
}

ColorStatic* Kestrow_DlgComposite::MakeCaption(int id) {
    auto* caption = new ColorStatic(this, id);
    caption->SetTextColour(ColorRef{kCaptionColour});
    caption->setFont(QFont(kCompositeFont));
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    return caption;
}

QComboBox* Kestrow_DlgComposite::MakeList(int id) {
    auto* list = new QComboBox(this);
    SetControlId(list, id);
    StylePlainControl(list);
    connect(list, &QComboBox::activated, this, &Kestrow_DlgComposite::OnListChosen);
    return list;
}

void Kestrow_DlgComposite::CreateControls() {
    // The page picture lies under everything; it and the title let presses through, so that the
    // window is dragged by them.
    pagePicture_ = new QLabel(this);
    SetControlId(pagePicture_, kIdPagePicture);
    pagePicture_->setAttribute(Qt::WA_TransparentForMouseEvents);
    title_ = new QLabel(this);
    SetControlId(title_, kIdTitle);
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);

    for (int id : {kIdKeyPage, kIdMacroPage, kIdMediaPage, kIdFunctionPage}) {
        pageButtons_.push_back(MakeButton(id));
    }
    connect(pageButtons_[0], &QAbstractButton::clicked, this, &Kestrow_DlgComposite::OnKeyPage);
    connect(pageButtons_[1], &QAbstractButton::clicked, this, &Kestrow_DlgComposite::OnMacroPage);
    connect(pageButtons_[2], &QAbstractButton::clicked, this, &Kestrow_DlgComposite::OnMediaPage);
    connect(pageButtons_[3], &QAbstractButton::clicked, this,
            &Kestrow_DlgComposite::OnFunctionPage);
    clear_ = MakeButton(kIdClear);
    connect(clear_, &QAbstractButton::clicked, this, &Kestrow_DlgComposite::OnClear);
    ok_ = MakeButton(kIdOk);
    connect(ok_, &QAbstractButton::clicked, this, &Kestrow_DlgComposite::OnOK);
    cancel_ = MakeButton(kIdCancel);
    connect(cancel_, &QAbstractButton::clicked, this, &Kestrow_DlgComposite::OnCancel);
    apply_ = MakeButton(kIdApply);
    connect(apply_, &QAbstractButton::clicked, this, &Kestrow_DlgComposite::OnApply);
    onScreenKeyboard_ = MakeButton(kIdOnScreenKeyboard);
    connect(onScreenKeyboard_, &QAbstractButton::clicked, this,
            &Kestrow_DlgComposite::OnOnScreenKeyboard);

    keyField_ = new QLineEdit(this);
    SetControlId(keyField_, kIdKeyField);
    keyField_->setReadOnly(true);
    StylePlainControl(keyField_);
    keyboardRadio_ = new QCheckBox(this);
    SetControlId(keyboardRadio_, kIdKeyboardRadio);
    mouseRadio_ = new QCheckBox(this);
    SetControlId(mouseRadio_, kIdMouseRadio);
    for (QCheckBox* radio : {keyboardRadio_, mouseRadio_}) {
        StylePlainControl(radio);
    }
    connect(keyboardRadio_, &QCheckBox::clicked, this, &Kestrow_DlgComposite::OnKeyboardRadio);
    connect(mouseRadio_, &QCheckBox::clicked, this, &Kestrow_DlgComposite::OnMouseRadio);
    keyboardCaption_ = MakeCaption(kIdKeyboardCaption);
    mouseCaption_ = MakeCaption(kIdMouseCaption);
    mouseList_ = MakeList(kIdMouseList);
    mediaList_ = MakeList(kIdMediaList);
    functionList_ = MakeList(kIdFunctionList);

    settingCaption_ = MakeCaption(kIdSettingCaption);
    macroCaption_ = MakeCaption(kIdMacroCaption);
    singleCaption_ = MakeCaption(kIdSingleCaption);
    mediaCaption_ = MakeCaption(kIdMediaCaption);
    functionCaption_ = MakeCaption(kIdFunctionCaption);
    // The page captions are sentences: a long translation takes a second line.
    for (ColorStatic* caption : {singleCaption_, mediaCaption_, functionCaption_}) {
        caption->setWordWrap(true);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    macroPage_ = new MacroPage(this, host_.KeyEditorMessages());
    macroPage_->SetClock([this] { return keyClock_(); });
    connect(macroPage_, &MacroPage::Modified, this, [this] { SetModified(true); });
    connect(macroPage_, &MacroPage::RecordingToggled, this,
            &Kestrow_DlgComposite::OnRecordingToggled);
    pagePicture_->lower();
}

void Kestrow_DlgComposite::LoadPageImages() {
    if (imagesLoaded_) {
        return;
    }
    for (size_t set = 0; set < pictureSets_.size(); ++set) {
        for (size_t state = 0; state < 4; ++state) {
            pictureSets_[set].pictures[state] =
                LoadSkinPictureOrExit(SkinFolder() / kPictureFiles[set][state]);
        }
    }
    imagesLoaded_ = true;
}

const PageImageSet& Kestrow_DlgComposite::PictureSetOf(int page) const {
    switch (page) {
    case kPageMacro:
        return pictureSets_[macroOnly_ ? kMacroOnlySet : kMacroSet];
    case kPageMedia:
        return pictureSets_[kMediaSet];
    case kPageFunction:
        return pictureSets_[kFunctionSet];
    default:
        return pictureSets_[kKeySet];
    }
}

void Kestrow_DlgComposite::PlaceControls() {
    const std::filesystem::path& layout = IniPath();
    const PageImageSet& keySet = pictureSets_[kKeySet];
    const PageImageSet& greyed = pictureSets_[kMacroSet];
    PlaceControl(pagePicture_, layout, kSkinSection, "CONTROL_MASK");
    PlaceControl(title_, layout, kSkinSection, "CONTROL_TITLE");
    title_->setPixmap(keySet[PageImageSet::kNormal]->copy(title_->geometry()));

    const int pages[] = {kPageKey, kPageMacro, kPageMedia, kPageFunction};
    for (size_t i = 0; i < pageButtons_.size(); ++i) {
        const PageImageSet& set = PictureSetOf(pages[i]);
        // The page shown draws its button pressed: checked is the pressed picture.
        PlaceImageControl(pageButtons_[i], layout, kSkinSection, kPageButtonKeys[i],
                          set[PageImageSet::kNormal], set[PageImageSet::kOver],
                          set[PageImageSet::kDown], set[PageImageSet::kDisabled],
                          set[PageImageSet::kDown]);
        pageButtons_[i]->SetTextStyle(true, kButtonTextSize, kCompositeFont,
                                      SkinButtonTextColours());
    }
    PlaceSkinButton(clear_, layout, "CONTROL_CLEAR", keySet, keySet);
    PlaceSkinButton(ok_, layout, "CONTROL_OK", keySet, keySet);
    PlaceSkinButton(cancel_, layout, "CONTROL_CANCEL", keySet, keySet);
    // Apply and the on-screen keyboard can be disabled: their greyed faces come from a set
    // that has them.
    PlaceSkinButton(apply_, layout, "CONTROL2_APPLY", keySet, greyed);
    PlaceSkinButton(onScreenKeyboard_, layout, "CONTROL_OSK", keySet, greyed);
    for (CPngButton* button : {ok_, cancel_, apply_}) {
        button->SetTextStyle(true, kButtonTextSize, kCompositeFont, SkinButtonTextColours());
    }

    PlaceControl(keyField_, layout, kSkinSection, "FUNC_KEY_INPUT");
    PlaceControl(keyboardRadio_, layout, kSkinSection, "FUNC_KEY_RADIO_KB");
    PlaceControl(mouseRadio_, layout, kSkinSection, "FUNC_KEY_RADIO_MOU");
    PlaceControl(keyboardCaption_, layout, kSkinSection, "FUNC_KEY_RADIO_KB_STATIC");
    PlaceControl(mouseCaption_, layout, kSkinSection, "FUNC_KEY_RADIO_MOU_STATIC");
    PlaceControl(mouseList_, layout, kSkinSection, "FUNC_MOUSE_SELECT");
    PlaceControl(mediaList_, layout, kSkinSection, "FUNC_MEDIA_SELECT");
    PlaceControl(functionList_, layout, kSkinSection, "FUNC_FUNCTION_SELECT");
    PlaceControl(settingCaption_, layout, kSkinSection, "KEY_SETTING");
    PlaceControl(macroCaption_, layout, kSkinSection, "MARCO_NAME_SETTING");
    PlaceControl(singleCaption_, layout, kSkinSection, "TISHI_SINGLE_STATIC");
    PlaceControl(mediaCaption_, layout, kSkinSection, "MEDIA_SETTING_TISHI");
    PlaceControl(functionCaption_, layout, kSkinSection, "FUNCTION_KEY_SETTING_TISHI");
    macroPage_->Place(layout, pictureSets_[macroOnly_ ? kMacroOnlySet : kMacroSet]);
}

void Kestrow_DlgComposite::ApplyMacroOnlyLook() {
    for (CPngButton* button : {pageButtons_[0], pageButtons_[2], pageButtons_[3], clear_}) {
        button->setEnabled(!macroOnly_);
    }
    if (macroOnly_) {
        // The disabled buttons look disabled in the macro-only pictures.
        const PageImageSet& set = pictureSets_[kMacroOnlySet];
        for (CPngButton* button : {pageButtons_[0], pageButtons_[2], pageButtons_[3], clear_}) {
            const QPoint face = button->FacePosition();
            button->SetImages(face.x(), face.y(), set[PageImageSet::kNormal],
                              set[PageImageSet::kOver], set[PageImageSet::kDown],
                              set[PageImageSet::kDisabled], set[PageImageSet::kDown]);
        }
    }
    singleCaption_->setHidden(macroOnly_);
    mediaCaption_->setHidden(macroOnly_);
    functionCaption_->setHidden(macroOnly_);
}

void Kestrow_DlgComposite::FillLists() {
    const int language = CurrentLanguageIndex();
    // In the order of MouseCodes().
    mouseList_->clear();
    mouseList_->addItems({Q(LangText("IDS_KEYBOARD_MOU_LEFT", language)),
                          Q(LangText("IDS_KEYBOARD_MOU_RIGHT", language)),
                          Q(LangText("IDS_KEYBOARD_MOU_MIDDLE", language)),
                          Q(LangText("IDS_KEYBOARD_ROLL_UP", language)),
                          Q(LangText("IDS_KEYBOARD_ROLL_DOWN", language))});
    mediaList_->clear();
    for (const MediaEntry& entry : MediaTable) {
        mediaList_->addItem(QString::fromStdString(KeyNameFromCode(entry.code)));
    }
    functionList_->clear();
    for (int i = 1; i <= kKeyFunctionCount; ++i) {
        const std::string key = "FUNC_KEY_DESC" + std::to_string(i);
        functionList_->addItem(Q(LangText(key, language)));
    }
    for (QComboBox* list : {mouseList_, mediaList_, functionList_}) {
        list->setCurrentIndex(0);
    }
}

void Kestrow_DlgComposite::OnLanguage(int languageIndex) {
    const int l = languageIndex;
    macroPage_->SetTexts(l);
    keyboardCaption_->setText(Q(LangText("IDS_MACRO_KB_KEY", l)));
    mouseCaption_->setText(Q(LangText("IDS_MACRO_MOU_KEY", l)));
    singleCaption_->setText(Q(LangText("SINGLE_STATIC", l)));
    macroCaption_->setText(Q(LangText("MACRO_NAME_SETTING", l)));
    mediaCaption_->setText(Q(LangText("MEDIA_EDIT_TISHI", l)));
    functionCaption_->setText(Q(LangText("FUNCTION_TISHI", l)));
    settingCaption_->setText(macroOnly_ ? Q(LangText("MACRO_EDIT_TISHI", l))
                                        : Q(LangText("KEY_SETTING_TISHI", l)));
    setWindowTitle(settingCaption_->text());
    pageButtons_[0]->setText(macroOnly_ ? QString() : Q(LangText("SINGLE_KEY", l)));
    pageButtons_[2]->setText(macroOnly_ ? QString() : Q(LangText("MULTI_MEDIA", l)));
    pageButtons_[3]->setText(macroOnly_ ? QString() : Q(LangText("FUNCTION_KEY", l)));
    pageButtons_[1]->setText(Q(LangText("MACRO_SETTING", l)));
    pageButtons_[1]->SetTooltipText(Q(LangText("MACRO_SETTING", l)));
    ok_->setText(Q(LangText("MACRO_OK", l)));
    cancel_->setText(Q(LangText("MACRO_CANCLE", l)));
    apply_->setText(Q(LangText("PROFILE_APPLY", l)));
    // Without an on-screen keyboard the tooltip says which package brings one.
    onScreenKeyboard_->SetTooltipText(onScreenKeyboard_->isEnabled()
                                          ? Q(LangText("COMPOSITE_PROMPT_OSK", l))
                                          : Q(LangText("COMPOSITE_OSK_MISSING", l)));
}

void Kestrow_DlgComposite::UpdateOnScreenKeyboardButton() {
    onScreenKeyboard_->setEnabled(!OnScreenKeyboardProgram().isEmpty());
}

void Kestrow_DlgComposite::OnOnScreenKeyboard() {
    StartOnScreenKeyboard();
}
