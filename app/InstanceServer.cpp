// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InstanceServer.h"

#include "app/SingleInstance.h"
#include "platform/OwnMessages.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A request must be complete this soon after connecting; a silent peer is dropped.
constexpr int kRequestTimeoutMs = 2000;

uint32_t GetLe32(const char* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= uint32_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
    return v;
}

// The folder and the socket are private already; this also refuses a peer of another user
// should either ever be opened up.
bool PeerIsThisUser(const QLocalSocket* socket) {
    ucred peer{};
    socklen_t length = sizeof peer;
    const auto fd = static_cast<int>(socket->socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
           peer.uid == ::geteuid();
}

} // namespace

InstanceServer::InstanceServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::OnNewConnection);
}

InstanceServer::~InstanceServer() {
    Close();
}

bool InstanceServer::Listen(const std::filesystem::path& socketPath) {
    const QString name = QString::fromStdString(socketPath.string());
    QLocalServer::removeServer(name);
    return server_->listen(name);
}

void InstanceServer::Close() {
    if (server_->isListening()) {
        server_->close();
    }
}

bool InstanceServer::IsListening() const {
    return server_->isListening();
}

void InstanceServer::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // Owned by this object rather than the server, which may close while answering.
        socket->setParent(this);
        if (!PeerIsThisUser(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto* timeout = new QTimer(socket);
        timeout->setObjectName("requestTimeout");
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, socket, [socket] { socket->abort(); });
        timeout->start(kRequestTimeoutMs);
        if (socket->bytesAvailable() > 0) {
            OnReadyRead(socket);
        }
    }
}

void InstanceServer::OnReadyRead(QLocalSocket* socket) {
    if (socket->property("answered").toBool()) {
        socket->readAll();
        return;
    }
    if (socket->bytesAvailable() < static_cast<qint64>(kInstanceRequestSize)) {
        return;
    }
    const QByteArray request = socket->read(kInstanceRequestSize);
    socket->setProperty("answered", true);
    if (auto* timeout = socket->findChild<QTimer*>("requestTimeout")) {
        timeout->stop();
    }
    const uint32_t message = GetLe32(request.constData());
    const uint32_t wParam = GetLe32(request.constData() + 4);
    const uint32_t lParam = GetLe32(request.constData() + 8);
    // Another instance may only ask to come forward, to close or to relabel; the tag is the
    // window's to check.
    if (message != UM_OPEN && message != UM_KILL && message != UM_LANGUAGE) {
        socket->abort();
        return;
    }
    // Handled from the event loop, not inside the socket's own signal: the handler may run a
    // nested event loop (a message box) in which the peer gives up and its socket is deleted.
    QMetaObject::invokeMethod(
        this,
        [this, alive = QPointer<QLocalSocket>(socket), message, wParam, lParam] {
            Answer(alive, message, wParam, lParam);
        },
        Qt::QueuedConnection);
}

void InstanceServer::Answer(const QPointer<QLocalSocket>& socket, uint32_t message, uint32_t wParam,
                            uint32_t lParam) {
    const long result = handler_ ? handler_(message, wParam, lParam) : 0;
    if (socket == nullptr || socket->state() != QLocalSocket::ConnectedState) {
        return;
    }
    char reply[kInstanceReplySize];
    for (size_t i = 0; i < kInstanceReplySize; ++i) {
        reply[i] = static_cast<char>(static_cast<uint32_t>(result) >> (8 * i));
    }
    socket->write(reply, sizeof reply);
    socket->flush();
    socket->disconnectFromServer();
}
