#pragma once
// The Convert command around one job, for the windows or anything else that is a JobHost:
// the checks and questions before it, its state and the progress texts and bar while it runs
// (its events), and its end: the results folder opened, the messages it left. Runs on the
// thread of the host; the job itself may run elsewhere.
#include "core/job_host.h"
#include "engine/job_events.h"
#include "engine/job_request.h"
#include "platform/prompts.h"

#include <optional>
#include <string>

namespace pw {

class JobSession : public engine::JobEvents {
public:
    struct Choices {
        engine::OverwritePolicy overwrite = engine::OverwritePolicy::Ask; // Ask: the window
        engine::JobRequest::Staging staging = engine::JobRequest::Staging::Shared;
        std::string resultName = "NewPDF.pdf";
        bool replaceResult = false;
    };

    JobSession(JobHost& host, os::Prompts& prompts);

    // Checks the list and settles what to do about existing PDFs (the host told Preparing
    // meanwhile). The request for the job (the host told Running, until finished()), or
    // nothing (the host told Idle, unless nothing was locked) when there is none to run: an
    // empty list, or a question answered Cancel.
    std::optional<engine::JobRequest> begin(const Choices& choices);

    void progress(engine::JobStage stage, double done, int total) override;
    void finished(const engine::JobResult& result) override;

    // The result of the last job that finished.
    const engine::JobResult& result() const { return result_; }

private:
    void show();
    void showConverting(double done, int total);
    void showCreating(double done, int total);
    void showMessages(const engine::JobResult& result);

    JobHost& host_;
    os::Prompts& prompts_;
    engine::JobResult result_;
    // Kept from job to job: one picture forms no percentage and shows what the Setting
    // window's label holds, which the job before may have left.
    JobProgress progress_;
};

} // namespace pw
