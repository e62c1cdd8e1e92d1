#include "jobfiles/builder_output.h"

namespace pw::pdftool {

std::vector<std::string> linesAfter(const std::string& outputs, const std::string& lead) {
    std::vector<std::string> rests;
    for (std::string::size_type start = 0; start < outputs.size();) {
        std::string::size_type end = outputs.find('\n', start);
        if (end == std::string::npos)
            end = outputs.size();
        if (outputs.compare(start, lead.size(), lead) == 0) {
            std::string rest = outputs.substr(start + lead.size(), end - start - lead.size());
            if (!rest.empty() && rest.back() == '\r')
                rest.pop_back();
            rests.push_back(std::move(rest));
        }
        start = end + 1;
    }
    return rests;
}

} // namespace pw::pdftool
