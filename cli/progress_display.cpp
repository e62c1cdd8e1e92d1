#include "cli/progress_display.h"

#include <algorithm>

namespace pw::cli {
namespace {

constexpr int kBarWidth = 24;

int percentOf(int done, int total) {
    if (total <= 0)
        return 100;
    return std::clamp(done * 100 / total, 0, 100);
}

} // namespace

const char* ProgressDisplay::stageName(job::JobStage stage) {
    switch (stage) {
    case job::JobStage::Preparing:
        return "preparing";
    case job::JobStage::Converting:
        return "converting";
    case job::JobStage::Starting:
    case job::JobStage::Creating:
        return "creating";
    case job::JobStage::Moving:
    case job::JobStage::Removing:
        return "moving";
    case job::JobStage::Done:
        return "done";
    }
    return "";
}

std::string ProgressDisplay::barText(job::JobStage stage, int done, int total) {
    const int percent = percentOf(done, total);
    const int filled = percent * kBarWidth / 100;
    std::string text(1, '[');
    text.append(static_cast<std::size_t>(filled), '#');
    text.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    text += "] ";
    const std::string number = std::to_string(percent);
    text += std::string(3 - std::min<std::size_t>(3, number.size()), ' ') + number + "%  ";
    text += std::to_string(done) + "/" + std::to_string(total) + " " + stageName(stage);
    return text;
}

void ProgressDisplay::show(job::JobStage stage, int done, int total) {
    if (style_ == Style::Quiet || (stage == lastStage_ && done == lastDone_))
        return;
    lastStage_ = stage;
    lastDone_ = done;
    if (style_ == Style::Lines) {
        std::fprintf(out_, "%s %d/%d (%d%%)\n", stageName(stage), done, total,
                     percentOf(done, total));
    } else {
        // Erase to the end of the line: a shorter text leaves nothing of the longer one.
        std::fprintf(out_, "\r%s\x1b[K", barText(stage, done, total).c_str());
        barOpen_ = true;
        if (stage == job::JobStage::Done)
            breakLine();
    }
    std::fflush(out_);
}

void ProgressDisplay::breakLine() {
    if (!barOpen_)
        return;
    std::fputc('\n', out_);
    std::fflush(out_);
    barOpen_ = false;
}

} // namespace pw::cli
