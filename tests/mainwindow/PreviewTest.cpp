// SPDX-License-Identifier: GPL-3.0-or-later
// The lighting preview on the key buttons: the frames follow the engine tick by tick, a hidden or
// minimized window does no preview work and goes on where it stopped, lighting mode off leaves
// the keys unframed while the timer runs, effect 20 keeps the user colours, and the effects that
// show nothing clear the frames.

#include "LightingFixture.h"
#include "mainwindow/KeyMapTables.h"
#include "model/PreviewEngine.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ColorRef.h"

#include <optional>
#include <vector>

namespace {

constexpr KeyCode kEnterCode = 0x1C;
constexpr int kButtonA = 1058;
constexpr uint32_t kRed = PackColour(255, 0, 0);
constexpr uint32_t kBlueish = PackColour(0x2F, 0x7B, 0xFF);

using Frames = std::vector<std::optional<uint32_t>>;

class PreviewTest : public LightingTest {
protected:
    // Profile 0 holds `effect` (with the multicolour flag), every effect is offered, lighting
    // mode is on and the window shown.
    void StartShown(uint8_t effect, bool multicolour) {
        SetKeyboardEffects({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20});
        SetKeyboardRecord(0, {effect, 4, 2, kDirectionFirst, multicolour ? uint8_t{1} : uint8_t{0},
                              0x2F, 0x7B, 0xFF});
        StartInLightingMode(0);
        ASSERT_EQ(Lighting().state.effect, effect);
        dlg_->ShowMainWindow();
        ASSERT_TRUE(dlg_->isVisible());
    }
    CPngButton* ButtonOf(const PreviewKey& key) const {
        return key.code == kPreviewFnCode ? dlg_->Button(kFnKeyId) : dlg_->ButtonOfCode(key.code);
    }
    // What each preview key's button shows.
    Frames Shown() const {
        Frames frames;
        for (const PreviewKey& key : PreviewLayoutTable().keys) {
            const CPngButton* button = ButtonOf(key);
            frames.push_back(button != nullptr && button->IsFrameOn()
                                 ? std::optional(FromQColor(button->FrameColour()))
                                 : std::nullopt);
        }
        return frames;
    }
    static Frames Of(const PreviewFrame& frame) { return {frame.begin(), frame.end()}; }
    static bool NoneFramed(const Frames& frames) {
        return std::all_of(frames.begin(), frames.end(), [](const auto& f) { return !f; });
    }
    static bool AllFramed(const Frames& frames) {
        return std::all_of(frames.begin(), frames.end(), [](const auto& f) { return f.has_value(); });
    }
    PreviewInput Input() const {
        return PreviewInputOf(Lighting(), DeviceState().CurrentProfile.load());
    }
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) {
            Panel().PreviewTick();
        }
    }
};

} // namespace

TEST_F(PreviewTest, WithEffect1TheKeyFramesFollowTheEngineFromTickToTick) {
    StartShown(1, true);
    // The engine on its own, fed the same lighting state: the window shows its frames exactly.
    PreviewEngine reference;
    Frames previous = Shown();
    EXPECT_TRUE(NoneFramed(previous));
    for (int tick = 1; tick <= 4; ++tick) {
        Tick();
        reference.Tick(Input());
        const Frames now = Shown();
        EXPECT_EQ(now, Of(reference.Frame())) << "tick " << tick;
        EXPECT_TRUE(AllFramed(now)) << "tick " << tick;
        EXPECT_NE(now, previous) << "tick " << tick;
        previous = now;
    }
    // Both buttons of Enter show the one key.
    const CPngButton* upper = dlg_->Button(kEnterUpperId);
    const CPngButton* lower = dlg_->ButtonOfCode(kEnterCode);
    ASSERT_NE(upper, nullptr);
    EXPECT_TRUE(upper->IsFrameOn());
    EXPECT_EQ(upper->FrameColour(), lower->FrameColour());
}

TEST_F(PreviewTest, SelectingAnEffectRestartsThePreviewFromClearedFrames) {
    StartShown(1, false);
    Tick(5);
    ASSERT_TRUE(AllFramed(Shown()));
    SelectEffect(3);
    EXPECT_TRUE(NoneFramed(Shown()));
    Tick();
    PreviewEngine fresh;
    fresh.Tick(Input());
    EXPECT_EQ(Shown(), Of(fresh.Frame()));
    // Effect 3 lights only the ring: keys outside it stay unframed.
    EXPECT_FALSE(AllFramed(Shown()));
    EXPECT_FALSE(NoneFramed(Shown()));
}

