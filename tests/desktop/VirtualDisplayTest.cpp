#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/virtualsession/DisplayProbe.h"
#include "platform/virtualsession/VirtualDisplay.h"
#include "support/ProcessEnvironment.h"
#include "support/Skip.h"

namespace plovik {
namespace {

VirtualDisplayOptions xvfb() {
    VirtualDisplayOptions options;
    options.environment = testing::environmentWith();
    options.logFile = "/dev/null";
    if (!findProgram(options.server, options.environment)) {
        testing::skipBecause("Xvfb is not installed");
    }
    return options;
}

TEST(VirtualDisplay, ServersStartedTogetherGetDisplaysOfTheirOwnAndStopWithTheObject) {
    const auto options = xvfb();
    std::string firstName;
    {
        VirtualDisplay first(options);
        VirtualDisplay second(options);
        firstName = first.name();
        EXPECT_NE(first.name(), second.name());
        EXPECT_TRUE(DisplayProbe::connect(first.name()));
        EXPECT_TRUE(DisplayProbe::connect(second.name()));
    }
    EXPECT_FALSE(DisplayProbe::connect(firstName));
}

TEST(VirtualDisplay, AServerThatNamesNoDisplayOrCannotStartIsAnError) {
    auto options = xvfb();
    // A server that exits at once: its end of the pipe closes without a number.
    options.server = "true";
    EXPECT_THROW(VirtualDisplay{options}, std::runtime_error);
    options.server = "plovik-no-such-server";
    EXPECT_THROW(VirtualDisplay{options}, std::system_error);
}

}  // namespace
}  // namespace plovik
