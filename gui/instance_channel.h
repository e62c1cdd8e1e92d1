#pragma once
// A second start hands its pictures to the running copy: a local socket beside the
// single-instance lock, open to this user only. The running copy adds what it receives and
// comes to the front.
#include <QObject>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace pw::gui {

inline constexpr const char* kInstanceSocketName = "pagewright.socket";

// platform::driveCFolder()/pagewright.socket.
std::string instanceSocketPath();

// Sends the paths (none: only "come to the front") to the running copy and waits for it to
// take them. False when no copy answers within the time.
bool handToRunningCopy(const std::vector<std::string>& paths, int timeoutMs = 5000);

class InstanceServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const std::vector<std::string>& paths)>;
    // Listens at instanceSocketPath(); the caller holds the single-instance lock, so a socket
    // left there by a copy that crashed is replaced. The handler runs from the event loop,
    // after the request has been answered, one request at a time; it may pump events.
    explicit InstanceServer(Handler handler, QObject* parent = nullptr);
    ~InstanceServer() override;
    bool listening() const;

private:
    void accept();
    void read(QLocalSocket* socket);
    void deliver();

    Handler handler_;
    QLocalServer* server_;
    std::deque<std::vector<std::string>> waiting_; // requests taken, not yet handled
    bool delivering_ = false;
};

} // namespace pw::gui