TEST_F(PreviewTest, AHiddenOrMinimizedWindowDoesNoPreviewWorkAndGoesOnWhereItStopped) {
    StartShown(1, true);
    PreviewEngine reference;
    Tick(2);
    reference.Tick(Input());
    reference.Tick(Input());
    const Frames before = Shown();
    ASSERT_EQ(before, Of(reference.Frame()));

    dlg_->hide();
    Tick(5);
    // Neither the engine nor a button moved.
    EXPECT_EQ(Of(Panel().Preview().Frame()), before);
    EXPECT_EQ(Shown(), before);
    dlg_->ShowMainWindow();
    Tick();
    reference.Tick(Input());
    EXPECT_EQ(Shown(), Of(reference.Frame()));

    const Frames beforeMinimized = Shown();
    dlg_->showMinimized();
    ASSERT_TRUE(dlg_->isMinimized());
    Tick(5);
    EXPECT_EQ(Of(Panel().Preview().Frame()), beforeMinimized);
    EXPECT_EQ(Shown(), beforeMinimized);
    dlg_->showNormal();
    Tick();
    reference.Tick(Input());
    EXPECT_EQ(Shown(), Of(reference.Frame()));
}

TEST_F(PreviewTest, TheTimerRunsHiddenWithoutWorkAndBringsThePreviewOnShow) {
    StartShown(1, true);
    dlg_->hide();
    const Frames hidden = Shown();
    QTest::qWait(300); // several periods of timer 1052
    EXPECT_EQ(Of(Panel().Preview().Frame()), hidden);
    EXPECT_TRUE(NoneFramed(Shown()));
    dlg_->ShowMainWindow();
    // The timer alone brings the frames, and keeps them moving.
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllFramed(Shown()); }, 2000));
    const Frames first = Shown();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shown() != first; }, 2000));
}

TEST_F(PreviewTest, WithLightingModeOffTheTimerRunsButNoFrameChanges) {
    StartShown(1, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllFramed(Shown()); }, 2000));
    ClickPicture(LightingPanel::kIdSwitch);
    ASSERT_FALSE(Panel().LightingMode());
    EXPECT_TRUE(NoneFramed(Shown()));
    QTest::qWait(300);
    EXPECT_TRUE(NoneFramed(Shown()));
    // The timer was running all along: lighting mode on is enough for the frames to come back.
    ClickPicture(LightingPanel::kIdSwitch);
    ASSERT_TRUE(Panel().LightingMode());
    EXPECT_TRUE(QTest::qWaitFor([&] { return AllFramed(Shown()); }, 2000));
}

TEST_F(PreviewTest, Effect20LeavesTheUserColoursInPlace) {
    StartShown(1, false);
    SelectEffect(kUserColourEffect);
    UserColours().settings.paintColour = kRed;
    UserColours().settings.tool = UserColourModes::kPaintTool;
    ClickKey(kButtonA);
    ASSERT_TRUE(dlg_->Button(kButtonA)->IsFrameOn());
    ASSERT_EQ(FromQColor(dlg_->Button(kButtonA)->FrameColour()), kRed);
    const Frames painted = Shown();
    ASSERT_TRUE(AllFramed(painted));
    Tick(3);
    EXPECT_EQ(Shown(), painted);
}

TEST_F(PreviewTest, EffectsThatShowNothingClearTheFramesEvenWhenNotSelectedHere) {
    StartShown(1, false);
    // The keyboard's own change (timer 1051) rereads the effect without the selection's clear:
    // the next ticks clear what effect 1 left.
    for (uint8_t code : {7, 8, 9, 17, 19}) {
        Lighting().state.effect = 1;
        Tick();
        ASSERT_TRUE(AllFramed(Shown())) << int(code);
        Lighting().state.effect = code;
        Tick();
        EXPECT_TRUE(NoneFramed(Shown())) << int(code);
    }
    Lighting().state.effect = 1;
    Tick();
    ASSERT_TRUE(AllFramed(Shown()));
    ASSERT_TRUE(keyboard_->ChangeLightByteOnKeyboard(LightField::Effect, 7));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Lighting().state.effect == 7; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return NoneFramed(Shown()); }, 2000));
}

TEST_F(PreviewTest, WithoutMulticolourEffect6ShowsTheBaseColourAndNeverChanges) {
    StartShown(6, false);
    Tick();
    const Frames first = Shown();
    ASSERT_TRUE(AllFramed(first));
    for (const auto& colour : first) {
        EXPECT_EQ(colour, kBlueish);
    }
    Tick(4);
    EXPECT_EQ(Shown(), first);
}
