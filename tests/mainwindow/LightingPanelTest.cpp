// SPDX-License-Identifier: GPL-3.0-or-later
// The lighting panel over the simulated keyboard: what each control sends, which controls an
// effect shows, the lighting mode switch and its setting, refused writes, the restore of the
// defaults, the rereads, and the web buttons.

#include "LightingFixture.h"
#include "mainwindow/KeyMapTables.h"
#include "mainwindow/LightingModeSetting.h"
#include "platform/ProfileString.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "skin/SkinRect.h"
#include "skin/ui/CBitmapSlider.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/CSkinColorBtn.h"
#include "skin/ui/PictureStatic.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

namespace {

using Panel = LightingPanel;

qint64 PictureKey(const QPixmap& picture) {
    return picture.cacheKey();
}

// Takes the web addresses the window hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

class LightingPanelTest : public LightingTest {
protected:
    qint64 ShownPicture(int id) const { return Control<PictureStatic>(id)->PictureKey(); }
    qint64 Picture(const char* name) const { return PictureKey(Panel().Pictures().Of(name)); }
    qint64 SliderPicture(int id) const { return PictureKey(Control<CBitmapSlider>(id)->Picture()); }
    qint64 Numbered(int n) const { return PictureKey(Panel().Pictures().Numbered(n)); }
    QPoint SkinPlace(const std::string& key) const {
        const SkinRect r = ReadSkinRect(dlg_->IniPath(), "BUTTONINFO", key);
        return {r.x, r.y};
    }
    // Every control of the panel, the switch and its label included.
    std::vector<int> PanelControlIds() const {
        std::vector<int> ids;
        for (int id = Panel::kIdEffectList; id <= Panel::kWebButtonIds.back(); ++id) {
            // Within the range but not the panel's: Fn, the busy animation and the two keys.
            if (id != kFnKeyId && id != CKestrowDlg::kIdBusy && KeyButtonIndexOf(id) < 0 &&
                FindControl(dlg_.get(), id) != nullptr) {
                ids.push_back(id);
            }
        }
        return ids;
    }
};

} // namespace

TEST_F(LightingPanelTest, SlidersSendOnlyChangesAndSpeedRunsBackwards) {
    SetKeyboardRecord(2, {1, 2, 2, 0, 1, 255, 255, 255});
    StartInLightingMode(2);
    // A stored speed of 2 shows position 3 with 9.bmp.
    EXPECT_EQ(Control<CBitmapSlider>(Panel::kIdSpeed)->GetPos(), 3);
    EXPECT_EQ(SliderPicture(Panel::kIdSpeed), Numbered(9));
    EXPECT_EQ(SliderPicture(Panel::kIdBrightness), Numbered(2));

    MoveSlider(Panel::kIdBrightness, 2);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    MoveSlider(Panel::kIdBrightness, 3);
    EXPECT_EQ(FoldedCommands(*keyboard_), (std::vector<uint8_t>{1, 6, 2}));
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{85, {3}}}));
    EXPECT_EQ(keyboard_->LightRecord(2)[1], 3);
    EXPECT_EQ(SliderPicture(Panel::kIdBrightness), Numbered(3));

    keyboard_->ClearFrameLog();
    MoveSlider(Panel::kIdSpeed, 0);
    EXPECT_EQ(SliderPicture(Panel::kIdSpeed), Numbered(6));
    MoveSlider(Panel::kIdSpeed, 5);
    EXPECT_EQ(SliderPicture(Panel::kIdSpeed), Numbered(11));
    MoveSlider(Panel::kIdSpeed, 5);
    // Only the brightness and speed sliders count.
    MoveSlider(Panel::kIdEffectList, 1);
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{86, {5}}, {86, {0}}}));

    // The slider itself posts its notice to the window: a key press moves it one step.
    keyboard_->ClearFrameLog();
    auto* brightness = Control<CBitmapSlider>(Panel::kIdBrightness);
    brightness->SetPos(3);
    QTest::keyClick(brightness, Qt::Key_Right);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !LightWrites().empty(); }, 5000));
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{85, {4}}}));
    EXPECT_EQ(SliderPicture(Panel::kIdBrightness), Numbered(4));
}

