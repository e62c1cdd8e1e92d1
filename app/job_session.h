#pragma once
// The Convert command around one job, for the windows or anything else that is a JobHost:
// the checks and questions before it, its state and the progress texts and bar while it runs
// (its events), and its end: the results folder opened, the messages it left. Runs on the
// thread of the host; the job itself may run elsewhere.
#include "app/job_host.h"
#include "job/job_events.h"
#include "job/job_request.h"
#include "platform/prompts.h"
#include "platform/refusal.h"

#include <optional>
#include <string>

namespace pw::app {

class JobSession : public job::JobEvents {
public:
    struct Choices {
        job::OverwritePolicy overwrite = job::OverwritePolicy::Ask; // Ask: the window
        job::JobRequest::Staging staging = job::JobRequest::Staging::Shared;
        std::string resultName = "NewPDF.pdf";
        bool replaceResult = false;
    };

    JobSession(JobHost& host, platform::Prompts& prompts);

    // Checks the list, asks for the password of each encrypted PDF in it that none given
    // opens (Cancel leaves that PDF out, as the job then says) and settles what to do about
    // existing PDFs (the host told Preparing meanwhile). The request for the job (the host told
    // Running, until finished()), or nothing (the host told Idle, unless nothing was locked) when
    // there is none to run: an empty list, or a question answered Cancel.
    std::optional<job::JobRequest> begin(const Choices& choices);

    void progress(job::JobStage stage, double done, int total) override;
    void finished(const job::JobResult& result) override;

    // The result of the last job that finished.
    const job::JobResult& result() const { return result_; }

private:
    void refuse(const platform::Refusal& refusal);
    void askPdfPasswords(job::JobRequest& request);
    void show();
    void showConverting(double done, int total);
    void showCreating(double done, int total);
    void showMessages(const job::JobResult& result);

    JobHost& host_;
    platform::Prompts& prompts_;
    job::JobResult result_;
    // Kept from job to job: one picture forms no percentage and shows what the Setting
    // window's label holds, which the job before may have left.
    JobProgress progress_;
};

} // namespace pw::app
