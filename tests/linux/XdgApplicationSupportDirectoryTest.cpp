#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <map>

#include "platform/linux/XdgApplicationSupportDirectory.h"

namespace plovik {
namespace {

XdgApplicationSupportDirectory withEnvironment(std::map<std::string, std::string> variables) {
    return XdgApplicationSupportDirectory(
        [variables](const std::string& name) -> std::optional<std::string> {
            const auto found = variables.find(name);
            if (found == variables.end()) {
                return std::nullopt;
            }
            return found->second;
        });
}

TEST(XdgApplicationSupportDirectory, PrefersAbsoluteDataHomeThenHome) {
    const struct {
        std::map<std::string, std::string> environment;
        std::filesystem::path expected;
    } cases[] = {
        {{{"XDG_DATA_HOME", "/data/me"}, {"HOME", "/home/me"}}, "/data/me"},
        {{{"XDG_DATA_HOME", "/data/me"}}, "/data/me"},
        {{{"HOME", "/home/me"}}, "/home/me/.local/share"},
        {{{"XDG_DATA_HOME", ""}, {"HOME", "/home/me"}}, "/home/me/.local/share"},
        {{{"XDG_DATA_HOME", "relative/data"}, {"HOME", "/home/me"}}, "/home/me/.local/share"},
        {{{"XDG_DATA_HOME", "~/data"}, {"HOME", "/home/me"}}, "/home/me/.local/share"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withEnvironment(c.environment).path(), c.expected) << c.expected;
    }
}

TEST(XdgApplicationSupportDirectory, FallsBackToTheUserDatabaseWithoutUsableHome) {
    const passwd* entry = ::getpwuid(::getuid());
    if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] != '/') {
        GTEST_SKIP() << "this user has no home directory in the user database";
    }
    const auto expected = std::filesystem::path(entry->pw_dir) / ".local" / "share";
    EXPECT_EQ(withEnvironment({}).path(), expected);
    EXPECT_EQ(withEnvironment({{"HOME", ""}}).path(), expected);
    EXPECT_EQ(withEnvironment({{"HOME", "relative"}}).path(), expected);
    EXPECT_TRUE(XdgApplicationSupportDirectory().path().has_value());
}

}  // namespace
}  // namespace plovik