TEST_F(LightingPanelTest, CaptionsAndEffectNamesFollowTheLanguage) {
    StartInLightingMode(0);
    constexpr int kEnglish = 2;
    dlg_->SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag, kEnglish);
    EXPECT_EQ(Control<QLabel>(Panel::kIdSwitchLabel)->text().toStdString(),
              LightText("Deng", kEnglish));
    EXPECT_EQ(Control<QLabel>(UserColourModes::kIdBaseColourLabel)->text().toStdString(),
              LightText("JColor", kEnglish));
    auto* effects = Control<QComboBox>(Panel::kIdEffectList);
    EXPECT_EQ(effects->itemText(0).toStdString(), ModeText("1", kEnglish));
    // The selection stays on the keyboard's effect, and nothing is sent for it.
    EXPECT_EQ(effects->currentIndex(), Lighting().effects.PositionOf(Lighting().state.effect));
    EXPECT_TRUE(keyboard_->RequestLog().empty());
}

TEST_F(LightingPanelTest, EachEffectShowsItsOptionsAndItsDirectionPair) {
    SetKeyboardEffects({1, 12, 18, 17, 6, 20, 19});
    SetKeyboardRecord(1, {1, 4, 2, 0, 1, 255, 255, 255});
    StartInLightingMode(1);
    for (int id : {Panel::kIdBrightness, Panel::kIdSpeed, Panel::kIdDirectionFirst,
                   Panel::kIdColour, Panel::kIdMulticolour, Panel::kReportRateIds[0]}) {
        EXPECT_TRUE(Shown(id)) << id;
    }
    for (int id : {Panel::kIdReactionColour, Panel::kFourColourIds[0], UserColourModes::kIdModeList,
                   Panel::kIdFirstPreset, Panel::kIdStaticColour}) {
        EXPECT_FALSE(Shown(id)) << id;
    }
    EXPECT_EQ(Control<QWidget>(Panel::kIdDirectionFirst)->pos(), SkinPlace("CONTROL_BLFXLStaPic2"));

    // Effect 18: brightness and the diffuse/converge pair where the speed slider would be.
    SelectEffect(18);
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{42, {18}}}));
    EXPECT_TRUE(Shown(Panel::kIdBrightness));
    EXPECT_TRUE(Shown(Panel::kIdDirectionSecond));
    EXPECT_FALSE(Shown(Panel::kIdSpeed));
    EXPECT_FALSE(Shown(Panel::kIdColour));
    EXPECT_EQ(ShownPicture(Panel::kIdDirectionFirst), Picture("kuosan"));
    EXPECT_EQ(ShownPicture(Panel::kIdDirectionSecond), Picture("julongdown"));
    EXPECT_EQ(Control<QWidget>(Panel::kIdDirectionLabel)->pos(), SkinPlace("CONTROL_BLFXStatic"));

    // Effect 12: its first choice shows up/down and sends 0xFF at byte 3.
    SelectEffect(12);
    keyboard_->ClearFrameLog();
    ClickPicture(Panel::kIdDirectionFirst);
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{45, {0xFF}}}));
    EXPECT_EQ(ShownPicture(Panel::kIdDirectionFirst), Picture("updown"));
    EXPECT_EQ(ShownPicture(Panel::kIdDirectionSecond), Picture("downup"));
    EXPECT_EQ(Control<QWidget>(Panel::kIdDirectionFirst)->pos(), SkinPlace("CONTROL_BLFXLStaPic3"));
    EXPECT_EQ(keyboard_->LightRecord(1)[3], 0xFF);

    // Effect 1 takes the multicolour flag with it; effect 17 the four colours, effect 6 the
    // reaction colour group, effect 20 the user colour modes.
    keyboard_->ClearFrameLog();
    SelectEffect(1);
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{42, {1}}, {46, {1}}}));
    EXPECT_EQ(ShownPicture(Panel::kIdDirectionFirst), Picture("leftdown"));
    SelectEffect(17);
    EXPECT_TRUE(Shown(Panel::kFourColourIds[3]));
    EXPECT_FALSE(Shown(Panel::kIdSpeed));
    SelectEffect(6);
    EXPECT_TRUE(Shown(Panel::kIdReactionColour));
    EXPECT_FALSE(Shown(Panel::kIdColour));
    SelectEffect(20);
    EXPECT_TRUE(Shown(UserColourModes::kIdModeList));
    EXPECT_TRUE(Shown(UserColourModes::kIdBaseTool));

    // An effect without options sends nothing and shows no option, but the list stays, so that
    // another effect can be chosen.
    keyboard_->ClearFrameLog();
    SelectEffect(19);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_TRUE(Shown(Panel::kIdEffectList));
    EXPECT_FALSE(Shown(Panel::kIdBrightness));
    EXPECT_FALSE(Shown(UserColourModes::kIdModeList));
}

