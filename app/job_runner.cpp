#include "app/job_runner.h"

#include "job/ConversionJob.h"

#include <QMetaObject>
#include <deque>
#include <functional>
#include <mutex>

namespace pw::app {

// Queues every event of the job's thread for the runner's, where the receiver lives. The
// events wait in a queue of their own, under a mutex, and only a wake-up without data goes
// through Qt's event loop: what one thread writes and the other reads is guarded in sight of
// the thread sanitizer.
class JobRunner::Forwarder : public job::JobEvents {
public:
    explicit Forwarder(JobRunner& runner) : runner_(runner) {}

    void progress(job::JobStage stage, double done, int total) override {
        post([stage, done, total](JobRunner& to) {
            if (to.events_)
                to.events_->progress(stage, done, total);
        });
    }
    void pdfWritten(const std::string& path) override {
        post([path](JobRunner& to) {
            if (to.events_)
                to.events_->pdfWritten(path);
        });
    }
    void pictureMissing(int index, const std::string& reason) override {
        post([index, reason](JobRunner& to) {
            if (to.events_)
                to.events_->pictureMissing(index, reason);
        });
    }
    void finished(const job::JobResult& result) override {
        post([result](JobRunner& to) { to.deliverFinished(result); });
    }

    // On the runner's thread: runs the events queued so far, in order.
    void deliver() {
        std::deque<std::function<void(JobRunner&)>> due;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            due.swap(queue_);
        }
        for (const auto& event : due)
            event(runner_);
    }

private:
    void post(std::function<void(JobRunner&)> event) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(event));
        }
        QMetaObject::invokeMethod(&runner_, "deliverEvents", Qt::QueuedConnection);
    }

    JobRunner& runner_;
    std::mutex mutex_;
    std::deque<std::function<void(JobRunner&)>> queue_;
};

void JobRunner::deliverEvents() {
    forwarder_->deliver();
}

JobRunner::JobRunner(QObject* parent)
    : QObject(parent), forwarder_(std::make_unique<Forwarder>(*this)) {}

JobRunner::~JobRunner() {
    stop();
    if (thread_.joinable())
        thread_.join();
}

bool JobRunner::start(job::JobRequest request, job::JobEvents& events) {
    if (running_)
        return false;
    if (thread_.joinable())
        thread_.join();
    events_ = &events;
    job_ = std::make_unique<job::ConversionJob>(std::move(request), *forwarder_);
    running_ = true;
    thread_ = std::thread([job = job_.get()] { job->run(); });
    return true;
}

void JobRunner::stop() {
    if (job_)
        job_->cancel();
}

void JobRunner::abandon() {
    events_ = nullptr;
    stop();
}

void JobRunner::deliverFinished(const job::JobResult& result) {
    // The finished event is the job's last act: its thread is ending.
    if (thread_.joinable())
        thread_.join();
    job_.reset();
    job::JobEvents* events = events_;
    events_ = nullptr;
    running_ = false;
    if (events)
        events->finished(result);
    emit finished();
}

} // namespace pw::app
