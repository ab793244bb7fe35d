#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/sway/SwayActiveApplication.h"
#include "platform/sway/SwayIpcConnection.h"

namespace plovik {
namespace {

// A tree as sway 1.7 answers GET_TREE, cut down: a Wayland window and, floating on another
// workspace, an X11 one under XWayland.
const char* kTree = R"({
  "id": 1, "type": "root", "focused": false, "nodes": [
    {"id": 3, "type": "output", "focused": false, "nodes": [
      {"id": 4, "type": "workspace", "focused": false, "nodes": [
        {"id": 7, "type": "con", "pid": 2001, "app_id": "org.plovik.FixtureGtk",
         "focused": false, "nodes": []},
        {"id": 8, "type": "con", "pid": 2002, "app_id": "foot", "focused": true,
         "nodes": []}],
       "floating_nodes": [
        {"id": 9, "type": "floating_con", "pid": 2003, "app_id": null, "focused": false,
         "window_properties": {"class": "Firefox-esr", "instance": "Navigator"},
         "nodes": []}]}]}]})";

TEST(SwayActiveApplication, FindsTheFocusedWindowAndEachProcesssWindowInTheTree) {
    const DesktopEntryCatalog catalog({});
    const auto tree = nlohmann::json::parse(kTree);
    const auto focused = SwayActiveApplication::focusedWindow(tree, catalog);
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused->pid, 2002);
    EXPECT_EQ(focused->wmClass, "foot");
    EXPECT_FALSE(focused->gtkApplicationId) << "a plain app_id is a class, not an entry id";

    const auto gtk = SwayActiveApplication::windowOf(tree, 2001, catalog);
    ASSERT_TRUE(gtk);
    EXPECT_EQ(gtk->gtkApplicationId, "org.plovik.FixtureGtk");
    EXPECT_EQ(gtk->application(catalog).bundleIdentifier, "org.plovik.FixtureGtk");

    const auto x11 = SwayActiveApplication::windowOf(tree, 2003, catalog);
    ASSERT_TRUE(x11) << "floating windows count";
    EXPECT_EQ(x11->wmClass, "Firefox-esr");
    EXPECT_EQ(x11->wmInstance, "Navigator");

    EXPECT_FALSE(SwayActiveApplication::windowOf(tree, 4, catalog)) << "a workspace is no window";
    EXPECT_FALSE(
        SwayActiveApplication::focusedWindow(nlohmann::json::parse(R"({"nodes": 5})"), catalog));
}

TEST(SwayIpcConnection, SplitsSwaysMessagesAndRefusesAnythingElse) {
    std::string bytes = SwayIpcConnection::frame(4, "{}") +
                        SwayIpcConnection::frame(SwayIpcConnection::kWindowEvent, "[1]");
    const std::string tail = bytes.substr(bytes.size() - 3);
    bytes.resize(bytes.size() - 3);
    std::vector<SwayIpcConnection::Message> messages;
    ASSERT_TRUE(SwayIpcConnection::parse(bytes, messages));
    ASSERT_EQ(messages.size(), 1u) << "the second is not complete yet";
    EXPECT_EQ(messages[0].type, 4u);
    EXPECT_EQ(messages[0].payload, "{}");
    bytes += tail;
    ASSERT_TRUE(SwayIpcConnection::parse(bytes, messages));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].type, SwayIpcConnection::kWindowEvent);
    EXPECT_TRUE(bytes.empty());

    std::string foreign = "HTTP/1.1 200 OK\r\n";
    EXPECT_FALSE(SwayIpcConnection::parse(foreign, messages));
}

}  // namespace
}  // namespace plovik
