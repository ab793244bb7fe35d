#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/settings/CorrectionEngineKind.h"

namespace plovik {

// What plovik-correct was asked to do, read from its command line.
struct CorrectOptions {
    // XKB layout names with an optional variant: "us", "us(dvorak)".
    std::vector<std::string> layouts{"us", "ru"};
    // "auto": each character under whichever of the layouts types it.
    std::string typedIn = "us";
    CorrectionEngineKind engine = CorrectionEngineKind::extended;
    bool switchAfterCorrection = false;
    double threshold = 0.9;
    std::optional<std::string> historyFile;
    bool explain = false;
    // Type through the whole application on the simulated desktop instead.
    bool app = false;
    // With `app`: the desktop entry id of that application.
    std::optional<std::string> applicationId;
    // Convert the whole text to the other layout instead of correcting words.
    bool convert = false;
    bool help = false;

    // A usage error to print before exiting with ExitStatus::kUsageError.
    struct Error {
        std::string message;
        bool operator==(const Error&) const = default;
    };

    // The arguments without the program name.
    static std::variant<CorrectOptions, Error> parse(const std::vector<std::string>& arguments);
    static std::string usage();

    bool typesUnderAnyLayout() const { return typedIn == kAnyLayout; }
    // The input source id of an XKB layout name: "us" gives "xkb:us".
    static std::string inputSourceId(const std::string& layout);
    // The input source ids of `layouts`, in order.
    std::vector<std::string> layoutIds() const;
    static constexpr const char* kAnyLayout = "auto";
    // The application both ways of typing type into: the one history records count for, so
    // that both score with the same ones.
    static constexpr const char* kApplication = "org.plovik.SimulatedEditor";

    bool operator==(const CorrectOptions&) const = default;
};

}  // namespace plovik
