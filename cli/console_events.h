#pragma once
// A command-line job's events: progress to a ProgressDisplay, the notices it leaves to the
// console prompts, the result kept for the exit status.
#include "cli/progress_display.h"
#include "engine/job_events.h"
#include "platform/prompts.h"

namespace pw::cli {

class ConsoleEvents : public engine::JobEvents {
public:
    ConsoleEvents(ProgressDisplay& progress, os::Prompts& prompts)
        : progress_(progress), prompts_(prompts) {}

    void progress(engine::JobStage stage, double done, int total) override {
        // Starting the builder and removing the staged files are moments, not steps.
        if (stage != engine::JobStage::Starting && stage != engine::JobStage::Removing)
            progress_.show(stage, static_cast<int>(done), total);
    }
    void finished(const engine::JobResult& result) override {
        result_ = result;
        for (const engine::JobNotice& notice : result.notices)
            prompts_.messageBox(notice.text, notice.title, os::Buttons::Ok, notice.icon);
    }
    const engine::JobResult& result() const { return result_; }

private:
    ProgressDisplay& progress_;
    os::Prompts& prompts_;
    engine::JobResult result_;
};

} // namespace pw::cli
