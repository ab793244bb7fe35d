#include "tools/plovik-correct/CorrectOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace plovik {

namespace {

using Error = CorrectOptions::Error;

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) {
            return items;
        }
        start = comma + 1;
    }
}

std::optional<Error> setLayouts(CorrectOptions& options, const std::string& value) {
    std::vector<std::string> layouts = splitList(value);
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        if (layouts[i].empty()) {
            return Error{"--layouts: empty layout name in \"" + value + "\""};
        }
        if (std::find(layouts.begin(), layouts.begin() + i, layouts[i]) != layouts.begin() + i) {
            return Error{"--layouts: " + layouts[i] + " is listed twice"};
        }
    }
    options.layouts = std::move(layouts);
    return std::nullopt;
}

std::optional<Error> setThreshold(CorrectOptions& options, const std::string& value) {
    double threshold = 0;
    const char* end = value.data() + value.size();
    const auto [stop, status] = std::from_chars(value.data(), end, threshold);
    if (value.empty() || status != std::errc() || stop != end || !std::isfinite(threshold)) {
        return Error{"--threshold: \"" + value + "\" is not a number"};
    }
    if (threshold < 0.0 || threshold > 1.0) {
        return Error{"--threshold: " + value + " is outside 0...1"};
    }
    options.threshold = threshold;
    return std::nullopt;
}

std::optional<Error> setEngine(CorrectOptions& options, const std::string& value) {
    const auto kind = correctionEngineKindFromRawValue(value);
    if (!kind) {
        return Error{"--engine: \"" + value + "\" is neither described nor extended"};
    }
    options.engine = *kind;
    return std::nullopt;
}

bool takesValue(const std::string& name) {
    return name == "--layouts" || name == "--typed-in" || name == "--threshold" ||
           name == "--history" || name == "--engine" || name == "--app-id";
}

std::optional<Error> setValue(CorrectOptions& options, const std::string& name,
                              const std::string& value) {
    if (name == "--layouts") {
        return setLayouts(options, value);
    }
    if (name == "--threshold") {
        return setThreshold(options, value);
    }
    if (name == "--engine") {
        return setEngine(options, value);
    }
    if (value.empty()) {
        return Error{name + ": empty value"};
    }
    if (name == "--typed-in") {
        options.typedIn = value;
    } else if (name == "--app-id") {
        options.applicationId = value;
    } else {
        options.historyFile = value;
    }
    return std::nullopt;
}

std::optional<Error> setFlag(CorrectOptions& options, const std::string& name) {
    if (name == "--switch") {
        options.switchAfterCorrection = true;
    } else if (name == "--explain") {
        options.explain = true;
    } else if (name == "--app") {
        options.app = true;
    } else if (name == "--convert") {
        options.convert = true;
    } else if (name == "--help" || name == "-h") {
        options.help = true;
    } else {
        return Error{"unknown option \"" + name + "\""};
    }
    return std::nullopt;
}

}  // namespace

std::variant<CorrectOptions, Error> CorrectOptions::parse(
    const std::vector<std::string>& arguments) {
    CorrectOptions options;
    std::optional<std::string> typedIn;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const auto equals = name.find('=');
            name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (!takesValue(name)) {
            if (value) {
                return Error{"option " + name + " takes no value"};
            }
            if (auto error = setFlag(options, name)) {
                return *error;
            }
            continue;
        }
        if (!value) {
            if (i + 1 == arguments.size()) {
                return Error{"option " + name + " needs a value"};
            }
            value = arguments[++i];
        }
        if (auto error = setValue(options, name, *value)) {
            return *error;
        }
        if (name == "--typed-in") {
            typedIn = options.typedIn;
        }
    }
    options.typedIn = typedIn.value_or(options.layouts.front());
    if (!options.typesUnderAnyLayout() && std::find(options.layouts.begin(), options.layouts.end(),
                                                    options.typedIn) == options.layouts.end()) {
        return Error{"--typed-in " + options.typedIn + " is not among --layouts"};
    }
    if (options.app && options.typesUnderAnyLayout()) {
        return Error{"--typed-in auto cannot be combined with --app"};
    }
    if (options.app && options.explain) {
        return Error{"--explain cannot be combined with --app"};
    }
    if (options.applicationId && !options.app) {
        return Error{"--app-id needs --app"};
    }
    if (options.convert) {
        for (const auto& [given, name] :
             {std::pair{options.app, "--app"}, std::pair{options.explain, "--explain"},
              std::pair{options.switchAfterCorrection, "--switch"},
              std::pair{options.historyFile.has_value(), "--history"}}) {
            if (given) {
                return Error{std::string(name) + " cannot be combined with --convert"};
            }
        }
    }
    return options;
}

