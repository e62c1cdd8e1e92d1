#include "core/job_runner.h"

#include "engine/ConversionJob.h"

#include <QMetaObject>

namespace pw {

// Posts every event of the job's thread to the runner's, where the receiver lives.
class JobRunner::Forwarder : public engine::JobEvents {
public:
    explicit Forwarder(JobRunner& runner) : runner_(runner) {}

    void progress(engine::JobStage stage, double done, int total) override {
        post([stage, done, total](engine::JobEvents& to) { to.progress(stage, done, total); });
    }
    void pdfWritten(const std::string& path) override {
        post([path](engine::JobEvents& to) { to.pdfWritten(path); });
    }
    void pictureMissing(int index, const std::string& reason) override {
        post([index, reason](engine::JobEvents& to) { to.pictureMissing(index, reason); });
    }
    void finished(const engine::JobResult& result) override {
        JobRunner* runner = &runner_;
        QMetaObject::invokeMethod(
            runner, [runner, result] { runner->deliverFinished(result); }, Qt::QueuedConnection);
    }

private:
    template <typename Call> void post(Call call) {
        JobRunner* runner = &runner_;
        QMetaObject::invokeMethod(
            runner,
            [runner, call] {
                if (runner->events_)
                    call(*runner->events_);
            },
            Qt::QueuedConnection);
    }

    JobRunner& runner_;
};

JobRunner::JobRunner(QObject* parent) : QObject(parent) {}

JobRunner::~JobRunner() {
    stop();
    if (thread_.joinable())
        thread_.join();
}

bool JobRunner::start(engine::JobRequest request, engine::JobEvents& events) {
    if (running_)
        return false;
    if (thread_.joinable())
        thread_.join();
    events_ = &events;
    forwarder_ = std::make_unique<Forwarder>(*this);
    job_ = std::make_unique<engine::ConversionJob>(std::move(request), *forwarder_);
    running_ = true;
    thread_ = std::thread([job = job_.get()] { job->run(); });
    return true;
}

void JobRunner::stop() {
    if (job_)
        job_->cancel();
}

void JobRunner::deliverFinished(const engine::JobResult& result) {
    // The finished event is the job's last act: its thread is ending.
    if (thread_.joinable())
        thread_.join();
    job_.reset();
    engine::JobEvents* events = events_;
    events_ = nullptr;
    running_ = false;
    if (events)
        events->finished(result);
    emit finished();
}

} // namespace pw
