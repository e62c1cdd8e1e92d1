#include "job/result_placement.h"

#include "jobfiles/builder_output.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstring>

namespace pw::job {

bool placeFile(const std::string& source, const std::string& target, std::string& reason) {
    errno = 0;
    if (platform::renameFile(source, target))
        return true;
    const int renameError = errno;
    errno = 0;
    if (platform::copyFile(source, target, false))
        return true;
    // A rename across file systems says only that; the copy's failure is the real reason.
    const int error = errno != 0 ? errno : renameError;
    reason = error != 0 ? std::strerror(error) : "the file could not be written";
    return false;
}

NameAt numberedNames(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    const std::string base = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : fileName.substr(dot);
    return [fileName, base, extension](long number) {
        return number == 0 ? fileName : base + std::to_string(number) + extension;
    };
}

std::string placeUnderFreeName(const std::string& source, const std::string& folder,
                               const NameAt& nameAt, long last, std::string& reason) {
    // Across file systems the result is copied beside the target once; the copy then takes
    // a free name the same way.
    std::string from = source;
    const auto dropCopy = [&] {
        if (from != source)
            platform::removeFile(from);
    };
    long number = 0;
    while (number <= last) {
        const std::string name = nameAt(number);
        const std::string target = platform::joinPath(folder, name);
        if (name.empty() || platform::pathExists(target)) {
            ++number;
            continue;
        }
        errno = 0;
        if (platform::renameNoReplace(from, target))
            return target;
        const int error = errno;
        if (error == EEXIST) {
            ++number; // taken meanwhile
            continue;
        }
        if (error == EXDEV && from == source) {
            from = platform::copyBeside(source, target);
            if (!from.empty())
                continue;
            reason = std::strerror(errno != 0 ? errno : EXDEV);
            return "";
        }
        dropCopy();
        reason = error != 0 ? std::strerror(error) : "the file could not be written";
        return "";
    }
    dropCopy();
    reason = "every name from " + nameAt(0) + " to " + nameAt(last) + " is taken";
    return "";
}

std::string placementTroubleText(const PlacementTrouble& trouble) {
    const std::size_t count = trouble.placed.size() + static_cast<std::size_t>(trouble.lost);
    std::string text = count == 1 ? "The PDF could not be saved in "
                                  : std::to_string(count) + " PDFs could not be saved in ";
    text += trouble.folder + ": " + trouble.reason + ".";
    if (trouble.placed.size() == 1 && count == 1)
        text += "\nIt was saved as " + trouble.placed[0] + " instead.";
    else if (!trouble.placed.empty())
        text += "\nThey were saved instead as:";
    constexpr std::size_t kListed = 10;
    if (count > 1) {
        for (std::size_t i = 0; i < trouble.placed.size() && i < kListed; ++i)
            text += "\n" + trouble.placed[i];
        if (trouble.placed.size() > kListed)
            text += "\n... and " + std::to_string(trouble.placed.size() - kListed) + " more";
    }
    if (trouble.lost > 0 && count > 1)
        text.append("\n")
            .append(std::to_string(trouble.lost))
            .append(" could not be saved anywhere.");
    return text;
}

namespace {

enum class BuilderEnd { Finished, NothingUsable, WriteFailed, Failed };

// How a run of the builder ended, by its exit status; by its "Wrote" line when its end was not
// seen.
BuilderEnd builderEnd(const std::string& outputs, const platform::ChildEnd& end) {
    if (end.how == platform::ChildEnd::How::Exited) {
        switch (end.value) {
        case jobfiles::kExitOk:
            return BuilderEnd::Finished;
        case jobfiles::kExitNoPictures:
        case jobfiles::kExitNoUsablePictures:
            return BuilderEnd::NothingUsable;
        case jobfiles::kExitWriteFailed:
            return BuilderEnd::WriteFailed;
        default:
            return BuilderEnd::Failed;
        }
    }
    if (end.how == platform::ChildEnd::How::Unknown &&
        !jobfiles::linesAfter(outputs, jobfiles::kWroteLead).empty())
        return BuilderEnd::Finished;
    return BuilderEnd::Failed;
}

// "could not write the PDF" with the builder's reason, when it gave one.
std::string writeFailure(const std::string& outputs) {
    const std::vector<std::string> reasons = jobfiles::linesAfter(outputs, jobfiles::kFailedLead);
    return "could not write the PDF" + (reasons.empty() ? "" : ": " + reasons.back());
}

} // namespace

std::string builderFailureText(const std::string& outputs, const platform::ChildEnd& end) {
    switch (builderEnd(outputs, end)) {
    case BuilderEnd::Finished:
    case BuilderEnd::NothingUsable:
        return "";
    case BuilderEnd::WriteFailed:
        return "The PDF builder " + writeFailure(outputs);
    case BuilderEnd::Failed:
        break;
    }
    return "The PDF builder stopped before it finished.";
}

std::string builderFailureReason(const std::string& outputs, const platform::ChildEnd& end) {
    switch (builderEnd(outputs, end)) {
    case BuilderEnd::Finished:
    case BuilderEnd::NothingUsable:
        return "";
    case BuilderEnd::WriteFailed:
        return "the PDF builder " + writeFailure(outputs);
    case BuilderEnd::Failed:
        break;
    }
    if (end.how == platform::ChildEnd::How::Signalled) {
        const char* name = sigabbrev_np(end.value);
        const std::string signal =
            name != nullptr ? "SIG" + std::string(name) : "signal " + std::to_string(end.value);
        return "the PDF builder was ended by " + signal;
    }
    if (end.how == platform::ChildEnd::How::Exited)
        return "the PDF builder ended with status " + std::to_string(end.value);
    return "the PDF builder stopped before it finished";
}

} // namespace pw::job
