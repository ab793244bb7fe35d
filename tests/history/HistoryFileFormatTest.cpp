#include <gtest/gtest.h>

#include <limits>
#include <nlohmann/json.hpp>

#include "core/history/HistoryFileFormat.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

const std::string kDataDir = PLOVIK_TEST_DATA_DIR "/history/";

Uuid uuid(const char* text) {
    return *Uuid::parse(text);
}

std::vector<CorrectionRecord> goldenRecords() {
    return {
        {uuid("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), "ghbdtn", "привет",
         "com.tinyspeck.slackmacgap", CorrectionOutcome::accepted, 786729600.25},
        {uuid("5F2B0C1E-8D3A-4B7E-9C61-2A4F0D8E7B13"), "Ntcn", "Тест", "org.gnome.TextEditor",
         CorrectionOutcome::undone, 786816000.5},
        {uuid("0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D"), "ырщц", "show", "org.mozilla.firefox",
         CorrectionOutcome::rejected, -12.125},
    };
}

TEST(CorrectionOutcome, RawValuesRoundTripAndOthersAreRejected) {
    for (const auto outcome :
         {CorrectionOutcome::accepted, CorrectionOutcome::undone, CorrectionOutcome::rejected}) {
        EXPECT_EQ(correctionOutcomeFromRawValue(rawValue(outcome)), outcome);
    }
    EXPECT_EQ(rawValue(CorrectionOutcome::undone), "undone");
    for (const char* other : {"", "Accepted", "accepted ", "kept", "undo"}) {
        EXPECT_EQ(correctionOutcomeFromRawValue(other), std::nullopt) << other;
    }
}

TEST(HistoryFileFormat, MatchesTheGoldenFileBothWays) {
    const auto golden = testing::readFile(kDataDir + "three-records.json");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(HistoryFileFormat::encode(goldenRecords()), golden);
    EXPECT_EQ(HistoryFileFormat::decode(golden), goldenRecords());
    EXPECT_EQ(HistoryFileFormat::encode({}), "[]");
    EXPECT_EQ(HistoryFileFormat::decode("[]"), std::vector<CorrectionRecord>{});
}

TEST(HistoryFileFormat, ReadsLowerCaseIdsAndAnyKeyOrderAndWritesUpperCase) {
    const auto decoded =
        HistoryFileFormat::decode(testing::readFile(kDataDir + "lowercase-id-any-key-order.json"));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 1u);
    EXPECT_EQ(decoded->front(), goldenRecords().front());
    const auto encoded = HistoryFileFormat::encode(*decoded);
    ASSERT_TRUE(encoded);
    EXPECT_NE(encoded->find(R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F")"), std::string::npos);
    EXPECT_EQ(encoded->find("e621e1f8"), std::string::npos);
}

TEST(HistoryFileFormat, RoundTripsFractionalTimestampsAndAnyTextExactly) {
    std::vector<CorrectionRecord> records;
    for (const double timestamp :
         {0.0, 0.1, 1e-7, -978307200.5, 786729600.123456789, 1.7976931348623157e308}) {
        records.push_back({Uuid::random(), "Ghbdtn\"\\\n\t", "ПРИВЕТ 😀 ß", "a.b",
                           CorrectionOutcome::accepted, timestamp});
    }
    const auto encoded = HistoryFileFormat::encode(records);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(encoded->find('\n'), std::string::npos) << "compact, one line";
    EXPECT_NE(encoded->find("ПРИВЕТ 😀 ß"), std::string::npos) << "UTF-8, not escaped";
    EXPECT_EQ(HistoryFileFormat::decode(*encoded), records);
    // Whole numbers are numbers too.
    const auto whole = HistoryFileFormat::decode(
        R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","originalToken":"a","correctedToken":"b",)"
        R"("applicationBundleIdentifier":"c","outcome":"undone","timestamp":786729600}])");
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->front().timestamp, 786729600.0);
}

TEST(HistoryFileFormat, EncodingNeverProducesAnUnreadableDocument) {
    // Invalid UTF-8 in a token and a non-finite time must not block later saves.
    const std::vector<CorrectionRecord> records{
        {Uuid::random(), "bad\xff", "ok", "app", CorrectionOutcome::accepted,
         std::numeric_limits<double>::quiet_NaN()},
    };
    const auto encoded = HistoryFileFormat::encode(records);
    ASSERT_TRUE(encoded);
    const auto decoded = HistoryFileFormat::decode(*encoded);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->front().originalToken, "bad\uFFFD");
    EXPECT_EQ(decoded->front().timestamp, 0.0);
}

TEST(HistoryFileFormat, AnyFaultMakesTheWholeDocumentUnreadable) {
    const std::string good =
        R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","originalToken":"a","correctedToken":"b",)"
        R"("applicationBundleIdentifier":"c","outcome":"accepted","timestamp":1.5})";
    ASSERT_TRUE(HistoryFileFormat::decode("[" + good + "," + good + "]"));
    const auto withField = [&](const std::string& key, const std::string& json) {
        auto object = nlohmann::json::parse(good);
        if (json.empty()) {
            object.erase(key);
        } else {
            object[key] = nlohmann::json::parse(json);
        }
        return "[" + good + "," + object.dump() + "]";
    };
    const std::vector<std::pair<std::string, std::string>> faults{
        {"outcome", R"("kept")"},
        {"outcome", R"("ACCEPTED")"},
        {"outcome", "1"},
        {"timestamp", ""},
        {"timestamp", R"("786729600")"},
        {"timestamp", "null"},
        {"id", ""},
        {"id", R"("E621E1F8C36C495A93FC0C247A3E6E5F")"},
        {"id", R"("{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}")"},
        {"id", R"("G621E1F8-C36C-495A-93FC-0C247A3E6E5F")"},
        {"id", "42"},
        {"originalToken", ""},
        {"correctedToken", "null"},
        {"applicationBundleIdentifier", R"(["c"])"},
    };
    for (const auto& [key, value] : faults) {
        EXPECT_EQ(HistoryFileFormat::decode(withField(key, value)), std::nullopt)
            << key << " = " << value;
    }
    for (const char* document : {"", "   ", "{}", "null", "[1]", "[[]]", "[" /* truncated */,
                                 R"([{"id":)", "\xef\xbb\xbf[]x", "[\"\xff\"]"}) {
        EXPECT_EQ(HistoryFileFormat::decode(document), std::nullopt) << document;
    }
}

}  // namespace
}  // namespace plovik
