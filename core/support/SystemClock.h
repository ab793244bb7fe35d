#pragma once

#include "core/platform/Clock.h"

namespace plovik {

class SystemClock final : public Clock {
  public:
    TimePoint now() const override { return std::chrono::system_clock::now(); }
};

}  // namespace plovik
