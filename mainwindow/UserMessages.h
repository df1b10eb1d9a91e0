// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Everything the main window tells the user or asks: texts by language key, shown in message
// boxes by default. Tests put a scripted implementation in their place.

#include "device/MessageSink.h"
#include "model/ProfileFile.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class UserMessages : public MessageSink, public FileMessageSink {
public:
    // A box with an empty caption (the no-device box), OK only.
    virtual void ShowUncaptioned(std::string_view textKey) = 0;
};

// Message boxes over the main window: Yes/No with No as the default button, the application
// title as caption. Calls from other threads wait until the box was answered on the
// user-interface thread.
class MessageBoxes : public UserMessages {
public:
    explicit MessageBoxes(QWidget* owner);

    void ShowText(std::string_view textKey, std::optional<long long> argument) override;
    bool AskYesNo(std::string_view textKey, std::optional<long long> argument) override;
    void ShowPathText(std::string_view textKey, const std::filesystem::path& path) override;
    void ShowUncaptioned(std::string_view textKey) override;
    // The box is opened on the user-interface thread and nothing waits for its OK.
    void NotifyText(std::string_view textKey) override;

    // The text of a language key with its number filled in.
    static QString Text(std::string_view textKey, std::optional<long long> argument);

    // The window is closing: threads waiting for an answer go on at once (as if OK or No had
    // been chosen), and later calls from other threads show nothing.
    void Release();

private:
    struct Pending;
    // Runs fn on the user-interface thread; from another thread waits until it ran or
    // Release() was called. False when it did not run.
    bool OnUiThread(const std::function<void()>& fn);
    void Inform(const QString& caption, const QString& text);

    // Shared with the queued boxes, which may run after this object is gone.
    struct Shared {
        std::mutex lock;
        std::condition_variable changed;
        bool released = false;
    };
    QPointer<QWidget> owner_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

// The caption of every box but the no-device one.
QString ApplicationTitle();
