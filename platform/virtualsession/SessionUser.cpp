#include "platform/virtualsession/SessionUser.h"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <system_error>
#include <thread>

namespace plovik {

namespace {

std::optional<ChildCredentials> lookUp() {
    const passwd* entry = ::getpwnam(SessionUser::kName);
    if (!entry) {
        return std::nullopt;
    }
    return ChildCredentials{entry->pw_uid, entry->pw_gid};
}

}  // namespace

SessionUser::Choice SessionUser::forThisProcess() {
    if (::geteuid() != 0) {
        return {};
    }
    if (auto found = lookUp()) {
        return {found, std::nullopt};
    }
    std::string failure;
    try {
        ChildProcessOptions options;
        options.environment = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"};
        ChildProcess useradd("useradd",
                             {"--system", "--no-create-home", "--home-dir", "/nonexistent",
                              "--shell", "/usr/sbin/nologin", kName},
                             options);
        useradd.waitForExit(std::chrono::seconds(30));
    } catch (const std::system_error& error) {
        failure = error.what();
    }
    // Tests run side by side: another one's useradd may hold the lock and finish a moment
    // after ours gave up.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        if (auto created = lookUp()) {
            return {created, std::nullopt};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return {std::nullopt, "cannot create the session user " + std::string(kName) +
                              (failure.empty() ? "" : ": " + failure)};
}

}  // namespace plovik
