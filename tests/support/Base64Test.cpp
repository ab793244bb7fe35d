#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/support/Base64.h"

namespace plovik {
namespace {

std::vector<std::uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(Base64, EncodesAndDecodesTheRfc4648Vectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Base64::encode(bytes(plain)), encoded) << plain;
        EXPECT_EQ(Base64::decode(encoded), bytes(plain)) << encoded;
    }
}

TEST(Base64, RoundTripsEveryByteValueWithTheStandardAlphabet) {
    std::vector<std::uint8_t> all;
    for (int value = 0; value < 256; ++value) {
        all.push_back(static_cast<std::uint8_t>(value));
    }
    const std::string encoded = Base64::encode(all);
    EXPECT_NE(encoded.find('+'), std::string::npos);
    EXPECT_NE(encoded.find('/'), std::string::npos);
    EXPECT_EQ(Base64::decode(encoded), all);
}

TEST(Base64, RefusesAnythingButCanonicalPaddedText) {
    for (const std::string bad : {
             "Zg",           // padding missing
             "Zg=",          // padding short
             "Zg===",        // padding long
             "Zm9v====",     // a whole group of padding
             "=Zm9",         // padding first
             "Zm=v",         // padding inside
             "Zh==",         // stray bits in the last character
             "Zm9v\n",       // whitespace
             " Zm9v",        // whitespace
             "Zm 9v",        // whitespace
             "Zm9v!abc",     // outside the alphabet
             "-_-_",         // URL-safe alphabet
             "Zm9vYg==Zm9v"  // data after padding
         }) {
        EXPECT_FALSE(Base64::decode(bad).has_value()) << bad;
    }
    EXPECT_FALSE(Base64::decode(std::string("Zm\0v", 4)).has_value());
}

TEST(Base64, RefusesEveryByteAboveAscii) {
    ASSERT_TRUE(Base64::decode("iVBORw0KGgo=").has_value());
    for (int value = 0x80; value <= 0xFF; ++value) {
        for (const std::size_t position : {0u, 2u, 10u}) {
            std::string text = "iVBORw0KGgo=";
            text[position] = static_cast<char>(value);
            EXPECT_FALSE(Base64::decode(text).has_value()) << value << " at " << position;
        }
    }
}

}  // namespace
}  // namespace plovik
