#include "core/history/HistoryFileFormat.h"

#include <cmath>
#include <iterator>
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

// Each record is decoded as soon as its object ends and then dropped from the document, and
// the retention thins the list out whenever it has doubled, so a file of any length takes
// memory for a bounded number of records only.
template <typename Input>
std::optional<std::vector<CorrectionRecord>> decodeRetainedFrom(Input input,
                                                                const HistoryRetention& retention) {
    std::vector<CorrectionRecord> retained;
    const auto& maximum = retention.maximumRecordCount();
    const std::size_t thinningPoint =
        maximum ? 2 * (*maximum + HistoryRetention::kDeclinedAllowance) + 1 : 0;
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
            return false;
        }
        retained.push_back(std::move(*record));
        if (thinningPoint > 0 && retained.size() >= thinningPoint) {
            retention.apply(retained);
        }
        return false;
    };
    const auto document = nlohmann::json::parse(input, keepRecord, false);
    if (!valid || !document.is_array()) {
        return std::nullopt;
    }
    retention.apply(retained);
    return retained;
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
    return decodeRetainedFrom(bytes, HistoryRetention::unlimited());
}

std::optional<std::vector<CorrectionRecord>> HistoryFileFormat::decodeRetained(
    std::string_view bytes, const HistoryRetention& retention) {
    return decodeRetainedFrom(bytes, retention);
}

std::optional<std::vector<CorrectionRecord>> HistoryFileFormat::decodeRetained(
    std::FILE* file, const HistoryRetention& retention) {
    return decodeRetainedFrom(file, retention);
}

}  // namespace plovik
