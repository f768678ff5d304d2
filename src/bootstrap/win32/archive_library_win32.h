// The archive library yib.lib bound through its import library: the wrapper's calls, and the
// callbacks the library calls back into during an operation.
//
// Linking this needs the import library target yib_import; yib.lib must lie next to the exe.
#pragma once

#include "../archive_library.h"

namespace qs::bootstrap {

class YibArchiveLibrary final : public ArchiveLibrary {
public:
    bool listNames(const std::string& archive, const std::string& password, ArchiveCallbackState& callbacks,
                   std::vector<std::string>& names) override;
    bool extract(const std::string& archive, const std::string& target, const std::vector<std::string>& files, int mode,
                 const std::string& password, ArchiveCallbackState& callbacks) override;
    int lastError() override;
};

}  // namespace qs::bootstrap
