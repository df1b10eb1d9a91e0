// SPDX-License-Identifier: GPL-3.0-or-later
// The key map: placement from the skin, checked states, the colour view's marks and the flip.

#include "MainWindowFixture.h"
#include "mainwindow/FlipSetting.h"
#include "mainwindow/KeyMapTables.h"
#include "model/KeyRecordAccess.h"
#include "model/ProfileStore.h"
#include "platform/SettingsHive.h"
#include "platform/UserFolders.h"
#include "skin/CIniFile.h"
#include "skin/Language.h"
#include "skin/SkinRect.h"
#include "skin/ui/CPngButton.h"

#include <set>

namespace {

constexpr int kG1 = 1000;
constexpr int kButtonA = 1058;

uint32_t Mark(int area, int record) {
    std::lock_guard guard(WorkingStore().lock);
    const KeyAssignment* r = WorkingRecord(area, record);
    return r == nullptr ? 0xFFFF : r->ColourMark;
}

} // namespace

TEST(KeyMapTables, EveryKeyHasOneButtonAndOneSkinPlace) {
    std::set<int> ids;
    std::set<int> records;
    const CIniFile skin((BinFolder() / "Skins" / "Main.ini").string());
    for (const KeyButtonEntry& entry : KeyButtonTable) {
        EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
        EXPECT_TRUE(records.insert(KeyRecordIndex(entry.keyCode)).second) << entry.id;
        EXPECT_LT(KeyRecordIndex(entry.keyCode), 256);
        EXPECT_TRUE(skin.GetString("BUTTONINFO", KeySkinKey(entry.keyCode).data()).has_value())
            << KeySkinKey(entry.keyCode).data();
    }
    for (int id : GKeyTable) {
        EXPECT_TRUE(ids.insert(id).second) << id;
    }
    EXPECT_EQ(std::string(KeySkinKey(0x1E).data()), "KEY_01E");
    EXPECT_EQ(std::string(KeySkinKey(0x145).data()), "KEY_0C5"); // Num: E0 code
    EXPECT_EQ(std::string(KeySkinKey(0x45).data()), "KEY_045");  // Pause
    EXPECT_EQ(GKeySlot(3, 0x0205), 3);
    EXPECT_EQ(GKeySlot(3, 0x0305), 12);
}

TEST_F(MainWindowTest, ButtonsSitWhereTheSkinPutsThem) {
    StartWindow(false);
    const CIniFile skin((BinFolder() / "Skins" / "Main.ini").string());
    auto expectAt = [&](int id, const std::string& key) {
        const std::optional<std::string> rect = skin.GetString("BUTTONINFO", key);
        ASSERT_TRUE(rect.has_value()) << key;
        int x = 0, y = 0, w = 0, h = 0;
        ASSERT_EQ(std::sscanf(rect->c_str(), "%d,%d,%d,%d", &x, &y, &w, &h), 4) << key;
        EXPECT_EQ(dlg_->Button(id)->geometry(), QRect(x, y, w, h)) << key;
    };
    expectAt(kButtonA, "KEY_01E");
    expectAt(1104, "KEY_0C5");
    expectAt(kG1, "FUNC_G1");
    expectAt(1143, "FUNC_G9");
    expectAt(1016, "KEY_D1");
    expectAt(1057, "KEY_ENTER2");
    expectAt(CKestrowDlg::kIdApply, "CONTROL2_APPLY");
    expectAt(CKestrowDlg::kIdProfile1 + 2, "FUNC_PROFILE3");
    expectAt(1174, "KEY_FN");
    for (const KeyButtonEntry& entry : KeyButtonTable) {
        EXPECT_GT(dlg_->Button(entry.id)->width(), 1) << entry.id;
    }
    // The hidden buttons stay hidden; the link's tooltip is the skin's address.
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdTest)->isHidden());
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfileMenu)->isHidden());
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdLink)->TooltipText().toStdString(),
              skin.GetString("SCREEN", "Link").value_or(""));
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdVersion)->isEnabled());
}