TEST_F(LightingPanelTest, ColourReportRateAndFourColourSendTheirBytes) {
    SetKeyboardRecord(0, {1, 4, 2, 0, 1, 255, 255, 255});
    StartInLightingMode(0);
    EXPECT_EQ(ShownPicture(Panel::kIdMulticolour), Picture("sjsdown"));

    // The same report-rate button twice: byte 15 twice.
    Control<CPngButton>(Panel::kReportRateIds[1])->click();
    Control<CPngButton>(Panel::kReportRateIds[1])->click();
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{15, {1}}, {15, {1}}}));
    EXPECT_TRUE(Control<CPngButton>(Panel::kReportRateIds[1])->GetCheck());
    EXPECT_FALSE(Control<CPngButton>(Panel::kReportRateIds[0])->GetCheck());

    // A colour chosen while multicolour is on: multicolour off first, then the colour.
    keyboard_->ClearFrameLog();
    Control<CSkinColorBtn>(Panel::kIdColour)->PopupFinished(MakeColorRef(10, 20, 30));
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{4, {0}}, {5, {10, 20, 30}}}));
    EXPECT_EQ(Control<CSkinColorBtn>(Panel::kIdReactionColour)->GetColor(),
              MakeColorRef(10, 20, 30));
    EXPECT_EQ(ShownPicture(Panel::kIdMulticolour), Picture("sjsup"));

    keyboard_->ClearFrameLog();
    ClickPicture(Panel::kIdMulticolour);
    ClickPicture(Panel::kFourColourIds[2]);
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{4, {1}}, {17, {2}}}));
    EXPECT_EQ(ShownPicture(Panel::kIdReactionMulticolour), Picture("sjsdown"));
    EXPECT_EQ(ShownPicture(Panel::kFourColourIds[2]), Picture("lvok"));
    EXPECT_EQ(ShownPicture(Panel::kFourColourIds[0]), Picture("hong"));
}

TEST_F(LightingPanelTest, WithLightingModeOffARereadLeavesEveryGroupHidden) {
    StartOnProfile(0);
    ASSERT_FALSE(Panel().LightingMode());
    // The keyboard changes its lighting itself: timer 1051 rereads it.
    ASSERT_TRUE(keyboard_->ChangeLightByteOnKeyboard(1, 5));
    ASSERT_TRUE(QTest::qWaitFor([] { return Lighting().state.brightness == 5; }, 5000));
    EXPECT_EQ(Control<CBitmapSlider>(Panel::kIdBrightness)->GetPos(), 5);
    for (int id : PanelControlIds()) {
        const bool theSwitch = id == Panel::kIdSwitch || id == Panel::kIdSwitchLabel;
        EXPECT_EQ(Shown(id), theSwitch) << id;
    }
    EXPECT_EQ(ShownPicture(Panel::kIdSwitch), Picture("dengup"));
}

TEST_F(LightingPanelTest, LightingModeSurvivesARestart) {
    StartOnProfile(0);
    ClickPicture(Panel::kIdSwitch);
    EXPECT_EQ(GetPrivateProfileString("KEYCOLOR", "DengCheck", "", LightingSettingsFile()), "1");
    DestroyWindow();
    DeviceState().Reset();
    StartOnProfile(0);
    EXPECT_TRUE(Panel().LightingMode());
    EXPECT_EQ(ShownPicture(Panel::kIdSwitch), Picture("dengdown"));
    EXPECT_TRUE(Shown(Panel::kIdBrightness));

    ClickPicture(Panel::kIdSwitch);
    EXPECT_FALSE(Panel().LightingMode());
    EXPECT_EQ(GetPrivateProfileString("KEYCOLOR", "DengCheck", "", LightingSettingsFile()), "0");
    EXPECT_FALSE(Shown(Panel::kIdEffectList));
    // Off, a key click opens the key editor again instead of painting.
    int opened = 0;
    dlg_->SetKeyEditor([&](int, int, bool) { return ++opened; });
    ClickKey(1058);
    EXPECT_EQ(opened, 1);
}

