// The script interpreter. It runs no script lines yet: start-up hands it the script and it
// returns at once.
#pragma once

#include "bootstrap/startup_services.h"

namespace qs {

class Interpreter final : public bootstrap::ScriptRunner {
public:
    void run(Engine& engine) override;
};

}  // namespace qs
