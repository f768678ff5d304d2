// The archive reader's file-system seam over the wide Windows API.
#pragma once

#include "archive/file_access.h"

namespace qs::archive {

class Win32FileAccess final : public FileAccess {
public:
    char16_t separator() const override { return u'\\'; }
    std::unique_ptr<InputFile> openInput(const Path& path) override;
    PathKind kind(const Path& path) override;
    ExistingFile existing(const Path& path) override;
    void createFolder(const Path& path) override;
    void createFolderTree(const Path& path) override;
    std::unique_ptr<OutputFile> createOutput(const Path& path) override;
    void removeFile(const Path& path) override;
    void stampFolder(const Path& path, const FileStamp& stamp) override;
};

}  // namespace qs::archive
