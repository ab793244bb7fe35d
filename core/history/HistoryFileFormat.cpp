#include "core/history/HistoryFileFormat.h"

#include <cmath>
#include <deque>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>

namespace plovik {

namespace {

// Keys keep the record's field order in the file, which reads better than sorted keys.
using OrderedJson = nlohmann::ordered_json;

OrderedJson encodeRecord(const CorrectionRecord& record) {
    // A non-finite number would be written as null and make the whole file unreadable.
    const double timestamp = std::isfinite(record.timestamp) ? record.timestamp : 0.0;
    return OrderedJson{
        {"id", record.id.uppercaseString()},
        {"originalToken", record.originalToken},
        {"correctedToken", record.correctedToken},
        {"applicationBundleIdentifier", record.applicationBundleIdentifier},
        {"outcome", rawValue(record.outcome)},
        {"timestamp", timestamp},
    };
}

std::optional<std::string> stringValue(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

std::optional<CorrectionRecord> decodeRecord(const nlohmann::json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto id = stringValue(object, "id");
    const auto originalToken = stringValue(object, "originalToken");
    const auto correctedToken = stringValue(object, "correctedToken");
    const auto bundleIdentifier = stringValue(object, "applicationBundleIdentifier");
    const auto outcomeText = stringValue(object, "outcome");
    const auto timestamp = object.find("timestamp");
    if (!id || !originalToken || !correctedToken || !bundleIdentifier || !outcomeText ||
        timestamp == object.end() || !timestamp->is_number()) {
        return std::nullopt;
    }
    const auto uuid = Uuid::parse(*id);
    const auto outcome = correctionOutcomeFromRawValue(*outcomeText);
    if (!uuid || !outcome) {
        return std::nullopt;
    }
    return CorrectionRecord{*uuid,    *originalToken,          *correctedToken, *bundleIdentifier,
                            *outcome, timestamp->get<double>()};
}

// Each record is decoded as soon as its object ends and then dropped from the document, so
// a file of any length takes memory for `count` records only.
template <typename Input>
std::optional<std::vector<CorrectionRecord>> decodeNewestFrom(Input input, std::size_t count) {
    std::deque<CorrectionRecord> newest;
    bool valid = true;
    const auto keepRecord = [&](int depth, nlohmann::json::parse_event_t event,
                                nlohmann::json& parsed) {
        using Event = nlohmann::json::parse_event_t;
        if (depth != 1 || event == Event::key || event == Event::object_start ||
            event == Event::array_start) {
            return true;
        }
        // Anything else at this depth is a whole element of the top-level array.
        auto record = event == Event::object_end ? decodeRecord(parsed) : std::nullopt;
        if (!record) {
            valid = false;
        } else if (count > 0) {
            if (newest.size() == count) {
                newest.pop_front();
            }
            newest.push_back(std::move(*record));
        }
        return false;
    };
    const auto document = nlohmann::json::parse(input, keepRecord, false);
    if (!valid || !document.is_array()) {
        return std::nullopt;
    }
    return std::vector<CorrectionRecord>(std::make_move_iterator(newest.begin()),
                                         std::make_move_iterator(newest.end()));
}

}  // namespace

std::optional<std::string> HistoryFileFormat::encode(const std::vector<CorrectionRecord>& records) {
    auto document = OrderedJson::array();
    for (const auto& record : records) {
        document.push_back(encodeRecord(record));
    }
    try {
        return document.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::optional<std::vector<CorrectionRecord>> HistoryFileFormat::decode(std::string_view bytes) {
    return decodeNewest(bytes, std::numeric_limits<std::size_t>::max());
}

std::optional<std::vector<CorrectionRecord>> HistoryFileFormat::decodeNewest(std::string_view bytes,
                                                                             std::size_t count) {
    return decodeNewestFrom(bytes, count);
}

std::optional<std::vector<CorrectionRecord>> HistoryFileFormat::decodeNewest(std::FILE* file,
                                                                             std::size_t count) {
    return decodeNewestFrom(file, count);
}

}  // namespace plovik
