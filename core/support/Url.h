#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plovik {

// An absolute URL kept as its string, such as the file: URL of an application.
// Only well-formed URLs can exist, so a stored document never holds one that
// cannot be read back.
class Url {
  public:
    // Absent unless the text is "scheme:rest" with only URL characters and
    // complete percent escapes.
    static std::optional<Url> parse(std::string_view text);
    // "file://" and the percent-encoded path; absent for a relative path.
    static std::optional<Url> fileUrl(std::string_view absolutePath);

    const std::string& absoluteString() const { return text_; }
    // Lower-cased scheme ("file", "https").
    std::string scheme() const;
    // The decoded path of a local file: URL; absent for other URLs.
    std::optional<std::string> filePath() const;

    bool operator==(const Url&) const = default;

  private:
    explicit Url(std::string text) : text_(std::move(text)) {}

    std::string text_;
};

}  // namespace plovik
