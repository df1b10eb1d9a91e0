// SPDX-License-Identifier: GPL-3.0-or-later
// The key map: the key and G-key buttons, their checked states, tooltips and colour-view marks,
// the view switch and the F/D flip.

#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/KeyMapTables.h"
#include "model/AssignmentText.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileStore.h"
#include "skin/ui/CPngButton.h"

int CKestrowDlg::CurrentArea() const {
    const int p = ActiveProfile();
    // Without a known profile there is no current area: nothing reads or writes records.
    return p >= 0 && p < kProfileCount ? p : -1;
}

int CKestrowDlg::OpenKeyEditor(int id) {
    const bool macroOnly = id == GKeyTable[8];
    const int g = GKeyIndexOf(id);
    const int k = g < 0 ? KeyButtonIndexOf(id) : -1;
    if (g < 0 && k < 0) {
        return -1;
    }
    const int slot = g >= 0 ? GKeySlot(g, kVariantWord) : -1;
    const int recordIndex = g >= 0 ? kFirstGKeyRecord + slot
                                   : KeyRecordIndex(KeyButtonTable[static_cast<size_t>(k)].keyCode);
    CPngButton* button = Button(id);
    if (viewMode_ == 1) {
        const int area = CurrentArea();
        if (area < 0) {
            return 0;
        }
        const int markSlot = g >= 0 ? slot : k;
        uint32_t mark = 0;
        {
            ProfileStore& store = WorkingStore();
            std::lock_guard guard(store.lock);
            KeyAssignment* record = WorkingRecord(area, markSlot);
            if (record == nullptr) {
                return 0;
            }
            record->ColourMark = record->ColourMark != 0 ? 0 : 1;
            mark = record->ColourMark;
        }
        // Only this button is redrawn; one sharing its mark record follows at the next
        // RefreshMarks.
        button->SetCustomImages(&keyImageSet_[kColour0], true, &keyImageSet_[kColour1], mark != 0,
                                true);
        SetPendingChanges(1);
        return 0;
    }
    // Highlighted while the dialog is open.
    const QPoint face = button->FacePosition();
    button->SetImages(face.x(), face.y(), &keyImageSet_[kOver], &keyImageSet_[kOver],
                      &keyImageSet_[kDown], &keyImageSet_[kNormal], &keyImageSet_[kOver], false);
    if (!keyEditor_) {
        RestoreKeyButtonImages(id);
        return -1;
    }
    ++keyEditorOpen_;
    const int result = keyEditor_(recordIndex, id, macroOnly);
    --keyEditorOpen_;
    // The dialog puts the images back itself; so does this, should it have been closed early.
    RestoreKeyButtonImages(id);
    return result;
}

void CKestrowDlg::RestoreKeyButtonImages(int id) {
    CPngButton* button = Button(id);
    if (button == nullptr) {
        return;
    }
    const QPoint face = button->FacePosition();
    button->SetImages(face.x(), face.y(), &keyImageSet_[kNormal], &keyImageSet_[kOver],
                      &keyImageSet_[kDown], &keyImageSet_[kNormal], &keyImageSet_[kDisable], true);
}

void CKestrowDlg::RefreshMarks() {
    const int area = CurrentArea();
    auto markOf = [&](int recordIndex) -> bool {
        if (area < 0) {
            return false;
        }
        const KeyAssignment* record = WorkingRecord(area, recordIndex);
        return record != nullptr && record->ColourMark != 0;
    };
    std::array<bool, kGKeyButtonCount> gMarks{};
    std::array<bool, kKeyButtonCount> keyMarks{};
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        for (size_t i = 0; i < GKeyTable.size(); ++i) {
            gMarks[i] = markOf(GKeySlot(static_cast<int>(i), kVariantWord));
        }
        for (size_t i = 0; i < KeyButtonTable.size(); ++i) {
            keyMarks[i] = markOf(static_cast<int>(i));
        }
    }
    const bool colourView = viewMode_ == 1;
    for (size_t i = 0; i < GKeyTable.size(); ++i) {
        Button(GKeyTable[i])
            ->SetCustomImages(&keyImageSet_[kColour0], colourView, &keyImageSet_[kColour1],
                              gMarks[i], true);
    }
    for (size_t i = 0; i < KeyButtonTable.size(); ++i) {
        Button(KeyButtonTable[i].id)
            ->SetCustomImages(&keyImageSet_[kColour0], colourView, &keyImageSet_[kColour1],
                              keyMarks[i], true);
    }
}

void CKestrowDlg::RefreshKeyButtons() {
    DescribeAllButtons(*this);
    ApplyFlipLayout();
}

std::vector<KeyCode> CKestrowDlg::KeyButtonCodes() const {
    std::vector<KeyCode> codes;
    codes.reserve(KeyButtonTable.size() + GKeyTable.size());
    for (const KeyButtonEntry& entry : KeyButtonTable) {
        codes.push_back(entry.keyCode);
    }
    for (size_t i = 0; i < GKeyTable.size(); ++i) {
        codes.push_back(GKeyCode(GKeySlot(static_cast<int>(i), kVariantWord) + 1));
    }
    return codes;
}

CPngButton* CKestrowDlg::ButtonOfCode(KeyCode code) const {
    if (IsGKeyCode(code)) {
        for (size_t i = 0; i < GKeyTable.size(); ++i) {
            if (GKeyCode(GKeySlot(static_cast<int>(i), kVariantWord) + 1) == code) {
                return Button(GKeyTable[i]);
            }
        }
        return nullptr;
    }
    for (const KeyButtonEntry& entry : KeyButtonTable) {
        if (entry.keyCode == code) {
            return Button(entry.id);
        }
    }
    return nullptr;
}

void CKestrowDlg::DescribeKeyButton(KeyCode code, std::string_view tooltip, bool assigned) {
    CPngButton* button = ButtonOfCode(code);
    if (button == nullptr) {
        return;
    }
    // May be called while the working store's lock is held; it only touches the button.
    button->SetCheck(assigned, true);
    button->SetTooltipText(
        QString::fromUtf8(tooltip.data(), static_cast<qsizetype>(tooltip.size())));
}

void CKestrowDlg::ApplyFlipLayout() {
    const bool flipped = flipLayout_ == 1;
    for (int i = 0; i < 4; ++i) {
        Button(kFirstFKeyId + i)->setEnabled(!flipped);
    }
    for (int i = 0; i < kDKeyCount; ++i) {
        Button(kFirstDKeyId + i)->setEnabled(flipped);
    }
    CPngButton* indicator = Button(kIdFlip0);
    const QPoint face = indicator->FacePosition();
    const QPixmap* normal = &keyImageSet_[flipped ? kNormal2 : kNormal];
    indicator->SetImages(face.x(), face.y(), normal, normal, normal, normal,
                         &keyImageSet_[kDisable], false);
}
