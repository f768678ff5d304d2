#include "packer/pack_error.h"

namespace qs::pack {

PackError::PackError(std::string f, int l, std::string m) : file(std::move(f)), line(l), message(std::move(m)) {
    if (file.empty())
        text = message;
    else if (line > 0)
        text = file + ":" + std::to_string(line) + ": " + message;
    else
        text = file + ": " + message;
}

}  // namespace qs::pack
