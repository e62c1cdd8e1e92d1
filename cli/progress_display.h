#pragma once
// Progress of a command-line job on standard error: a bar redrawn in place on a terminal,
// one plain line per change otherwise, nothing when quiet.
#include "job/job_events.h"

#include <cstdio>
#include <string>

namespace pw::cli {

class ProgressDisplay {
public:
    enum class Style { Bar, Lines, Quiet };
    ProgressDisplay(std::FILE* out, Style style) : out_(out), style_(style) {}

    void show(job::JobStage stage, int done, int total);
    // Ends a bar line so that a message can follow on a line of its own.
    void breakLine();

    // "[#####.....]  50%  3/6 converting" without the leading carriage return.
    static std::string barText(job::JobStage stage, int done, int total);
    static const char* stageName(job::JobStage stage);

private:
    std::FILE* out_;
    Style style_;
    bool barOpen_ = false;
    job::JobStage lastStage_ = job::JobStage::Done;
    int lastDone_ = -1;
};

} // namespace pw::cli
