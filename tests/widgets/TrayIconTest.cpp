// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageRecorder.h"
#include "widgets/CTrayIcon.h"
#include "widgets/MenuResource.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr uint32_t kCallback = 1725;
constexpr uint32_t kIconId = 140;

QIcon SolidIcon(QColor colour) {
    QPixmap p(16, 16);
    p.fill(colour);
    return QIcon(p);
}

class TrayIcon : public testing::Test {
protected:
    void SetUp() override {
        RegisterMenuResource(
            kIconId,
            {{0,
              "Tray",
              {{32771, "Open", {}}, {0, "", {}}, {32773, "About", {}}, {32774, "Exit", {}}}}});
        RegisterIconResource(141, SolidIcon(Qt::green));
        ASSERT_TRUE(tray.Create(&owner, kCallback, "Keyboard", SolidIcon(Qt::red), kIconId));
    }
    void TearDown() override {
        if (QMenu* menu = tray.OpenMenu()) {
            menu->close();
        }
    }
    std::vector<uintptr_t> Commands() const {
        std::vector<uintptr_t> out;
        for (const auto& m : owner.Of(WM_COMMAND)) {
            out.push_back(m.wParam);
        }
        return out;
    }
    MessageRecorder owner;
    CTrayIcon tray;
};

TEST(TrayIconCreate, WithoutOwnerEverythingFails) {
    CTrayIcon tray;
    EXPECT_FALSE(tray.Create(nullptr, kCallback, "x", QIcon(), kIconId));
    EXPECT_FALSE(tray.IsAdded());
    EXPECT_FALSE(tray.SetTooltipText("y"));
    EXPECT_FALSE(tray.SetIcon(QIcon()));
    EXPECT_FALSE(tray.Hide());
    EXPECT_FALSE(tray.Show());
    EXPECT_FALSE(tray.Remove());
}

TEST(TrayIconTooltip, LongTextsAreCutWithoutSplittingACharacter) {
    EXPECT_EQ(CTrayIcon::FitTooltip(QString(127, 'a')).size(), 127);
    EXPECT_EQ(CTrayIcon::FitTooltip(QString(500, 'a')), QString(127, 'a'));
    // A character outside the basic plane across the cut goes as a whole.
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    const QString text = QString(126, 'a') + clef + "tail";
    EXPECT_EQ(CTrayIcon::FitTooltip(text), QString(126, 'a'));
}

TEST_F(TrayIcon, AddedWithItsIconAndTooltip) {
    EXPECT_TRUE(tray.IsAdded());
    ASSERT_NE(tray.SystemTrayIcon(), nullptr);
    EXPECT_TRUE(tray.SystemTrayIcon()->isVisible());
    EXPECT_EQ(tray.SystemTrayIcon()->toolTip(), "Keyboard");
    EXPECT_TRUE(tray.SetTooltipText(QString(300, 'x')));
    EXPECT_EQ(tray.SystemTrayIcon()->toolTip(), QString(127, 'x'));
}

TEST_F(TrayIcon, IconsByResourceId) {
    EXPECT_TRUE(tray.SetIcon(141));
    EXPECT_EQ(tray.SystemTrayIcon()->icon().pixmap(16).toImage().pixelColor(3, 3),
              QColor(Qt::green));
    // An unknown id keeps the icon.
    EXPECT_FALSE(tray.SetIcon(999));
    EXPECT_EQ(tray.Icon().pixmap(16).toImage().pixelColor(3, 3), QColor(Qt::green));
}

TEST_F(TrayIcon, ChangesFromAWorkerThreadHappenOnTheIconsThread) {
    std::thread worker([this] {
        EXPECT_TRUE(tray.SetIcon(141));
        EXPECT_TRUE(tray.SetTooltipText("Connected"));
    });
    worker.join();
    // Nothing was touched from the worker itself.
    EXPECT_EQ(tray.SystemTrayIcon()->toolTip(), "Keyboard");
    QApplication::processEvents();
    EXPECT_EQ(tray.SystemTrayIcon()->toolTip(), "Connected");
    EXPECT_EQ(tray.SystemTrayIcon()->icon().pixmap(16).toImage().pixelColor(3, 3),
              QColor(Qt::green));
}

