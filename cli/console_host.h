#pragma once
// The conversion job's host on the command line: the request's pictures and settings, no
// window; progress goes to a ProgressDisplay.
#include "cli/command_line.h"
#include "cli/progress_display.h"
#include "engine/windowless_host.h"

#include <string>
#include <utility>
#include <vector>

namespace pw::cli {

class ConsoleHost : public engine::WindowlessHost {
public:
    ConsoleHost(const ConvertRequest& request, std::vector<std::string> pictures,
                ProgressDisplay& progress)
        : WindowlessHost(std::move(pictures), request.outputFolder, request.properties,
                         request.perPicture, request.options),
          progress_(progress) {}

    void reportProgress(engine::JobStage stage, int done, int total) override {
        progress_.show(stage, done, total);
    }

private:
    ProgressDisplay& progress_;
};

} // namespace pw::cli
