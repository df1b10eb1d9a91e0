// SPDX-License-Identifier: GPL-3.0-or-later
// The user colour modes of effect 20: the mode list, painting keys with the two tools, the base
// colour link, the upload of a mode, renaming, the reset from the template on notice 0x0402 and
// on restore default, and a colour file that cannot be written.

#include "LightingFixture.h"
#include "platform/ProfileString.h"
#include "platform/UserFolders.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/CSkinColorBtn.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QLineEdit>
#include <fstream>

namespace {

using Modes = UserColourModes;

constexpr int kButtonA = 1058;       // slot 10
constexpr int kButtonEsc = 1022;     // slot 0
constexpr int kButtonKeypad1 = 1115; // slot 116, shared with the keypad and right Win
constexpr int kButtonKeypad2 = 1116; // slot 116
constexpr int kSlotA = 10;
constexpr int kSlotKeypad = 116;
constexpr uint32_t kRed = PackColour(255, 0, 0);
constexpr uint32_t kWhite = PackColour(255, 255, 255);
constexpr uint32_t kGreen = PackColour(0, 255, 0);
constexpr uint32_t kBlue = PackColour(0, 0, 255);

// Mode 0: paint colour red, base colour white, every key black and not linked.
std::string UnlinkedMode(int mode) {
    std::string text =
        "[Mode" + std::to_string(mode) + "]\ntool=0\njcolor=255,255,255\ncolor=255,0,0\n";
    for (int i = 0; i < kLinkFlagCount; ++i) {
        text += std::to_string(LinkIndexSlot(i)) + "=0,0,0,0\n";
    }
    return text;
}

class UserColourModesTest : public LightingTest {
protected:
    void WriteUserFile(int p, const std::string& text) {
        std::filesystem::create_directories(UserDataFolder());
        std::ofstream(UserColourFilePath(p), std::ios::binary) << text;
    }
    std::string UserFile(int p) const { return ReadFileBytes(UserColourFilePath(p)); }
    std::string Entry(int p, const std::string& section, const std::string& key) const {
        return GetPrivateProfileString(section, key, "(none)", UserColourFilePath(p));
    }
    // Lighting mode on with effect 20 selected, the log cleared.
    void StartPainting(int p) {
        StartInLightingMode(p);
        SelectEffect(kUserColourEffect);
        keyboard_->ClearFrameLog();
    }
    void ChooseBaseColour(uint32_t colour) {
        Control<CSkinColorBtn>(Modes::kIdBaseColour)->PopupFinished(colour);
    }
    QComboBox* ModeList() const { return Control<QComboBox>(Modes::kIdModeList); }
    // The eight pieces of an upload of profile p's bank.
    static std::vector<unsigned> UploadOffsets(int p) {
        std::vector<unsigned> offsets;
        for (unsigned i = 0; i < 8; ++i) {
            offsets.push_back(512u * static_cast<unsigned>(p) + 54u * i);
        }
        return offsets;
    }
    std::vector<unsigned> KeyColourOffsets() const {
        std::vector<unsigned> offsets;
        for (const SentBytes& write : KeyColourWrites()) {
            offsets.push_back(write.offset);
        }
        return offsets;
    }
};

} // namespace

TEST_F(UserColourModesTest, AFileWithoutNamesListsTenModesNamedZero) {
    WriteUserFile(0, "[PRESENTMODE]\nmode=0\n[Mode0]\njcolor=0,0,255\n");
    StartPainting(0);
    ASSERT_EQ(ModeList()->count(), kUserModeCount);
    for (int n = 0; n < kUserModeCount; ++n) {
        EXPECT_EQ(ModeList()->itemText(n), QStringLiteral("0")) << n;
    }
    EXPECT_EQ(Control<CSkinColorBtn>(Modes::kIdBaseColour)->GetColor(), kBlue);
    // Missing entries paint the keys red.
    EXPECT_EQ(dlg_->Button(kButtonA)->FrameColour(), ToQColor(kRed));
    EXPECT_TRUE(dlg_->Button(kButtonA)->IsFrameOn());
}