TEST_F(MainWindowTest, ColourViewTogglesMarksThatG1AndAShare) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    const int area = keyboard_->ActiveProfile();
    dlg_->OnCommand(CKestrowDlg::kIdSwitch);
    EXPECT_EQ(dlg_->ViewMode(), 1);
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdSwitch)->text().toStdString(),
              LangText("MAIN_SWITCH_COLOR_TEXT", CurrentLanguageIndex()));
    EXPECT_EQ(dlg_->Button(kButtonA)->PickedFace(), CPngButton::Face::Custom1);

    // A click on G1 marks record 0 and enables Apply, without any dialog.
    int editorCalls = 0;
    dlg_->SetKeyEditor([&](int, int, bool) { return ++editorCalls; });
    dlg_->Button(kG1)->click();
    EXPECT_EQ(editorCalls, 0);
    EXPECT_EQ(Mark(area, 0), 1u);
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    EXPECT_EQ(dlg_->Button(kG1)->PickedFace(), CPngButton::Face::Custom2);
    // Only G1 was redrawn; A shows the shared mark after the next RefreshMarks.
    EXPECT_EQ(dlg_->Button(kButtonA)->PickedFace(), CPngButton::Face::Custom1);
    dlg_->OnCommand(CKestrowDlg::kIdSwitch);
    EXPECT_FALSE(dlg_->Button(kButtonA)->IsCustomMode());
    dlg_->OnCommand(CKestrowDlg::kIdSwitch);
    EXPECT_EQ(dlg_->Button(kButtonA)->PickedFace(), CPngButton::Face::Custom2);

    // The other way round: A clears the mark; a second click on it sets it again.
    dlg_->Button(kButtonA)->click();
    EXPECT_EQ(Mark(area, 0), 0u);
    dlg_->RefreshMarks();
    EXPECT_EQ(dlg_->Button(kG1)->PickedFace(), CPngButton::Face::Custom1);
    // B's mark lives in record 1 (its place in the table), not in its own record 0x30.
    dlg_->Button(1075)->click();
    EXPECT_EQ(Mark(area, 1), 1u);
    EXPECT_EQ(Mark(area, 0x30), 0u);

    // Buttons in neither table do nothing in either view.
    dlg_->SetPendingChanges(0);
    for (int view = 0; view < 2; ++view) {
        for (int id : {1016, 1021, 1057, 1174}) {
            EXPECT_EQ(dlg_->OpenKeyEditor(id), -1);
            dlg_->Button(id)->setEnabled(true);
            dlg_->Button(id)->click();
        }
        dlg_->OnCommand(CKestrowDlg::kIdSwitch);
    }
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    EXPECT_EQ(editorCalls, 0);
}

TEST_F(MainWindowTest, FunctionViewOpensTheEditorForTheKeysRecord) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    std::vector<std::tuple<int, int, bool>> opened;
    std::vector<QImage> whileOpen;
    dlg_->SetKeyEditor([&](int record, int id, bool macroOnly) {
        opened.emplace_back(record, id, macroOnly);
        whileOpen.push_back(dlg_->Button(id)->grab().toImage());
        // Profile switches are refused while the dialog is open.
        EXPECT_TRUE(dlg_->KeyEditorOpen());
        EXPECT_FALSE(dlg_->SwitchProfile(2));
        return 1;
    });
    dlg_->Button(kButtonA)->click();
    dlg_->Button(1104)->click();            // Num: E0-prefixed code 0x145
    dlg_->Button(1142)->click();            // G8
    dlg_->OnCommand(CKestrowDlg::kIdMacro); // opens as G9 does, macro-only
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[0], std::make_tuple(0x1E, kButtonA, false));
    EXPECT_EQ(opened[1], std::make_tuple(0xC5, 1104, false));
    EXPECT_EQ(opened[2], std::make_tuple(256 + 7, 1142, false));
    EXPECT_EQ(opened[3], std::make_tuple(256 + 8, 1143, true));
    const std::vector<std::string> shown = messages_.Shown();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), std::string("PROFILE_SEELCT_PROMPT2")), 4);
    EXPECT_FALSE(dlg_->KeyEditorOpen());
    // Highlighted while open, itself again afterwards.
    EXPECT_NE(whileOpen[0], dlg_->Button(kButtonA)->grab().toImage());
    EXPECT_NE(whileOpen[2], dlg_->Button(1142)->grab().toImage());
}

