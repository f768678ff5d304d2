// The engine's one error type. A command fails by throwing it with the message text; the
// interpreter alone turns it into the runtime-error report.
#pragma once

#include <stdexcept>
#include <string>

namespace qs {

struct EngineError : std::runtime_error {
    explicit EngineError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace qs
