// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The first instance's end of the single-instance socket: accepts requests of later starts of
// the same user, hands UM_OPEN, UM_KILL and the language notice to a handler on the
// user-interface thread and answers with its result.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <filesystem>
#include <functional>

class QLocalServer;
class QLocalSocket;

class InstanceServer : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<long(uint32_t message, uint32_t wParam, uint32_t lParam)>;

    explicit InstanceServer(Handler handler, QObject* parent = nullptr);
    ~InstanceServer() override;

    // Replaces whatever socket a previous (ended) instance left at socketPath and listens there;
    // the socket is open to this user only. The caller holds the instance lock.
    bool Listen(const std::filesystem::path& socketPath);
    // Stops listening and removes the socket; requests being answered are still answered.
    void Close();
    bool IsListening() const;

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);
    // Hands a request to the handler and answers the peer if it still waits.
    void Answer(const QPointer<QLocalSocket>& socket, uint32_t message, uint32_t wParam,
                uint32_t lParam);

    Handler handler_;
    QLocalServer* server_;
};
