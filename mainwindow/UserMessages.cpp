// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/UserMessages.h"

#include "platform/ProgramNames.h"
#include "skin/Language.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

QString ApplicationTitle() {
    return QString::fromLatin1(kApplicationTitle);
}

MessageBoxes::MessageBoxes(QWidget* owner) : owner_(owner) {}

struct MessageBoxes::Pending {
    bool done = false;
};

bool MessageBoxes::OnUiThread(const std::function<void()>& fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        fn();
        return true;
    }
    auto pending = std::make_shared<Pending>();
    std::shared_ptr<Shared> shared = shared_;
    {
        std::lock_guard guard(shared->lock);
        if (shared->released) {
            return false;
        }
    }
    // The box runs on the user-interface thread; this thread waits for it, but never longer
    // than the window lives (closing the window would otherwise wait for this thread).
    QMetaObject::invokeMethod(
        app,
        [fn, pending, shared] {
            {
                std::lock_guard guard(shared->lock);
                if (shared->released) {
                    return;
                }
            }
            fn();
            std::lock_guard guard(shared->lock);
            pending->done = true;
            shared->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock guard(shared->lock);
    shared->changed.wait(guard, [&] { return pending->done || shared->released; });
    return pending->done;
}

void MessageBoxes::Release() {
    std::lock_guard guard(shared_->lock);
    shared_->released = true;
    shared_->changed.notify_all();
}

QString MessageBoxes::Text(std::string_view textKey, std::optional<long long> argument) {
    const std::string text = LangText(textKey, CurrentLanguageIndex());
    return QString::fromStdString(argument ? FormatLangText(text, *argument) : text);
}

void MessageBoxes::Inform(const QString& caption, const QString& text) {
    OnUiThread([owner = owner_, caption, text] {
        QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner.data());
        box.exec();
    });
}

void MessageBoxes::NotifyText(std::string_view textKey) {
    const QString text = Text(textKey, std::nullopt);
    std::shared_ptr<Shared> shared = shared_;
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [owner = owner_, text, shared] {
            {
                std::lock_guard guard(shared->lock);
                if (shared->released) {
                    return;
                }
            }
            auto* box = new QMessageBox(QMessageBox::Information, ApplicationTitle(), text,
                                        QMessageBox::Ok, owner.data());
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setModal(true);
            box->show();
        },
        Qt::QueuedConnection);
}

void MessageBoxes::ShowText(std::string_view textKey, std::optional<long long> argument) {
    Inform(ApplicationTitle(), Text(textKey, argument));
}

void MessageBoxes::ShowUncaptioned(std::string_view textKey) {
    Inform(QString(), Text(textKey, std::nullopt));
}

void MessageBoxes::ShowPathText(std::string_view textKey, const std::filesystem::path& path) {
    const std::string text =
        FormatLangText(LangText(textKey, CurrentLanguageIndex()), std::string_view(path.string()));
    Inform(ApplicationTitle(), QString::fromStdString(text));
}

bool MessageBoxes::AskYesNo(std::string_view textKey, std::optional<long long> argument) {
    auto yes = std::make_shared<bool>(false);
    const QString text = Text(textKey, argument);
    OnUiThread([owner = owner_, text, yes] {
        QMessageBox box(QMessageBox::Question, ApplicationTitle(), text,
                        QMessageBox::Yes | QMessageBox::No, owner.data());
        box.setDefaultButton(QMessageBox::No);
        *yes = box.exec() == QMessageBox::Yes;
    });
    return *yes;
}
