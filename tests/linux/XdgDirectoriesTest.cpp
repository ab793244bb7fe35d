#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <map>

#include "platform/linux/XdgDirectories.h"
#include "platform/linux/XdgUserDataFolder.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;

XdgDirectories::Environment environmentOf(std::map<std::string, std::string> variables) {
    return
        [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
            const auto found = variables.find(name);
            if (found == variables.end()) {
                return std::nullopt;
            }
            return found->second;
        };
}

TEST(XdgDirectories, ResolvesTheDefaultsFolderFromTheEnvironment) {
    EXPECT_EQ(XdgDirectories::defaultsDirectory(
                  environmentOf({{"XDG_CONFIG_HOME", "/xdg/config"}, {"HOME", "/home/u"}})),
              fs::path("/xdg/config/plovik"));
    EXPECT_EQ(XdgDirectories::defaultsDirectory(environmentOf({{"HOME", "/home/u"}})),
              fs::path("/home/u/.config/plovik"));
    for (const char* ignored : {"", "relative/config", "~/config"}) {
        EXPECT_EQ(XdgDirectories::defaultsDirectory(
                      environmentOf({{"XDG_CONFIG_HOME", ignored}, {"HOME", "/home/u"}})),
                  fs::path("/home/u/.config/plovik"))
            << ignored;
    }
    EXPECT_EQ(XdgDirectories::configHome(environmentOf({{"HOME", "/root"}})),
              fs::path("/root/.config"));
    EXPECT_EQ(XdgDirectories::processEnvironment()("PLOVIK_SURELY_UNSET_VARIABLE"), std::nullopt);
}

TEST(XdgUserDataFolder, PrefersAbsoluteDataHomeThenHome) {
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
        EXPECT_EQ(XdgUserDataFolder(environmentOf(c.environment)).path(), c.expected) << c.expected;
    }
}

TEST(XdgDirectories, FallsBackToTheUserDatabaseWithoutUsableHome) {
    const passwd* entry = ::getpwuid(::getuid());
    if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] != '/') {
        GTEST_SKIP() << "this user has no home directory in the user database";
    }
    const fs::path home(entry->pw_dir);
    for (const auto& environment : {environmentOf({}), environmentOf({{"HOME", ""}}),
                                    environmentOf({{"HOME", "relative"}})}) {
        EXPECT_EQ(XdgDirectories::homeDirectory(environment), home);
        EXPECT_EQ(XdgDirectories::defaultsDirectory(environment), home / ".config" / "plovik");
        EXPECT_EQ(XdgUserDataFolder(environment).path(), home / ".local" / "share");
    }
    EXPECT_TRUE(XdgUserDataFolder().path().has_value());
}

}  // namespace
}  // namespace plovik
