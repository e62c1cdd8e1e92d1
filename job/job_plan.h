#pragma once
// One job's plan: the request the window or the command line assembled, made whole and checked
// against every rule about options that cannot go together, here and nowhere else.
#include "job/job_request.h"
#include "platform/refusal.h"

#include <optional>
#include <string>

namespace pw::job {

// Options stated for this one run (on the command line), which are refused when they cannot
// act; saved ones give way instead (sheets need paper, and a shared sheet splits nothing).
struct OptionsGiven {
    bool perSheet = false;
    bool splitTall = false;
    bool overlap = false;
    bool gap = false;
    bool ocr = false; // a recognition language, even an empty one
    bool keepColour = false;
};

// Why a password cannot encrypt a PDF, said after its name ("is longer than 127 bytes"); ""
// when it can.
std::string passwordProblem(const std::string& password);

// The first rule the request's options break, or nothing.
std::optional<platform::Refusal> refusedOptions(const JobRequest& request,
                                                const OptionsGiven& given = {});

// Makes the request whole (the output folder without a trailing separator, a turn, a shown
// path and a PDF password for every picture, the recognition languages spelt as installed)
// and checks it:
// pictures to convert, then the options' rules.
std::optional<platform::Refusal> planJob(JobRequest& request, const OptionsGiven& given = {});

} // namespace pw::job
