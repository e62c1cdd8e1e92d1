// The one table of commands: what a disabled command does, and who hears of a change.
#include "core/command_table.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace pw {
namespace {

TEST(CommandTable, DisabledCommandsDoNothingAndWatchersHearEachChangeOnce) {
    CommandTable table;
    int converts = 0;
    int stops = 0;
    table.bind(Command::Convert, [&] { ++converts; });
    table.bind(Command::Stop, [&] { ++stops; });
    std::vector<std::pair<Command, bool>> heard;
    table.watch([&](Command command, bool enabled) { heard.emplace_back(command, enabled); });

    table.fire(Command::Stop); // there is no job to stop yet
    table.fire(Command::Convert);
    EXPECT_EQ(converts, 1);
    EXPECT_EQ(stops, 0);

    // As a job starts: Convert off, Stop on; saying it again changes nothing.
    for (int twice = 0; twice < 2; ++twice) {
        table.setEnabled(Command::Convert, false);
        table.setEnabled(Command::Stop, true);
    }
    table.fire(Command::Convert);
    table.fire(Command::Stop);
    EXPECT_EQ(converts, 1);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(heard, (std::vector<std::pair<Command, bool>>{{Command::Convert, false},
                                                            {Command::Stop, true}}));
    table.fire(Command::Help); // unbound: nothing
}

} // namespace
} // namespace pw
