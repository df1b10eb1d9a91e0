// SPDX-License-Identifier: GPL-3.0-or-later
// The about box: one at a time, texts from the language file, the skin's link, and the link
// never taken as markup or opened when it is no web address.

#include "AppTestSupport.h"
#include "app/CAboutDlg.h"
#include "platform/OwnMessages.h"
#include "platform/ProfileString.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QString Text(const char* key, int index) {
    return QString::fromStdString(LangText(key, index));
}

class About : public testing::Test {
protected:
    void SetUp() override { SetProgramFolder(BinFolder()); }
    void TearDown() override { box_.Close(); }

    PrivateUserFolders folders_;
    AboutBox box_;
};

} // namespace

TEST_F(About, TextsComeFromTheLanguageFileAndFollowTheLanguageNotice) {
    CAboutDlg* dlg = box_.Open("https://example.org/", nullptr);
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    const int index = CurrentLanguageIndex();
    EXPECT_EQ(dlg->windowTitle(), Text("LANG_ABOUT_TITLE", index));
    EXPECT_EQ(dlg->IntroductionText(), Text("GUANYU_JIESHAO", index));
    EXPECT_EQ(dlg->OwnershipText(), Text("GUANYU_BANQUAN", index));
    EXPECT_EQ(dlg->OkText(), Text("LANG_ABOUT_OK", index));
    EXPECT_NE(dlg->IntroductionText(), "#Error");
    EXPECT_NE(dlg->findChild<QLabel*>("1206"), nullptr);
    EXPECT_NE(dlg->findChild<QLabel*>("1205"), nullptr);

    // English (index 2) and Portuguese (index 0) differ; a notice with a wrong tag is ignored.
    ASSERT_NE(Text("LANG_ABOUT_TITLE", 2), Text("LANG_ABOUT_TITLE", 0));
    box_.ForwardLanguage(2);
    EXPECT_EQ(dlg->windowTitle(), Text("LANG_ABOUT_TITLE", 2));
    dlg->SendOwnMessage(UM_LANGUAGE, kOpenTag, 0);
    EXPECT_EQ(dlg->windowTitle(), Text("LANG_ABOUT_TITLE", 2));
    dlg->SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag, 0);
    EXPECT_EQ(dlg->OkText(), Text("LANG_ABOUT_OK", 0));
}

TEST_F(About, OnlyOneAtATimeAndItCanBeOpenedAgainAfterOk) {
    CAboutDlg* first = box_.Open("https://example.org/", nullptr);
    EXPECT_EQ(box_.Open("https://example.org/", nullptr), first);
    EXPECT_EQ(box_.Current(), first);

    QSignalSpy destroyed(first, &QObject::destroyed);
    first->findChild<QPushButton*>()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(destroyed.count(), 1);
    EXPECT_EQ(box_.Current(), nullptr);

    CAboutDlg* second = box_.Open("https://example.org/", nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isVisible());
    box_.Close();
    EXPECT_EQ(box_.Current(), nullptr);
    box_.Close();            // nothing to close
    box_.ForwardLanguage(0); // nothing to forward to
}

TEST_F(About, TheSkinLinkIsTextAndTarget) {
    EXPECT_EQ(ReadSkinLink(BinFolder() / "Skins" / "Main.ini"),
              GetPrivateProfileString("SCREEN", "Link", "", BinFolder() / "Skins" / "Main.ini"));
    TempDir dir;
    EXPECT_EQ(ReadSkinLink(dir / "Main.ini"), kDefaultSkinLink);
    dir.write("Main.ini", "[SCREEN]\nLink=https://" + std::string(400, 'a') + "\n");
    EXPECT_EQ(ReadSkinLink(dir / "Main.ini").size(), 259u);

    CAboutDlg* dlg = box_.Open("https://kestrow.example.org/help?a=1&b=2", nullptr);
    EXPECT_EQ(dlg->LinkTarget(), QUrl("https://kestrow.example.org/help?a=1&b=2"));
    EXPECT_EQ(dlg->LinkLabel()->textFormat(), Qt::RichText);
    EXPECT_TRUE(dlg->LinkText().contains("help?a=1&amp;b=2"));
    EXPECT_FALSE(dlg->LinkLabel()->openExternalLinks());
}

TEST_F(About, ALinkIsNeverMarkupAndOnlyAWebAddressIsOpened) {
    CAboutDlg* markup = box_.Open("https://x.org/\"><img src=file:///etc/passwd>", nullptr);
    // Either refused as an address (then plain text) or escaped.
    EXPECT_TRUE(markup->LinkLabel()->textFormat() == Qt::PlainText ||
                !markup->LinkText().contains("<img"));
    box_.Close();
    CAboutDlg* quoted = box_.Open("https://x.org/a'b\"c", nullptr);
    if (quoted->LinkTarget().isValid()) {
        EXPECT_FALSE(quoted->LinkText().contains("\"c")) << quoted->LinkText().toStdString();
    }
    box_.Close();

    for (const char* notWeb : {"file:///etc/passwd", "javascript:alert(1)", "/usr/bin/xterm",
                               "<b>bold</b>", "", "http://"}) {
        CAboutDlg* dlg = box_.Open(notWeb, nullptr);
        EXPECT_FALSE(dlg->LinkTarget().isValid()) << notWeb;
        EXPECT_EQ(dlg->LinkLabel()->textFormat(), Qt::PlainText) << notWeb;
        EXPECT_EQ(dlg->LinkText(), QString::fromUtf8(notWeb));
        box_.Close();
    }
}