TEST_F(LightingPanelTest, LightingModeDoesNotComeOnWhileTheKeyEditorIsOpen) {
    StartOnProfile(0);
    dlg_->SetKeyEditor([&](int, int, bool) {
        ClickPicture(Panel::kIdSwitch);
        return 0;
    });
    ClickKey(1058);
    EXPECT_FALSE(Panel().LightingMode());
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"PROFILE_SEELCT_PROMPT2"});
    EXPECT_EQ(GetPrivateProfileString("KEYCOLOR", "DengCheck", "", LightingSettingsFile()), "");
}

TEST_F(LightingPanelTest, AWriteTheKeyboardRefusesShowsWhatTheKeyboardHolds) {
    SetKeyboardRecord(0, {1, 2, 2, 0, 1, 255, 255, 255});
    StartInLightingMode(0);
    // The session's opening and the write are refused; the reread gets through.
    keyboard_->AnswerWithStatus(0xFF, 2);
    MoveSlider(Panel::kIdBrightness, 4);
    EXPECT_EQ(keyboard_->LightRecord(0)[1], 2);
    EXPECT_EQ(Lighting().state.brightness, 2);
    EXPECT_EQ(Control<CBitmapSlider>(Panel::kIdBrightness)->GetPos(), 2);
    EXPECT_EQ(SliderPicture(Panel::kIdBrightness), Numbered(2));
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_LIGHT_WRITE_REFUSED"});
    // The refused value is not taken as stored: moving there again sends it again.
    keyboard_->ClearFrameLog();
    MoveSlider(Panel::kIdBrightness, 4);
    EXPECT_EQ(LightWrites(), (std::vector<SentBytes>{{1, {4}}}));

    // Nothing gets through, the reread neither: the panel shows what it showed before.
    messages_.Clear();
    keyboard_->FailWrites(kSimForever);
    ClickPicture(Panel::kFourColourIds[3]);
    keyboard_->FailWrites(0);
    EXPECT_EQ(Lighting().state.fourColour, 0);
    EXPECT_EQ(ShownPicture(Panel::kFourColourIds[0]), Picture("hongok"));
    EXPECT_EQ(ShownPicture(Panel::kFourColourIds[3]), Picture("lan"));
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_LIGHT_WRITE_REFUSED"});
}

TEST_F(LightingPanelTest, RestoringTheDefaultsShowsWhatWasSent) {
    SetKeyboardRecord(0, {5, 1, 4, 0xFF, 0, 1, 2, 3});
    StartInLightingMode(0);
    messages_.Answer(true);
    dlg_->OnCommand(CKestrowDlg::kIdDefault);
    const std::vector<SentBytes> writes = LightWrites();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0], (SentBytes{0, {1}}));
    EXPECT_EQ(writes[1], (SentBytes{4, {0}})); // the multicolour flag as it was
    EXPECT_EQ(writes[2], (SentBytes{0, std::vector<uint8_t>(kDefaultLightRecord.begin(),
                                                            kDefaultLightRecord.end())}));
    // The brightness slider shows 4, the level sent.
    EXPECT_EQ(Control<CBitmapSlider>(Panel::kIdBrightness)->GetPos(), 4);
    EXPECT_EQ(SliderPicture(Panel::kIdBrightness), Numbered(4));
    EXPECT_EQ(Control<CBitmapSlider>(Panel::kIdSpeed)->GetPos(), 3);
    EXPECT_EQ(SliderPicture(Panel::kIdSpeed), Numbered(9));
    EXPECT_EQ(ShownPicture(Panel::kIdDirectionFirst), Picture("leftup"));
    EXPECT_EQ(ShownPicture(Panel::kIdDirectionSecond), Picture("rightdown"));
    EXPECT_EQ(ShownPicture(Panel::kIdMulticolour), Picture("sjsdown"));
    EXPECT_EQ(Control<CSkinColorBtn>(Panel::kIdColour)->GetColor(), MakeColorRef(255, 255, 255));
    EXPECT_TRUE(Control<CPngButton>(Panel::kReportRateIds[0])->GetCheck());
    EXPECT_EQ(Control<QComboBox>(Panel::kIdEffectList)->currentIndex(),
              Lighting().effects.PositionOf(1));
    // Later moves compare against the default record.
    keyboard_->ClearFrameLog();
    MoveSlider(Panel::kIdBrightness, 4);
    MoveSlider(Panel::kIdSpeed, 3);
    EXPECT_TRUE(LightWrites().empty());
}

