#include "core/history/HistoryFileFormat.h"

#include <cmath>
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
    const auto document = nlohmann::json::parse(bytes, nullptr, false);
    if (!document.is_array()) {
        return std::nullopt;
    }
    std::vector<CorrectionRecord> records;
    records.reserve(document.size());
    for (const auto& object : document) {
        auto record = decodeRecord(object);
        if (!record) {
            return std::nullopt;
        }
        records.push_back(std::move(*record));
    }
    return records;
}

}  // namespace plovik
