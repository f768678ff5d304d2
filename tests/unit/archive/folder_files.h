// Files and folder trees on disk, for tests that compare what an extraction wrote.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace qs::archive::fixtures {

inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeFile(const std::filesystem::path& p, const std::string& data) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << data;
}

// Every file (with its content) and folder ("<dir>") below `root`, by relative path.
inline std::map<std::string, std::string> tree(const std::filesystem::path& root) {
    std::map<std::string, std::string> t;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        t[std::filesystem::relative(e.path(), root).generic_string()] = e.is_directory() ? "<dir>" : readFile(e.path());
    return t;
}

}  // namespace qs::archive::fixtures