std::string CorrectOptions::inputSourceId(const std::string& layout) {
    return "xkb:" + layout;
}

std::vector<std::string> CorrectOptions::layoutIds() const {
    std::vector<std::string> ids;
    for (const auto& layout : layouts) {
        ids.push_back(inputSourceId(layout));
    }
    return ids;
}

std::string CorrectOptions::usage() {
    return R"(usage: plovik-correct [options] < text > corrected-text
       plovik-correct --convert [--layouts L1,L2,...] [--typed-in LAYOUT] < text > converted-text

Reads UTF-8 text on standard input, types it key by key as if the user pressed the keys
that produce it under the --typed-in layout, and writes the text with every word that the
automatic correction would fix replaced, exactly as the application decides. Every byte
that is not corrected is written unchanged.

options:
  --layouts L1,L2,...  the enabled layouts, XKB names with an optional variant such as
                       us(dvorak) (default: us,ru)
  --typed-in LAYOUT    the layout selected while typing; one of --layouts (default: the first),
                       or auto: each character is typed under the selected layout when it
                       types it, else under the first layout that does, which stays selected
                       (a user writing in several languages)
  --engine ENGINE      extended (default) or described, the two engines the General tab
                       offers. extended: the whole run of keys up to whitespace is one word
                       (punctuation keys that are letters in the other layout included),
                       judged by word frequencies, the spell checker and letter models, and
                       by the language of the words before it; best for mixed-language text.
                       described: the standard engine; a word ends at whitespace or
                       punctuation and is judged by built-in English and Russian words and
                       letter pairs and the spell checker. Either runs as in the application
  --switch             select the target layout after each correction, as the application
                       does when asked to switch; later keys are then read in that layout
  --threshold X        the confidence a correction needs, 0...1 (default: 0.9)
  --history FILE       the application's learning history file to score with; it is only
                       read (default: an empty history). Its records for the application
                       typed into, org.plovik.SimulatedEditor, count; the corrections made
                       while typing are learnt from too, in memory, as the application does
  --explain            instead of text, write one JSON object per finished word: token,
                       delimiter, safety (the exclusion or null) and decision (null or an
                       object with corrected, correctedDelimiter, confidence, reason,
                       targetLayout and applied: false when the field no longer showed the
                       word whole and refused the replacement, as the application's does)
  --convert            convert the whole text to the other layout instead: every character
                       becomes what its keys type in the other layout of the pair, as the
                       application's "Convert selection" shortcut does, for example
                       xclip -o | plovik-correct --convert. The pair is the --typed-in layout
                       (the first with auto) and the one of --layouts whose letter keys type
                       most letters it lacks. Each run of letters is turned round on its own:
                       a run the --typed-in layout types goes to the other layout, any other
                       run back; characters between runs go with the run before them.
                       Whitespace, and every character no key of its layout types, is written
                       unchanged. Not with --app, --explain, --switch or --history.
  --app                type through the whole application instead: the keys go through the
                       simulated desktop's key tap into a text area of an enabled application,
                       35 ms of virtual time pass after each key, and the field's final text
                       is written; a Return is held back until the word it ends is corrected.
                       --switch is that application's switch-after-correction setting. A word
                       that no key ends stays as typed; a carriage return before a line feed
                       is not kept. Settings and history live in a fresh temporary folder,
                       removed afterwards (--history is copied there first).
  --app-id ID          with --app: the application's desktop entry id, which decides how
                       Plovik edits its fields; an application that takes only keystrokes
                       (firefox-esr, chromium) leaves a word waiting at a held-back Return as
                       typed, since nothing can be typed ahead of that Return
  -h, --help           show this help

Typing: each line is typed key by key; a line break ends the word like a Return key that the
application holds back until the word is corrected. A character that the --typed-in layout
cannot type (an emoji, a letter of another script) reaches the field without a key press, as
pasted text does, and the application never sees it: a word it interrupts is given up at the
next key, and a word it touches (such as one inside quotation marks that no key types) is
left as typed, since only a word with whitespace before it is replaced.

exit status: 0 on success, 2 for a usage error (unknown option or layout, a threshold that
is not a number within 0...1) or input that is not UTF-8.
)";
}

}  // namespace plovik
