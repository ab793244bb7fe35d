#include "platform/gnome/InputSourceReplacement.h"

#include <algorithm>
#include <iterator>
#include <sstream>

#include "framework/ibus/wire/EngineName.h"

namespace plovik {

namespace {

constexpr std::string_view kSourcesKey = "sources=";
constexpr std::string_view kMruKey = "mru-sources=";
constexpr std::string_view kAppliedKey = "applied=";
constexpr std::string_view kExtensionKey = "extension=";
constexpr std::string_view kSwitchKey = "switch-to=";
constexpr std::string_view kHeader =
    "# The GNOME input sources Plovik replaced with its own. Plovik gives them back when its\n"
    "# desktop integration is turned off or the package is removed.\n";

std::vector<GnomeInputSource> mapped(const std::vector<GnomeInputSource>& sources,
                                     GnomeInputSource (*map)(const GnomeInputSource&)) {
    std::vector<GnomeInputSource> result;
    for (const auto& source : sources) {
        result.push_back(map(source));
    }
    return result;
}

}  // namespace

GnomeInputSource InputSourceReplacement::plovikSourceFor(const GnomeInputSource& source) {
    if (source.type == "xkb") {
        if (const auto engine = ibus::EngineName::fromGnomeLayout(source.id)) {
            return {"ibus", engine->name()};
        }
    }
    return source;
}

GnomeInputSource InputSourceReplacement::originalSourceFor(const GnomeInputSource& source) {
    if (source.type == "ibus") {
        if (const auto engine = ibus::EngineName::parse(source.id)) {
            return {"xkb", engine->gnomeLayout()};
        }
    }
    return source;
}

bool InputSourceReplacement::isPlovikSource(const GnomeInputSource& source) {
    return source.type == "ibus" && ibus::EngineName::parse(source.id).has_value();
}

bool InputSourceReplacement::hasPlovikSources(const std::vector<GnomeInputSource>& sources) {
    return std::any_of(sources.begin(), sources.end(), isPlovikSource);
}

std::vector<GnomeInputSource> InputSourceReplacement::replaced(
    const std::vector<GnomeInputSource>& sources) {
    return mapped(sources, plovikSourceFor);
}

std::vector<GnomeInputSource> InputSourceReplacement::originals(
    const std::vector<GnomeInputSource>& sources) {
    return mapped(sources, originalSourceFor);
}

std::vector<GnomeInputSource> InputSourceReplacement::orderOfUse(
    const std::vector<GnomeInputSource>& mru, const std::optional<GnomeInputSource>& current) {
    std::vector<GnomeInputSource> order;
    if (current) {
        order.push_back(*current);
    }
    std::copy_if(mru.begin(), mru.end(), std::back_inserter(order),
                 [&](const GnomeInputSource& source) { return source != current; });
    return order;
}

std::vector<GnomeInputSource> InputSourceReplacement::restored(
    const std::vector<GnomeInputSource>& current, const std::optional<Record>& record) {
    if (record && current == record->applied) {
        return record->sources;
    }
    return mapped(current, originalSourceFor);
}

std::string InputSourceReplacement::Record::text() const {
    std::string out(kHeader);
    out += std::string(kSourcesKey) + GnomeInputSource::listText(sources) + "\n";
    out += std::string(kMruKey) + GnomeInputSource::listText(mruSources) + "\n";
    out += std::string(kAppliedKey) + GnomeInputSource::listText(applied) + "\n";
    out +=
        std::string(kExtensionKey) + (enabledExtension ? "enabled-by-plovik" : "left-alone") + "\n";
    if (switchTo) {
        out += std::string(kSwitchKey) + GnomeInputSource::listText({*switchTo}) + "\n";
    }
    return out;
}

std::optional<InputSourceReplacement::Record> InputSourceReplacement::Record::parse(
    std::string_view text) {
    Record record;
    bool hasSources = false;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const auto read = [&](std::string_view key, std::vector<GnomeInputSource>& into) {
            if (!line.starts_with(key)) {
                return true;
            }
            auto list = GnomeInputSource::parseList(std::string_view(line).substr(key.size()));
            if (list) {
                into = std::move(*list);
            }
            return list.has_value();
        };
        if (line.starts_with(kSourcesKey)) {
            hasSources = true;
        }
        if (!read(kSourcesKey, record.sources) || !read(kMruKey, record.mruSources) ||
            !read(kAppliedKey, record.applied)) {
            return std::nullopt;
        }
        std::vector<GnomeInputSource> switchTo;
        if (!read(kSwitchKey, switchTo) || switchTo.size() > 1) {
            return std::nullopt;
        }
        if (!switchTo.empty()) {
            record.switchTo = switchTo.front();
        }
        if (line.starts_with(kExtensionKey)) {
            record.enabledExtension = line.substr(kExtensionKey.size()) == "enabled-by-plovik";
        }
    }
    return hasSources ? std::optional<Record>(std::move(record)) : std::nullopt;
}

}  // namespace plovik
