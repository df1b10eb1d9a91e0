#include "mainwindow/UserMessages.h"

#include "skin/Language.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace {

// Runs fn on the user-interface thread and waits for it.
template <typename Fn> void OnUiThread(Fn fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, fn, Qt::BlockingQueuedConnection);
}

} // namespace

QString ApplicationTitle() {
    return QStringLiteral("Kestrow");
}

MessageBoxes::MessageBoxes(QWidget* owner) : owner_(owner) {}

QString MessageBoxes::Text(std::string_view textKey, std::optional<long long> argument) {
    const std::string text = LangText(textKey, CurrentLanguageIndex());
    return QString::fromStdString(argument ? FormatLangText(text, *argument) : text);
}

void MessageBoxes::Inform(const QString& caption, const QString& text) {
    OnUiThread([&] {
        QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner_.data());
        box.exec();
    });
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
    bool yes = false;
    const QString text = Text(textKey, argument);
    OnUiThread([&] {
        QMessageBox box(QMessageBox::Question, ApplicationTitle(), text,
                        QMessageBox::Yes | QMessageBox::No, owner_.data());
        box.setDefaultButton(QMessageBox::No);
        yes = box.exec() == QMessageBox::Yes;
    });
    return yes;
}
