#pragma once

#include <ostream>

#include "app/workbench/TypedTextReplayer.h"

namespace plovik {

// Writes each judged word as one line of JSON.
class ExplainWriter {
  public:
    explicit ExplainWriter(std::ostream& stream) : stream_(stream) {}

    void write(const TypedTextReplayer::Judgement& judgement);

  private:
    std::ostream& stream_;
};

}  // namespace plovik
