#pragma once
// A command-line job's events: progress to a ProgressDisplay, the notices it leaves to the
// console prompts, the result kept for the exit status.
#include "cli/progress_display.h"
#include "engine/job_events.h"
#include "platform/prompts.h"

#include <string>

namespace pw::cli {

class ConsoleEvents : public engine::JobEvents {
public:
    ConsoleEvents(ProgressDisplay& progress, os::Prompts& prompts)
        : progress_(progress), prompts_(prompts) {}

    void progress(engine::JobStage stage, double done, int total) override {
        // Starting the builder and removing the staged files are moments, not steps.
        if (stage == engine::JobStage::Starting || stage == engine::JobStage::Removing)
            return;
        // Shown once the job says whether it got through; a stopped one says where it stopped.
        if (stage == engine::JobStage::Done) {
            reached_ = static_cast<int>(done);
            total_ = total;
            return;
        }
        progress_.show(stage, static_cast<int>(done), total);
    }
    void finished(const engine::JobResult& result) override {
        result_ = result;
        if (result.outcome == engine::JobResult::Outcome::Finished)
            progress_.show(engine::JobStage::Done, reached_, total_);
        for (const engine::JobNotice& notice : result.notices)
            prompts_.messageBox(notice.text, notice.title, os::Buttons::Ok, notice.icon);
    }
    const engine::JobResult& result() const { return result_; }
    // "stopped at 312 of 2000": how far a stopped job got.
    std::string stoppedText() const {
        return "stopped at " + std::to_string(reached_) + " of " + std::to_string(total_);
    }

private:
    ProgressDisplay& progress_;
    os::Prompts& prompts_;
    engine::JobResult result_;
    int reached_ = 0;
    int total_ = 0;
};

} // namespace pw::cli
