// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes: Yes/No with No as default, texts by key, and questions from other threads
// that never outlive the window.

#include "mainwindow/UserMessages.h"

#include "AppTestSupport.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "support/ThreadWait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

QMessageBox* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

class MessageBoxesTest : public testing::Test {
protected:
    void SetUp() override { SetProgramFolder(BinFolder()); }
    QWidget owner_;
    MessageBoxes boxes_{&owner_};
};

} // namespace

TEST_F(MessageBoxesTest, QuestionsDefaultToNoAndShowTheLanguageText) {
    QString text;
    bool defaultIsNo = false;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = OpenBox();
        ASSERT_NE(box, nullptr);
        text = box->text();
        defaultIsNo =
            static_cast<QAbstractButton*>(box->defaultButton()) == box->button(QMessageBox::No);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(boxes_.AskYesNo("MAIN_PROMPT_DEFAULT", std::nullopt));
    EXPECT_TRUE(defaultIsNo);
    EXPECT_EQ(text.toStdString(), LangText("MAIN_PROMPT_DEFAULT", CurrentLanguageIndex()));

    QTimer::singleShot(0, [&] { OpenBox()->button(QMessageBox::No)->click(); });
    EXPECT_FALSE(boxes_.AskYesNo("PROFILE_SELECT_PROMPT", std::nullopt));
    // A path text names the file.
    QTimer::singleShot(0, [&] {
        text = OpenBox()->text();
        OpenBox()->button(QMessageBox::Ok)->click();
    });
    boxes_.ShowPathText("PROFILE_FORMAT_ERROR", "/tmp/some.fwc");
    EXPECT_TRUE(text.contains(QStringLiteral("/tmp/some.fwc")));
}

TEST_F(MessageBoxesTest, AQuestionFromAnotherThreadIsAnsweredOnTheWindowsThread) {
    std::atomic<int> answer{-1};
    // The box runs in its own loop on this thread; a timer answers it from inside that loop.
    QTimer clicker;
    clicker.callOnTimeout([] {
        if (QMessageBox* box = OpenBox()) {
            box->button(QMessageBox::Yes)->click();
        }
    });
    clicker.start(10);
    std::thread asker([&] { answer = boxes_.AskYesNo("PROFILE_SELECT_PROMPT", std::nullopt); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.load() != -1; }, 3000));
    asker.join();
    EXPECT_EQ(answer.load(), 1);
}

TEST_F(MessageBoxesTest, ReleasingLetsWaitingThreadsGoOnWithoutAnAnswer) {
    std::atomic<int> answer{-1};
    BlockedThread waiting;
    std::thread asker([&] {
        waiting.Mark();
        answer = boxes_.AskYesNo("PROFILE_SELECT_PROMPT", std::nullopt);
    });
    // The window's thread never gets to the box: it is closing.
    EXPECT_TRUE(waiting.WaitUntilBlocked());
    boxes_.Release();
    asker.join();
    EXPECT_EQ(answer.load(), 0);
    // Later requests from other threads show nothing and do not wait.
    std::thread late([&] { boxes_.ShowText("MAIN_NO_DEVICE_PROMPT", std::nullopt); });
    late.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(OpenBox(), nullptr);
}
