// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The about box: a small modeless window with the program icon, an introduction line, an
// ownership line, the maker's web address and OK. Only one is open at a time; OK and the close
// box destroy it, and it can be opened again.

#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <cstdint>
#include <filesystem>
#include <string>

class QLabel;
class QPushButton;

// The address shown when the skin names none.
inline constexpr const char* kDefaultSkinLink = "https://kestrow.example.org/";

// Main.ini's SCREEN/Link (at most 259 characters), or kDefaultSkinLink when it is missing.
std::string ReadSkinLink(const std::filesystem::path& mainSkinFile);

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 100;
    static constexpr int kOwnershipId = 1205;
    static constexpr int kIntroductionId = 1206;

    explicit CAboutDlg(std::string link, QWidget* parent = nullptr);

    // Shows the window, puts the link into the link line and sends itself the language notice.
    void Open();

    // Own window messages; only the language notice with its tag acts. Returns 0.
    long SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    QString IntroductionText() const;
    QString OwnershipText() const;
    QString OkText() const;
    QString LinkText() const;
    // Invalid when the link is no web address: then it is shown as plain text only.
    QUrl LinkTarget() const { return target_; }
    QLabel* LinkLabel() const { return link_; }

protected:
    bool event(QEvent* e) override;

private:
    void OnLanguage(int languageIndex);

    std::string linkText_;
    QUrl target_;
    QLabel* introduction_;
    QLabel* ownership_;
    QLabel* link_;
    QPushButton* ok_;
};

// The process-wide about box: opens one at a time and forgets it once it is destroyed.
class AboutBox {
public:
    // Opens the about box, or brings the open one forward. Returns it.
    CAboutDlg* Open(const std::string& link, QWidget* parent);
    // Destroys it if it exists.
    void Close();
    // Forwards a language notice to it if it exists.
    void ForwardLanguage(int languageIndex);
    CAboutDlg* Current() const { return dialog_.data(); }

private:
    QPointer<CAboutDlg> dialog_;
};