TEST_F(MainWindowTest, ReassignedKeyIsCheckedAfterRefresh) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    EXPECT_FALSE(dlg_->Button(kButtonA)->GetCheck());
    {
        std::lock_guard guard(WorkingStore().lock);
        KeyAssignment* a = CurrentRecord(0x1E);
        ASSERT_NE(a, nullptr);
        a->type = AssignmentType::kKey;
        a->value = 0x30;
        KeyAssignment* g2 = CurrentRecord(GKeyCode(2));
        ASSERT_NE(g2, nullptr);
        g2->type = AssignmentType::kDisabled;
    }
    EXPECT_FALSE(dlg_->Button(kButtonA)->GetCheck()); // nothing redraws on its own
    dlg_->RefreshKeyButtons();
    EXPECT_TRUE(dlg_->Button(kButtonA)->GetCheck());
    EXPECT_TRUE(dlg_->Button(1001)->GetCheck());
    EXPECT_FALSE(dlg_->Button(kG1)->GetCheck());
    EXPECT_TRUE(dlg_->Button(1001)->TooltipText().startsWith(QStringLiteral("G2")));
}

namespace {

QPoint SpriteAt(const std::string& key) {
    const CIniFile skin((BinFolder() / "Skins" / "Main.ini").string());
    int x = 0, y = 0, w = 0, h = 0;
    std::sscanf(skin.GetString("BUTTONINFO2", key).value_or("").c_str(), "%d,%d,%d,%d", &x, &y, &w,
                &h);
    return {x, y};
}

} // namespace

TEST_F(MainWindowTest, FlipLayoutSurvivesARestart) {
    StartWindow(false);
    ASSERT_EQ(dlg_->FlipLayout(), 0);
    // The arrows over the flip buttons point down while the F keys show, up after the flip.
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdLeftArrow)->FacePosition(),
              SpriteAt("DOWN_ARROW_LEFT1"));
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdRightArrow)->FacePosition(),
              SpriteAt("DOWN_ARROW_RIGHT1"));
    EXPECT_TRUE(dlg_->Button(1010)->isEnabled());
    EXPECT_FALSE(dlg_->Button(1016)->isEnabled());
    dlg_->OnCommand(CKestrowDlg::kIdFlip1);
    EXPECT_EQ(dlg_->FlipLayout(), 1);
    for (int id = 1010; id <= 1013; ++id) {
        EXPECT_FALSE(dlg_->Button(id)->isEnabled()) << id;
    }
    for (int id = 1016; id <= 1021; ++id) {
        EXPECT_TRUE(dlg_->Button(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(dlg_->Button(1014)->isEnabled()); // F5 is never flipped
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdLeftArrow)->FacePosition(), SpriteAt("UP_ARROW_LEFT1"));
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdRightArrow)->FacePosition(),
              SpriteAt("UP_ARROW_RIGHT1"));
    // Stored in the settings file, where a new run finds it.
    SettingsHive fresh(SettingsHive::Instance().File());
    EXPECT_EQ(fresh.ReadString(kProfilesSettingsKey, "Flip").value_or(""), "1");
    DestroyWindow();
    StartWindow(false);
    EXPECT_EQ(dlg_->FlipLayout(), 1);
    EXPECT_FALSE(dlg_->Button(1010)->isEnabled());
    EXPECT_TRUE(dlg_->Button(1021)->isEnabled());
    dlg_->OnCommand(CKestrowDlg::kIdFlip2);
    EXPECT_EQ(ReadFlipLayout(), 0);
    // Values other than 0 and 1 read as 0.
    SettingsHive::Instance().WriteString(kProfilesSettingsKey, "Flip", "7");
    EXPECT_EQ(ReadFlipLayout(), 0);
    WriteFlipLayout(5);
    EXPECT_EQ(SettingsHive::Instance().ReadString(kProfilesSettingsKey, "Flip").value_or(""), "0");
}