TEST_F(LightingPanelTest, TheKeyboardsOwnChangesAreRereadAndItsProfileNoticeLeavesLightingMode) {
    SetKeyboardRecord(1, {12, 3, 1, 0, 0, 0, 0, 0});
    StartInLightingMode(0);
    ASSERT_TRUE(keyboard_->ChangeProfileOnKeyboard(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Panel().LightingMode(); }, 5000));
    // Timer 1053: the panel shows profile 1's lighting, lighting mode is off.
    EXPECT_EQ(DeviceState().CurrentProfile.load(), 1);
    EXPECT_EQ(Lighting().state.effect, 12);
    EXPECT_EQ(Control<QComboBox>(Panel::kIdEffectList)->currentIndex(),
              Lighting().effects.PositionOf(12));
    EXPECT_EQ(GetPrivateProfileString("KEYCOLOR", "DengCheck", "", LightingSettingsFile()), "0");
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1 + 1)->GetCheck());
}

TEST_F(LightingPanelTest, EveryControlSitsWhereTheSkinPutsItAndNoneOverlapsAnother) {
    StartInLightingMode(0);
    const std::pair<int, const char*> places[] = {
        {Panel::kIdSwitch, "CONTROL_DengStaPic"},
        {Panel::kIdSwitchLabel, "CONTROL_DengStatic"},
        {Panel::kIdEffectList, "CONTROL_XGcombox"},
        {Panel::kIdBrightness, "CONTROL_LightSlider"},
        {Panel::kIdSpeed, "CONTROL_SpeedSlider"},
        {Panel::kIdColour, "CONTROL_HXysButton"},
        {Panel::kIdReactionColour, "CONTROL_FYYSButton"},
        {Panel::kFourColourIds[1], "CONTROL_HUANGPIC"},
        {Panel::kReportRateIds[3], "FUNC_REPORT4"},
        {Panel::kWebButtonIds[2], "CONTROL_twitter"},
        {Panel::kColourEditIds[0], "COLOR_R"},
        {UserColourModes::kIdModeList, "CONTROL_umCombo"},
        {UserColourModes::kIdBaseColour, "CONTROL_USERjsButton"},
    };
    for (const auto& [id, key] : places) {
        const SkinRect r = ReadSkinRect(dlg_->IniPath(), "BUTTONINFO", key);
        EXPECT_EQ(Control<QWidget>(id)->geometry(), QRect(r.x, r.y, r.w, r.h)) << key;
    }
    for (const auto& [position, code] : Lighting().effects.entries) {
        SelectEffect(code);
        std::vector<QWidget*> shown;
        for (int id : PanelControlIds()) {
            if (Shown(id)) {
                shown.push_back(FindControl(dlg_.get(), id));
            }
        }
        for (size_t a = 0; a < shown.size(); ++a) {
            for (size_t b = a + 1; b < shown.size(); ++b) {
                EXPECT_FALSE(shown[a]->geometry().intersects(shown[b]->geometry()))
                    << "effect " << int(code) << ": " << ControlId(shown[a]) << " and "
                    << ControlId(shown[b]);
            }
        }
    }
}

TEST_F(LightingPanelTest, WebButtonsOpenTheSkinsAddressesAndAnEmptyOneHidesItsButton) {
    TempDir program;
    CopyProgramData(program.path());
    const std::filesystem::path skin = program.path() / "Skins" / "Main.ini";
    ASSERT_TRUE(WritePrivateProfileString("SCREEN", "FacebookLink", "", skin));
    // A skin may not make a button open a file.
    ASSERT_TRUE(WritePrivateProfileString("SCREEN", "TwitterLink", "file:///etc/passwd", skin));
    SetProgramFolder(program.path());
    UrlCatcher catcher;
    StartInLightingMode(0);
    EXPECT_TRUE(Shown(Panel::kWebButtonIds[0]));
    EXPECT_FALSE(Shown(Panel::kWebButtonIds[1]));
    EXPECT_FALSE(Shown(Panel::kWebButtonIds[2]));
    Control<CPngButton>(Panel::kWebButtonIds[0])->click();
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toString(),
              QString::fromStdString(GetPrivateProfileString("SCREEN", "NetworkLink", "", skin)));
    // Lighting mode off hides them all.
    ClickPicture(Panel::kIdSwitch);
    EXPECT_FALSE(Shown(Panel::kWebButtonIds[0]));
}

#include "LightingPanelTest.moc"
