#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plovik {

// A random (version 4) UUID; written upper-case, parsed in either case.
class Uuid {
  public:
    static Uuid random();
    static std::optional<Uuid> parse(std::string_view text);

    std::string uppercaseString() const;

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;

  private:
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}
    std::array<std::uint8_t, 16> bytes_{};
};

}  // namespace plovik
