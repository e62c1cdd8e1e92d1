#include "jobfiles/page_turns.h"

#include "jobfiles/docinfo.h"
#include "jobfiles/staged_names.h"

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

namespace pw::jobfiles {
namespace {

// A decimal number of at most `most` digits after its leading zeros, with a minus sign where
// `sign` allows one.
bool readNumber(const std::string& text, std::size_t most, bool sign, long long& number) {
    const bool negative = sign && !text.empty() && text[0] == '-';
    std::size_t at = negative ? 1 : 0;
    if (text.size() == at)
        return false;
    while (at + 1 < text.size() && text[at] == '0')
        ++at;
    if (text.size() - at > most)
        return false;
    long long value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9')
            return false;
        value = value * 10 + (text[at] - '0');
    }
    number = negative ? -value : value;
    return true;
}

} // namespace

int quarterTurn(long long degrees) {
    if (degrees % 90 != 0)
        return 0;
    return static_cast<int>((degrees / 90 % 4 + 4) % 4 * 90);
}

bool writePageTurns(const std::string& folder, const PageTurns& turns, std::string* error) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& [index, degrees] : turns) {
        const int turn = quarterTurn(degrees);
        if (turn == 0)
            continue;
        char key[32];
        std::snprintf(key, sizeof key, "%05llu", static_cast<unsigned long long>(index));
        values.emplace_back(key, std::to_string(turn));
    }
    return writeKeyValueLines(folder, kPageTurnsFileName, values, error);
}

PageTurns readPageTurns(const std::string& path) {
    PageTurns turns;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        long long index = 0;
        long long degrees = 0;
        if (!readNumber(key, kMostIndexDigits, false, index) ||
            !readNumber(value, 9, true, degrees))
            return;
        if (const int turn = quarterTurn(degrees); turn != 0)
            turns[static_cast<std::uint64_t>(index)] = turn;
        else
            turns.erase(static_cast<std::uint64_t>(index));
    });
    return turns;
}

int turnOfStagedName(const PageTurns& turns, const std::string& name) {
    const std::optional<std::uint64_t> index = stagedIndex(name);
    if (!index)
        return 0;
    const auto found = turns.find(*index);
    return found == turns.end() ? 0 : found->second;
}

} // namespace pw::jobfiles
