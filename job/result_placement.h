#pragma once
// Putting a finished PDF where the user finds it, and saying so when it cannot go there.
#include "platform/processes.h"

#include <functional>
#include <string>
#include <vector>

namespace pw::job {

// Moves source to target (replacing it), copying across file systems. False with the
// system's reason ("No space left on device") when neither works.
bool placeFile(const std::string& source, const std::string& target, std::string& reason);

// The names a result may take in turn: number 0 is its own name, then numbered ones; "" passes
// a number over.
using NameAt = std::function<std::string(long number)>;

// "<base><N><extension>" for a file name: "scans.pdf" gives scans.pdf, scans1.pdf, ...
NameAt numberedNames(const std::string& fileName);

// Moves source into folder under the first of nameAt(0) ... nameAt(last) that nothing there
// holds, never replacing a file: a name another job takes meanwhile passes to the next one.
// Copies across file systems. Returns the path placed at, or "" with the system's reason (or,
// when every name is taken, a reason that says so).
std::string placeUnderFreeName(const std::string& source, const std::string& folder,
                               const NameAt& nameAt, long last, std::string& reason);

// Results that could not be placed in the output folder.
struct PlacementTrouble {
    std::string folder;              // where the user asked for them
    std::string reason;              // the first failure's system reason
    std::vector<std::string> placed; // paths they were placed at instead
    int lost = 0;                    // results that could be placed nowhere
};

// The one message about them: where the results are and why they are not where asked.
std::string placementTroubleText(const PlacementTrouble& trouble);

// What stopped the PDF builder when it is the builder's failure, not the pictures': it could
// not write the PDF (its reason), or it ended otherwise before writing its result. "" when
// its exit status shows that it finished or that no staged picture was usable (when its end
// was not seen, its "Wrote" line shows that it finished).
std::string builderFailureText(const std::string& outputs, const platform::ChildEnd& end);

// The same for one run of the builder, for the picture it was run for: it could not write the
// PDF (its reason), was ended by a signal, ended with a failing status or before it finished.
std::string builderFailureReason(const std::string& outputs, const platform::ChildEnd& end);

} // namespace pw::job
