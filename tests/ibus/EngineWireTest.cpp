#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "framework/ibus/logic/EditRequest.h"
#include "framework/ibus/logic/EngineList.h"
#include "framework/ibus/wire/EngineMessage.h"
#include "framework/ibus/wire/EngineName.h"
#include "framework/ibus/wire/EngineSocket.h"

namespace plovik::ibus {
namespace {

using namespace std::chrono_literals;

TEST(EngineMessageTest, AnyTextTravelsUnchangedAndMalformedBytesAreRefused) {
    const std::string text("a\tb\\c\nd\0e", 9);
    const EngineMessage message{EngineMessage::Kind::text, {"1", "7", "7", text, "", "whole"}};
    ASSERT_EQ(message.fields[3].size(), 9u) << "the NUL is part of the text";
    EXPECT_EQ(EngineMessage::decode(message.encode()), message);
    EXPECT_EQ(EngineMessage::decode("press\t1\t2"),
              (EngineMessage{EngineMessage::Kind::press, {"1", "2"}}));
    EXPECT_FALSE(EngineMessage::decode("unknown\t1"));
    EXPECT_FALSE(EngineMessage::decode("press\tbad\\q"));
    EXPECT_FALSE(EngineMessage::decode("press\tends in\\"));
    EXPECT_FALSE(EngineMessage::decode(std::string(EngineMessage::kMaximumSize + 1, 'a')));
}

TEST(EngineMessageTest, NumbersAreWholeDecimalFieldsOrNothing) {
    const EngineMessage message{EngineMessage::Kind::press,
                                {"42", "", "-1", "3x", "18446744073709551615"}};
    EXPECT_EQ(message.number(0), 42u);
    EXPECT_FALSE(message.number(1));
    EXPECT_FALSE(message.number(2));
    EXPECT_FALSE(message.number(3));
    EXPECT_EQ(message.number(4), 18446744073709551615u);
    EXPECT_FALSE(message.number(9));
    EXPECT_EQ(message.text(9), "");
}

TEST(EngineNameTest, EachLayoutHasOneEngineAndBack) {
    EXPECT_EQ(EngineName::fromGnomeLayout("us+dvorak")->name(), "plovik-us+dvorak");
    EXPECT_EQ(EngineName::parse("plovik-ru"), (EngineName{"ru", ""}));
    EXPECT_EQ(EngineName::parse("plovik-de+neo")->gnomeLayout(), "de+neo");
    for (const auto* bad : {"ru", "plovik-", "plovik-us+", "plovik-us,ru", "plovik-us(dvorak)",
                            "xkb:us::eng", "plovik-a b"}) {
        EXPECT_FALSE(EngineName::parse(bad)) << bad;
    }
}

TEST(EditRequestTest, ARequestThatCannotBeCarriedOutSafelyIsNotRead) {
    const EditRequest request{3, 1, 9, " ghbdtn ", false, 7, "привет "};
    EXPECT_EQ(EditRequest::fromMessage(request.toMessage()), request);
    auto tooLong = request.toMessage();
    tooLong.fields[5] = "9";
    EXPECT_FALSE(EditRequest::fromMessage(tooLong)) << "more than the expected text";
    auto broken = request.toMessage();
    broken.fields[3] = "\xff";
    EXPECT_FALSE(EditRequest::fromMessage(broken)) << "not UTF-8";
    auto where = request.toMessage();
    where.fields[4] = "anywhere";
    EXPECT_FALSE(EditRequest::fromMessage(where));
}

TEST(EngineListTest, OffersEachLayoutOnceWithItsKeyMapAndEscapedNames) {
    EngineList list;
    list.add({*EngineName::parse("plovik-us+dvorak"), "English (Dvorak)", "eng", "en"});
    list.add({*EngineName::parse("plovik-us+dvorak"), "again", "eng", "en"});
    list.add({*EngineName::parse("plovik-ru"), "Russian <&>", "rus", "ru"});
    const std::string xml = list.xml();
    EXPECT_EQ(list.entries().size(), 2u);
    EXPECT_NE(xml.find("<name>plovik-us+dvorak</name>"), std::string::npos);
    EXPECT_NE(xml.find("<layout>us</layout>"), std::string::npos);
    EXPECT_NE(xml.find("<layout_variant>dvorak</layout_variant>"), std::string::npos);
    EXPECT_NE(xml.find("Russian &lt;&amp;&gt;"), std::string::npos);
    EXPECT_EQ(xml.find("again"), std::string::npos);
}

class EngineSocketTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "plovik-socket-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        folder_ = pattern;
        path_ = (folder_ / "plovik" / "ibus-engine").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
    std::string path_;
};

TEST_F(EngineSocketTest, MessagesKeepTheirBoundariesAndOrderAndAClosedPeerIsNoticed) {
    auto listening = EngineSocket::listen(path_);
    ASSERT_TRUE(std::holds_alternative<EngineSocket>(listening))
        << std::get<std::string>(listening);
    auto& listener = std::get<EngineSocket>(listening);
    EXPECT_EQ(
        std::filesystem::status(folder_ / "plovik").permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_all);
    auto connected = EngineSocket::connect(path_);
    ASSERT_TRUE(std::holds_alternative<EngineSocket>(connected));
    auto& plovik = std::get<EngineSocket>(connected);
    auto engine = listener.accept();
    ASSERT_TRUE(engine);
    const EngineMessage first{EngineMessage::Kind::press, {"1", "34", "0", "g", "passed"}};
    const EngineMessage second{EngineMessage::Kind::text, {"1", "1", "1", "g", "whole"}};
    ASSERT_TRUE(engine->send(first));
    ASSERT_TRUE(engine->send(second));
    EXPECT_EQ(plovik.receive(1s).message, first);
    EXPECT_EQ(plovik.receive(1s).message, second);
    EXPECT_EQ(plovik.receive(0ms).status, EngineSocket::Status::nothing);
    engine.reset();
    EXPECT_EQ(plovik.receive(1s).status, EngineSocket::Status::closed);
}

TEST_F(EngineSocketTest, AFolderOthersMayEnterIsRefusedAndAStaleSocketReplaced) {
    std::filesystem::create_directories(folder_ / "plovik");
    ::chmod((folder_ / "plovik").c_str(), 0755);
    EXPECT_TRUE(std::holds_alternative<std::string>(EngineSocket::listen(path_)));
    ::chmod((folder_ / "plovik").c_str(), 0700);
    {
        // A socket file left by an engine that died.
        auto first = EngineSocket::listen(path_);
        ASSERT_TRUE(std::holds_alternative<EngineSocket>(first));
        const std::filesystem::path leftover = folder_ / "kept";
        std::filesystem::create_hard_link(path_, leftover);
    }
    std::filesystem::rename(folder_ / "kept", path_);
    auto second = EngineSocket::listen(path_);
    ASSERT_TRUE(std::holds_alternative<EngineSocket>(second)) << std::get<std::string>(second);
    EXPECT_TRUE(std::holds_alternative<EngineSocket>(EngineSocket::connect(path_)));
    EXPECT_FALSE(
        EngineSocket::defaultPath([](const char*) { return std::optional<std::string>(); }));
    EXPECT_FALSE(EngineSocket::defaultPath(
        [](const char*) { return std::optional<std::string>("relative"); }));
}

}  // namespace
}  // namespace plovik::ibus
