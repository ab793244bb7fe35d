#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>

#include "framework/fcitx5/ModuleListener.h"
#include "framework/fcitx5/PlovikConnection.h"
#include "platform/fcitx5/protocol/ModuleSocketPath.h"
#include "platform/fcitx5/protocol/ModuleWire.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;

SocketDescriptor connectTo(const std::string& path) {
    SocketDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) !=
        0) {
        return {};
    }
    return socket;
}

std::pair<SocketDescriptor, SocketDescriptor> socketPair() {
    int ends[2] = {-1, -1};
    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends);
    return {SocketDescriptor(ends[0]), SocketDescriptor(ends[1])};
}

TEST(ModuleSocketPath, LivesInTheRuntimeFolderOrNowhere) {
    EXPECT_EQ(ModuleSocketPath::inRuntimeFolder("/run/user/1000"),
              "/run/user/1000/plovik-fcitx5.socket");
    EXPECT_EQ(ModuleSocketPath::inRuntimeFolder("/run/user/1000/"),
              "/run/user/1000/plovik-fcitx5.socket");
    EXPECT_FALSE(ModuleSocketPath::inRuntimeFolder(nullptr));
    EXPECT_FALSE(ModuleSocketPath::inRuntimeFolder("relative"));
    EXPECT_FALSE(ModuleSocketPath::inRuntimeFolder(("/" + std::string(120, 'x')).c_str()))
        << "too long for a socket address";
}

TEST(ModuleListener, TakesTheUsersConnectionsReplacesAStaleSocketAndCleansUp) {
    testing::TemporaryDirectory folder;
    const std::string path = (folder.path() / "module.socket").string();
    {
        // Left over by a module that ended without removing it.
        SocketDescriptor stale(::socket(AF_UNIX, SOCK_STREAM, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        ASSERT_EQ(::bind(stale.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)),
                  0);
    }
    auto listening = ModuleListener::listen(path);
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ModuleListener>>(listening));
    auto listener = std::move(std::get<0>(listening));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    EXPECT_FALSE(listener->accept().isOpen()) << "nobody is waiting";
    const auto client = connectTo(path);
    ASSERT_TRUE(client.isOpen());
    const auto accepted = listener->accept();
    ASSERT_TRUE(accepted.isOpen());
    EXPECT_EQ(ModuleListener::peerUser(accepted.get()), ::geteuid());

    auto second = ModuleListener::listen(path);
    EXPECT_TRUE(std::holds_alternative<std::string>(second))
        << "a live module's socket is never taken over";
    EXPECT_TRUE(std::filesystem::exists(path));
    listener.reset();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PlovikConnection, CarriesMessagesBothWaysAndWaitsNoLongerThanAsked) {
    auto [moduleEnd, plovikEnd] = socketPair();
    PlovikConnection connection(std::move(moduleEnd));
    ASSERT_TRUE(connection.send(module::Hello{}));
    char buffer[64];
    const auto hello = ModuleWire::encode(module::Hello{});
    ASSERT_EQ(::recv(plovikEnd.get(), buffer, sizeof(buffer), 0),
              static_cast<ssize_t>(hello.size()));

    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(connection.waitForInput(before + 20ms));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 20ms);

    const auto answer = ModuleWire::encode(module::Answer{1, true});
    ::send(plovikEnd.get(), answer.data(), answer.size() - 1, 0);
    EXPECT_TRUE(connection.waitForInput(std::chrono::steady_clock::now() + 1s));
    std::deque<ModuleMessage> messages;
    EXPECT_TRUE(connection.receive(messages));
    EXPECT_TRUE(messages.empty()) << "half a message is not a message";
    ::send(plovikEnd.get(), answer.data() + answer.size() - 1, 1, 0);
    EXPECT_TRUE(connection.receive(messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), ModuleMessage(module::Answer{1, true}));

    plovikEnd = SocketDescriptor();
    EXPECT_FALSE(connection.receive(messages)) << "Plovik hung up";
    EXPECT_TRUE(connection.isBroken());
    EXPECT_FALSE(connection.send(module::Sync{1}));
}

TEST(PlovikConnection, APlovikThatStopsReadingOrSpeaksNonsenseIsLetGo) {
    auto [moduleEnd, plovikEnd] = socketPair();
    PlovikConnection deaf(std::move(moduleEnd));
    const module::Surrounding large{1, true, std::string(100000, 'x'), 0, 0};
    int sent = 0;
    while (deaf.send(large) && sent < 100) {
        ++sent;
    }
    EXPECT_TRUE(deaf.isBroken()) << "more than a megabyte waits unread";
    EXPECT_LT(sent, 100);

    auto [otherModuleEnd, otherPlovikEnd] = socketPair();
    PlovikConnection confused(std::move(otherModuleEnd));
    ::send(otherPlovikEnd.get(), "GET / HTTP/1.1\r\n\r\n", 18, 0);
    std::deque<ModuleMessage> messages;
    EXPECT_FALSE(confused.receive(messages));
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace plovik
