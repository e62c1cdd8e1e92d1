#include "gui/instance_channel.h"

#include "platform/paths.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace pw::gui {
namespace {

constexpr char kTaken = 'k';
constexpr quint32 kMostPaths = 1u << 20; // far beyond what a command line holds

QString socketName() {
    return QString::fromStdString(instanceSocketPath());
}

} // namespace

std::string instanceSocketPath() {
    return platform::joinPath(platform::driveCFolder(), kInstanceSocketName);
}

bool handToRunningCopy(const std::vector<std::string>& paths, int timeoutMs) {
    // A copy that has just taken the lock may not listen yet: try again for a while.
    QLocalSocket socket;
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        socket.connectToServer(socketName());
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    // Names are bytes, not text: one that is not UTF-8 must arrive as it is.
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << static_cast<quint32>(paths.size());
    for (const std::string& path : paths)
        out << QByteArray(path.data(), static_cast<qsizetype>(path.size()));
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The answer comes once the paths are in the list.
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kTaken;
}

InstanceServer::InstanceServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QDir().mkpath(QString::fromStdString(platform::driveCFolder()));
    QLocalServer::removeServer(socketName());
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::accept);
    server_->listen(socketName());
}

InstanceServer::~InstanceServer() {
    server_->close();
}

bool InstanceServer::listening() const {
    return server_->isListening();
}

void InstanceServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // Deferred, and read() never pumps events: a socket is released only after its
        // read handler has returned.
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        if (socket->bytesAvailable() > 0)
            read(socket);
    }
}

void InstanceServer::read(QLocalSocket* socket) {
    QDataStream in(socket);
    in.startTransaction();
    // A claimed count is capped before any name is kept; the names themselves grow only as
    // their bytes arrive.
    quint32 count = 0;
    in >> count;
    if (in.status() == QDataStream::Ok && count > kMostPaths) {
        socket->abort();
        return;
    }
    std::vector<std::string> paths;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QByteArray path;
        in >> path;
        paths.emplace_back(path.constData(), static_cast<std::size_t>(path.size()));
    }
    if (!in.commitTransaction())
        return; // the rest is still on its way
    // One request per connection: answered and closed here, handled once this returns
    // (adding the pictures searches folders and pumps events, which must not run inside the
    // socket's signal, and may take longer than the second start waits for its answer).
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    socket->putChar(kTaken);
    socket->flush();
    socket->disconnectFromServer();
    waiting_.push_back(std::move(paths));
    QMetaObject::invokeMethod(this, &InstanceServer::deliver, Qt::QueuedConnection);
}

void InstanceServer::deliver() {
    // A request taken while the handler pumps waits for the handler to return rather than
    // starting a second search inside the first.
    if (delivering_)
        return;
    delivering_ = true;
    while (!waiting_.empty()) {
        const std::vector<std::string> paths = std::move(waiting_.front());
        waiting_.pop_front();
        if (handler_)
            handler_(paths);
    }
    delivering_ = false;
}

} // namespace pw::gui
