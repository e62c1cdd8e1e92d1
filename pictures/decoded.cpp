#include "pictures/decoded.h"

#include <utility>

namespace pw::pictures {

Decoded decodedOrRefused(Bitmap bitmap, std::string problem, StopFlag stop) {
    using Code = platform::Refusal::Code;
    if (bitmap)
        return bitmap;
    if (stop.set())
        return platform::Refusal{Code::Stopped, {}};
    const Code code = problem.empty() ? Code::Unreadable : Code::Damaged;
    return platform::Refusal{code, std::move(problem)};
}

Bitmap takeBitmap(Decoded decoded, std::string& problem) {
    if (decoded)
        return std::move(decoded.value());
    problem = decoded.refusal().text;
    return {};
}

} // namespace pw::pictures
