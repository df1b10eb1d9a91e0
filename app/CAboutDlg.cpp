// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CAboutDlg.h"

#include "app/ShellOpen.h"
#include "mainwindow/CKestrowDlg.h"
#include "platform/ProfileString.h"
#include "skin/Language.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr size_t kLinkUnits = 260;
}

std::string ReadSkinLink(const std::filesystem::path& mainSkinFile) {
    return GetPrivateProfileString("SCREEN", "Link", kDefaultSkinLink, mainSkinFile, kLinkUnits);
}

CAboutDlg::CAboutDlg(std::string link, QWidget* parent)
    : QDialog(parent), linkText_(std::move(link)), introduction_(new QLabel(this)),
      ownership_(new QLabel(this)), link_(new QLabel(this)), ok_(new QPushButton(this)) {
    setObjectName(QString::number(kDialogId));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    introduction_->setObjectName(QString::number(kIntroductionId));
    ownership_->setObjectName(QString::number(kOwnershipId));
    for (QLabel* label : {introduction_, ownership_}) {
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
    }
    // The two coloured text lines.
    introduction_->setStyleSheet("color: #1D5FA8;");
    ownership_->setStyleSheet("color: #5A6270;");
    link_->setObjectName("link");
    connect(link_, &QLabel::linkActivated, this,
            [](const QString& url) { OpenWebAddress(url.toStdString()); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::close);

    auto* texts = new QVBoxLayout;
    texts->addWidget(introduction_);
    texts->addWidget(ownership_);
    texts->addWidget(link_);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

void CAboutDlg::Open() {
    show();
    target_ = WebAddress(linkText_);
    const QString text = QString::fromStdString(linkText_);
    if (target_.isValid()) {
        // The skin is outside data: its text never reaches the label as markup.
        link_->setTextFormat(Qt::RichText);
        link_->setText(
            QStringLiteral("<a href=\"%1\">%2</a>")
                .arg(QString::fromUtf8(target_.toEncoded()).toHtmlEscaped(), text.toHtmlEscaped()));
        link_->setOpenExternalLinks(false);
    } else {
        link_->setTextFormat(Qt::PlainText);
        link_->setText(text);
    }
    SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag, LanguageNoticeIndex(CurrentLanguageIndex()));
}

long CAboutDlg::SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == UM_LANGUAGE && wParam == kLanguageNoticeTag) {
        OnLanguage(static_cast<int>(lParam));
    }
    return 0;
}

void CAboutDlg::OnLanguage(int languageIndex) {
    const auto text = [](const std::string& value) { return QString::fromStdString(value); };
    setWindowTitle(text(LangText("LANG_ABOUT_TITLE", languageIndex)));
    introduction_->setText(text(LangText("GUANYU_JIESHAO", languageIndex)));
    ownership_->setText(text(LangText("GUANYU_BANQUAN", languageIndex)));
    ok_->setText(text(LangText("LANG_ABOUT_OK", languageIndex)));
    introduction_->update();
    ownership_->update();
}

QString CAboutDlg::IntroductionText() const {
    return introduction_->text();
}
QString CAboutDlg::OwnershipText() const {
    return ownership_->text();
}
QString CAboutDlg::OkText() const {
    return ok_->text();
}
QString CAboutDlg::LinkText() const {
    return link_->text();
}

bool CAboutDlg::event(QEvent* e) {
    if (e->type() == OwnMessageEvent::EventType()) {
        const auto* own = static_cast<OwnMessageEvent*>(e);
        SendOwnMessage(own->message, own->wParam, own->lParam);
        return true;
    }
    return QDialog::event(e);
}

CAboutDlg* AboutBox::Open(const std::string& link, QWidget* parent) {
    if (dialog_ != nullptr) {
        dialog_->show();
        dialog_->raise();
        dialog_->activateWindow();
        return dialog_.data();
    }
    dialog_ = new CAboutDlg(link, parent);
    dialog_->Open();
    return dialog_.data();
}

void AboutBox::Close() {
    if (dialog_ == nullptr) {
        return;
    }
    // Destroyed at once rather than later, so that nothing can reach a closing window.
    delete dialog_.data();
}

void AboutBox::ForwardLanguage(int languageIndex) {
    if (dialog_ != nullptr) {
        dialog_->SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag, languageIndex);
    }
}
