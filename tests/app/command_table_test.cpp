// The one table of commands: what a disabled command does, and who hears of a change.
#include "app/command_table.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace pw {
namespace {

TEST(CommandTable, DisabledCommandsDoNothingAndWatchersHearEachChangeOnce) {
    app::CommandTable table;
    int converts = 0;
    int stops = 0;
    table.bind(app::Command::Convert, [&] { ++converts; });
    table.bind(app::Command::Stop, [&] { ++stops; });
    std::vector<std::pair<app::Command, bool>> heard;
    table.watch([&](app::Command command, bool enabled) { heard.emplace_back(command, enabled); });

    table.fire(app::Command::Stop); // there is no job to stop yet
    table.fire(app::Command::Convert);
    EXPECT_EQ(converts, 1);
    EXPECT_EQ(stops, 0);

    // As a job starts: Convert off, Stop on; saying it again changes nothing.
    for (int twice = 0; twice < 2; ++twice) {
        table.setEnabled(app::Command::Convert, false);
        table.setEnabled(app::Command::Stop, true);
    }
    table.fire(app::Command::Convert);
    table.fire(app::Command::Stop);
    EXPECT_EQ(converts, 1);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(heard, (std::vector<std::pair<app::Command, bool>>{{app::Command::Convert, false},
                                                                 {app::Command::Stop, true}}));
    table.fire(app::Command::Help); // unbound: nothing
}

} // namespace
} // namespace pw
