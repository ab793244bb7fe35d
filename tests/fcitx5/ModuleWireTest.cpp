#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fcitx5/protocol/FrameAssembler.h"
#include "platform/fcitx5/protocol/ModuleWire.h"

namespace plovik {
namespace {

std::vector<ModuleMessage> everyKind() {
    return {
        module::Hello{7},
        module::Press{1ull << 40, 57, 0x41, "п", true, true},
        module::PressTaken{3},
        module::PressWentOn{4},
        module::Focus{9, true, 0x100000005aull, "entry", "wayland_v2"},
        module::Surrounding{9, true, std::string("ab\0cd", 5) + "привет", 8, 2},
        module::InputMethods{"keyboard-ru", {"keyboard-us", "keyboard-ru", ""}},
        module::EditDone{5, module::EditStatus::keyTypedSince},
        module::Synced{6},
        module::Answer{12, true},
        module::HeldKeys{{{28, 0}, {96, 1}, {57, 6}}},
        module::Edit{1, 2, 3, "ghbdtn ", "привет ", "keyboard-ru"},
        module::SelectInputMethod{"keyboard-us"},
        module::PostKey{28, 1, 17},
        module::Sync{99},
    };
}

std::string payloadOf(const ModuleMessage& message) {
    return ModuleWire::encode(message).substr(ModuleWire::kLengthPrefix);
}

TEST(ModuleWire, EveryMessageComesBackAsItWasSentWhateverPiecesTheBytesArriveIn) {
    std::string stream;
    for (const auto& message : everyKind()) {
        ASSERT_EQ(ModuleWire::decode(payloadOf(message)), message);
        stream += ModuleWire::encode(message);
    }
    // One byte at a time, then all at once.
    FrameAssembler trickle;
    std::vector<ModuleMessage> received;
    for (const char byte : stream) {
        trickle.append(std::string_view(&byte, 1));
        while (auto message = trickle.next()) {
            received.push_back(*message);
        }
    }
    EXPECT_EQ(received, everyKind());
    FrameAssembler flood;
    flood.append(stream);
    received.clear();
    while (auto message = flood.next()) {
        received.push_back(*message);
    }
    EXPECT_EQ(received, everyKind());
    EXPECT_FALSE(flood.isBroken());
}

TEST(ModuleWire, AnythingButAWholeWellFormedMessageIsRefused) {
    for (const auto& message : everyKind()) {
        const std::string payload = payloadOf(message);
        for (std::size_t cut = 0; cut < payload.size(); ++cut) {
            EXPECT_FALSE(ModuleWire::decode(payload.substr(0, cut)))
                << payload.size() << " bytes cut to " << cut;
        }
        EXPECT_FALSE(ModuleWire::decode(payload + '\0')) << "trailing bytes";
    }
    EXPECT_FALSE(ModuleWire::decode(std::string(1, '\x7f'))) << "an unknown kind";
    std::string answer = payloadOf(module::Answer{1, true});
    answer.back() = '\x02';
    EXPECT_FALSE(ModuleWire::decode(answer)) << "a truth value other than 0 or 1";
    std::string done = payloadOf(module::EditDone{1, module::EditStatus::done});
    done.back() = '\x09';
    EXPECT_FALSE(ModuleWire::decode(done)) << "an unknown edit status";
    // A list that claims more elements than its frame holds.
    std::string keys = payloadOf(module::HeldKeys{});
    keys.replace(1, 4, std::string("\xff\xff\xff\x00", 4));
    EXPECT_FALSE(ModuleWire::decode(keys));
}

TEST(ModuleWire, AStreamThatIsNotThisProtocolBreaksForGood) {
    FrameAssembler oversized;
    oversized.append(std::string("\xff\xff\xff\x7f", 4));
    EXPECT_FALSE(oversized.next());
    EXPECT_TRUE(oversized.isBroken());
    oversized.append(ModuleWire::encode(module::Sync{1}));
    EXPECT_FALSE(oversized.next()) << "nothing after the break is trusted";

    FrameAssembler garbled;
    garbled.append(ModuleWire::encode(module::Sync{1}) + std::string("\x01\x00\x00\x00\x7f", 5) +
                   ModuleWire::encode(module::Sync{2}));
    EXPECT_EQ(garbled.next(), ModuleMessage(module::Sync{1}));
    EXPECT_FALSE(garbled.next());
    EXPECT_TRUE(garbled.isBroken());
}

}  // namespace
}  // namespace plovik