TEST_F(UserColourModesTest, KeysPaintedWithTheBaseColourFollowItAndOthersKeepTheirPaint) {
    WriteUserFile(0, UnlinkedMode(0));
    StartPainting(0);
    ClickPicture(Modes::kIdBaseTool);
    EXPECT_EQ(Entry(0, "Mode0", "tool"), "1");
    ClickKey(kButtonA);
    EXPECT_EQ(KeyColourWrites(), (std::vector<SentBytes>{{3 * kSlotA, {255, 255, 255}}}));
    EXPECT_EQ(KeyboardSlotColour(0, kSlotA), kWhite);
    EXPECT_EQ(Entry(0, "Mode0", "10"), "255,255,255,1");
    EXPECT_EQ(dlg_->Button(kButtonA)->FrameColour(), ToQColor(kWhite));

    // A new base colour recolours the linked key and uploads all eight pieces.
    keyboard_->ClearFrameLog();
    ChooseBaseColour(kGreen);
    EXPECT_EQ(KeyColourOffsets(), UploadOffsets(0));
    EXPECT_EQ(KeyboardSlotColour(0, kSlotA), kGreen);
    EXPECT_EQ(Entry(0, "Mode0", "10"), "0,255,0,1");
    EXPECT_EQ(Entry(0, "Mode0", "jcolor"), "0,255,0");
    EXPECT_EQ(dlg_->Button(kButtonA)->FrameColour(), ToQColor(kGreen));

    // Painted with the paint colour afterwards, the key keeps its colour. So does a key whose
    // slot another key painted with the base colour before.
    ClickKey(kButtonKeypad2);
    ClickPicture(Modes::kIdPaintTool);
    ClickKey(kButtonA);
    ClickKey(kButtonKeypad1);
    EXPECT_EQ(Entry(0, "Mode0", "116"), "255,0,0,0");
    keyboard_->ClearFrameLog();
    ChooseBaseColour(kBlue);
    EXPECT_EQ(KeyColourOffsets(), UploadOffsets(0));
    EXPECT_EQ(KeyboardSlotColour(0, kSlotA), kRed);
    EXPECT_EQ(KeyboardSlotColour(0, kSlotKeypad), kRed);
    EXPECT_EQ(dlg_->Button(kButtonKeypad2)->FrameColour(), ToQColor(kRed));
    EXPECT_EQ(Entry(0, "Mode0", "10"), "255,0,0,0");
}

TEST_F(UserColourModesTest, AnUnchangedBaseColourOrAnotherEffectChangesNothing) {
    WriteUserFile(0, UnlinkedMode(0));
    StartPainting(0);
    const std::string before = UserFile(0);
    ChooseBaseColour(kWhite);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(UserFile(0), before);

    SelectEffect(1);
    keyboard_->ClearFrameLog();
    ClickKey(kButtonA);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(UserFile(0), before);
    EXPECT_FALSE(dlg_->Button(kButtonA)->IsFrameOn());
}

TEST_F(UserColourModesTest, SelectingAModeStoresItAndUploadsItsColours) {
    WriteUserFile(1, UnlinkedMode(0) + "[Mode3]\njcolor=1,1,1\n0=1,2,3,0\n10=4,5,6,1\n");
    StartPainting(1);
    ModeList()->setCurrentIndex(3);
    EXPECT_EQ(Entry(1, "PRESENTMODE", "mode"), "3");
    EXPECT_EQ(KeyColourOffsets(), UploadOffsets(1));
    EXPECT_EQ(KeyboardSlotColour(1, 0), PackColour(1, 2, 3));
    EXPECT_EQ(KeyboardSlotColour(1, kSlotA), PackColour(4, 5, 6));
    EXPECT_EQ(dlg_->Button(kButtonEsc)->FrameColour(), ToQColor(PackColour(1, 2, 3)));
    EXPECT_EQ(Control<CSkinColorBtn>(Modes::kIdBaseColour)->GetColor(), PackColour(1, 1, 1));
    // Profile 0's bank is not touched.
    EXPECT_EQ(KeyboardSlotColour(0, 0), 0u);
}

