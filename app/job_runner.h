#pragma once
// Runs conversion jobs on a thread of their own, so that the thread that starts them (the
// window's) never waits on one. A job's events reach the JobEvents given to start() on this
// object's thread, in order, through its event loop.
#include "job/job_events.h"
#include "job/job_request.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

namespace pw::job {
class ConversionJob;
}

namespace pw::app {
class JobRunner : public QObject {
    Q_OBJECT
public:
    explicit JobRunner(QObject* parent = nullptr);
    // Stops a job still running and waits for its thread; its last events are dropped.
    ~JobRunner() override;

    // False, and nothing started, while a job runs.
    bool start(job::JobRequest request, job::JobEvents& events);
    // Asks the running job to stop; it finishes (as Cancelled) within about a second.
    void stop();
    // Stops the running job and drops its events from now on, its finished event included;
    // finished() is still emitted once its thread has ended. Never waits for it.
    void abandon();
    // A job was started and its finished event has not been delivered yet.
    bool running() const { return running_; }

signals:
    // After the job's finished event has been delivered.
    void finished();

private:
    Q_INVOKABLE void deliverEvents();
    void deliverFinished(const job::JobResult& result);

    class Forwarder;
    std::unique_ptr<Forwarder> forwarder_;
    std::unique_ptr<job::ConversionJob> job_;
    std::thread thread_;
    job::JobEvents* events_ = nullptr;
    bool running_ = false;
};

} // namespace pw::app
