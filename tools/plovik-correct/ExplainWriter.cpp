#include "tools/plovik-correct/ExplainWriter.h"

#include <nlohmann/json.hpp>

namespace plovik {

void ExplainWriter::write(const TypedTextReplayer::Judgement& judgement) {
    using Json = nlohmann::ordered_json;
    Json object{{"token", judgement.completion.token},
                {"delimiter", judgement.completion.delimiter},
                {"safety", nullptr},
                {"decision", nullptr}};
    if (const auto exclusion = judgement.safety.exclusion) {
        object["safety"] = std::string(rawValue(*exclusion));
    }
    if (const auto& decision = judgement.decision) {
        object["decision"] = Json{{"corrected", decision->corrected},
                                  {"correctedDelimiter", judgement.correctedDelimiter.value_or("")},
                                  {"confidence", decision->confidence},
                                  {"reason", decision->reason},
                                  {"targetLayout", decision->targetLayout.id},
                                  {"applied", judgement.applied}};
    }
    stream_ << object.dump() << '\n';
}

}  // namespace plovik