TEST_F(UserColourModesTest, TypingRenamesOnlyTheSelectedMode) {
    WriteUserFile(0, "[PRESENTMODE]\nmode=2\n[MODENAME]\n0=Zero\n1=One\n2=Two\n");
    StartPainting(0);
    ASSERT_EQ(ModeList()->currentIndex(), 2);
    QLineEdit* edit = ModeList()->lineEdit();
    edit->setCursorPosition(3);
    QTest::keyClicks(edit, "s");
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, "T");
    EXPECT_EQ(Entry(0, "MODENAME", "2"), "TTwos");
    EXPECT_EQ(Entry(0, "MODENAME", "1"), "One");
    EXPECT_EQ(ModeList()->itemText(2), QStringLiteral("TTwos"));
    EXPECT_EQ(ModeList()->itemText(1), QStringLiteral("One"));
    EXPECT_EQ(ModeList()->count(), kUserModeCount);
    // The cursor stays where the user typed.
    EXPECT_EQ(edit->cursorPosition(), 1);
}

TEST_F(UserColourModesTest, TheProfileNoticeResetsEveryFileFromTheTemplateKeepingBackups) {
    WriteUserFile(0, UnlinkedMode(0));
    StartPainting(0);
    ClickKey(kButtonA);
    const std::string painted = UserFile(0);
    const std::string factory = ReadFileBytes(UserColourTemplatePath());
    ASSERT_NE(painted, factory);
    keyboard_->ClearFrameLog();
    ASSERT_TRUE(keyboard_->ChangeProfileOnKeyboard(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Panel().LightingMode(); }, 5000));
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(UserFile(p), factory) << p;
    }
    EXPECT_EQ(ReadFileBytes(UserColourBackupPath(0)), painted);
    // The files of profiles 1 and 2 were not there: nothing to keep.
    EXPECT_FALSE(std::filesystem::exists(UserColourBackupPath(1)));
    EXPECT_EQ(DeviceState().CurrentProfile.load(), 2);
    // Loaded without upload.
    EXPECT_TRUE(KeyColourWrites().empty());
}

TEST_F(UserColourModesTest, RestoreDefaultResetsTheCurrentFileAndUploadsIt) {
    WriteUserFile(1, UnlinkedMode(0));
    StartPainting(1);
    messages_.Answer(true);
    dlg_->OnCommand(CKestrowDlg::kIdDefault);
    EXPECT_EQ(UserFile(1), ReadFileBytes(UserColourTemplatePath()));
    EXPECT_EQ(ReadFileBytes(UserColourBackupPath(1)), UnlinkedMode(0));
    EXPECT_EQ(KeyColourOffsets(), UploadOffsets(1));
    EXPECT_EQ(ModeList()->itemText(0).toStdString(), ReadModeName(1, 0));
}

TEST_F(UserColourModesTest, AFileThatCannotBeWrittenIsToldOncePerFile) {
    StartPainting(0);
    // A folder where the file should be: nothing can replace it.
    std::filesystem::remove(UserColourFilePath(0));
    std::filesystem::create_directories(UserColourFilePath(0));
    ClickKey(kButtonA);
    ClickKey(kButtonEsc);
    ClickPicture(Modes::kIdBaseTool);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_USER_COLOUR_UNWRITTEN"});
    // The keyboard still got the paint.
    EXPECT_EQ(KeyColourWrites().size(), 2u);
}

TEST_F(UserColourModesTest, AChosenBaseColourStaysShownAfterTheKeyboardsOwnChange) {
    WriteUserFile(0, UnlinkedMode(0));
    StartPainting(0);
    ChooseBaseColour(kGreen);
    ASSERT_TRUE(keyboard_->ChangeLightByteOnKeyboard(1, 1));
    ASSERT_TRUE(QTest::qWaitFor([] { return Lighting().state.brightness == 1; }, 5000));
    EXPECT_EQ(Control<CSkinColorBtn>(Modes::kIdBaseColour)->GetColor(), kGreen);
    // The link still compares against the colour in the file.
    keyboard_->ClearFrameLog();
    ChooseBaseColour(kGreen);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
}