TEST_F(TrayIcon, DoubleClickSendsTheDefaultCommand) {
    // From the icon itself: the notice is posted to the owner and handled by the hook.
    emit tray.SystemTrayIcon()->activated(QSystemTrayIcon::DoubleClick);
    QApplication::processEvents();
    EXPECT_EQ(Commands(), (std::vector<uintptr_t>{32771}));
    // The owner still sees the notice after the hook.
    EXPECT_EQ(owner.Of(kCallback).size(), 1u);
    tray.SetDefaultItem(32773);
    EXPECT_EQ(SendWindowMessage(&owner, kCallback, kIconId, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(Commands(), (std::vector<uintptr_t>{32771, 32773}));
}

TEST_F(TrayIcon, SingleClickOnlyMarksAClickAndAnotherIconIdIsIgnored) {
    EXPECT_EQ(tray.OnTrayNotification(kIconId, WM_LBUTTONDOWN), 1);
    EXPECT_FALSE(tray.IsClickPending());
    tray.SetClickCommand(1009);
    emit tray.SystemTrayIcon()->activated(QSystemTrayIcon::Trigger);
    QApplication::processEvents();
    EXPECT_TRUE(tray.IsClickPending());
    EXPECT_TRUE(Commands().empty());
    tray.OnTrayNotification(kIconId, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(tray.IsClickPending());
    EXPECT_EQ(tray.OnTrayNotification(kIconId + 1, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(Commands(), (std::vector<uintptr_t>{32771}));
}

TEST_F(TrayIcon, RightClickShowsTheMenuWithItsDefaultInBold) {
    std::vector<QString> relabelled;
    tray.SetMenuCallback([&](QMenu* menu) {
        FindMenuCommand(menu, 32771)->setText("MENU_11");
        for (QAction* a : menu->actions()) {
            relabelled.push_back(a->text());
        }
    });
    EXPECT_EQ(tray.OnTrayNotification(kIconId, WM_RBUTTONUP), 1);
    QMenu* menu = tray.OpenMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(relabelled, (std::vector<QString>{"MENU_11", "", "About", "Exit"}));
    ASSERT_NE(menu->defaultAction(), nullptr);
    EXPECT_EQ(MenuCommandId(menu->defaultAction()), 32771);
    EXPECT_TRUE(menu->defaultAction()->font().bold());
    FindMenuCommand(menu, 32774)->trigger();
    EXPECT_EQ(Commands(), (std::vector<uintptr_t>{32774}));
    menu->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray.OpenMenu() == nullptr; }, 1000));

    tray.SetDefaultItem(32773);
    tray.OnTrayNotification(kIconId, WM_RBUTTONUP);
    ASSERT_NE(tray.OpenMenu(), nullptr);
    EXPECT_EQ(MenuCommandId(tray.OpenMenu()->defaultAction()), 32773);
}

TEST_F(TrayIcon, ComesBackWithCurrentIconAndTooltipWhenTheAreaReturns) {
    tray.SetIcon(141);
    tray.SetTooltipText("Profile 2");
    const int adds = tray.AddCount();
    NotificationAreaWatcher::Instance().SetProbe([] { return false; });
    bool available = false;
    NotificationAreaWatcher::Instance().SetProbe([&] { return available; });
    EXPECT_FALSE(NotificationAreaWatcher::Instance().Poll());
    available = true;
    EXPECT_TRUE(NotificationAreaWatcher::Instance().Poll());
    EXPECT_FALSE(NotificationAreaWatcher::Instance().Poll()); // only on the return
    NotificationAreaWatcher::Instance().SetProbe([] { return true; });
    EXPECT_EQ(tray.AddCount(), adds + 1);
    ASSERT_NE(tray.SystemTrayIcon(), nullptr);
    EXPECT_TRUE(tray.SystemTrayIcon()->isVisible());
    EXPECT_EQ(tray.SystemTrayIcon()->toolTip(), "Profile 2");
    EXPECT_EQ(tray.SystemTrayIcon()->icon().pixmap(16).toImage().pixelColor(3, 3),
              QColor(Qt::green));

    // A hidden icon stays hidden.
    tray.Hide();
    SendWindowMessage(&owner, TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(tray.SystemTrayIcon(), nullptr);
    EXPECT_TRUE(tray.Show());
    EXPECT_NE(tray.SystemTrayIcon(), nullptr);
    tray.Remove();
    EXPECT_FALSE(tray.IsAdded());
    EXPECT_FALSE(tray.Show());
}

TEST(TrayIconHooks, OwnerAndTopLevelAreHookedAndUnhookedWhenDestroyed) {
    auto top = std::make_unique<MessageRecorder>();
    auto* owner = new MessageRecorder(top.get());
    CTrayIcon tray;
    ASSERT_TRUE(tray.Create(owner, kCallback, "tip", QIcon(), kIconId));
    EXPECT_EQ(CSubclassWnd::HookCount(owner), 1);
    EXPECT_EQ(CSubclassWnd::HookCount(top.get()), 1);
    // The notification area's return reaches the icon through the top-level window.
    const int adds = tray.AddCount();
    NotificationAreaWatcher::Broadcast();
    EXPECT_EQ(tray.AddCount(), adds + 1);
    const QObject* gone = top.get();
    top.reset(); // takes the owner with it
    EXPECT_EQ(CSubclassWnd::HookCount(gone), 0);
    EXPECT_EQ(CSubclassWnd::HookCount(owner), 0);
    // With the owner gone the notices lead nowhere.
    EXPECT_EQ(tray.OnTrayNotification(kIconId, WM_LBUTTONDBLCLK), 1);
}

} // namespace
