#include "settings/single_instance.h"

#include "platform/paths.h"

#include <QDir>
#include <QLockFile>
#include <QString>

namespace pw {

SingleInstance::SingleInstance(const std::string& folder, const std::string& lockName) {
    const QString dir = QString::fromStdString(folder);
    if (!QDir().mkpath(dir))
        return;
    lock_ = std::make_unique<QLockFile>(QDir(dir).filePath(QString::fromStdString(lockName)));
    // Age never makes a lock stale; only a holder that no longer runs does.
    lock_->setStaleLockTime(0);
    acquired_ = lock_->tryLock(0);
}

SingleInstance::~SingleInstance() {
    release();
}

void SingleInstance::release() {
    if (lock_ && acquired_)
        lock_->unlock();
    acquired_ = false;
}

std::unique_ptr<SingleInstance> claimProgramInstance() {
    return std::make_unique<SingleInstance>(os::driveCFolder());
}

} // namespace pw
