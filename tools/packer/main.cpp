// quillpack: builds a setup package folder from a package description and its script source.
#include <cstdlib>
#include <iostream>
#include <string>

#include "packer/pack_error.h"
#include "packer/package_description.h"
#include "packer/package_writer.h"

namespace {

const char kUsage[] =
    "usage: quillpack [options] DESCRIPTION\n"
    "  -o, --output DIR          package folder to write (required)\n"
    "      --engine FILE         engine executable (else [package] engine)\n"
    "      --archive-library FILE  yib.lib (else [package] archive-library)\n"
    "      --replace             replace an existing output folder\n"
    "      --print-lists         print the appended global lists to standard output\n"
    "      --7zz COMMAND         7-Zip command (default 7zz)\n";

}  // namespace

int main(int argc, char** argv) {
    qs::pack::PackOptions options;
    std::string description;
    bool printLists = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "quillpack: " << a << " needs a value\n" << kUsage;
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "-o" || a == "--output") options.output = value();
        else if (a == "--engine") options.engine = value();
        else if (a == "--archive-library") options.archiveLibrary = value();
        else if (a == "--7zz") options.sevenZip = value();
        else if (a == "--replace") options.replace = true;
        else if (a == "--print-lists") printLists = true;
        else if (a == "-h" || a == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "quillpack: unknown option " << a << "\n" << kUsage;
            return 2;
        } else if (description.empty()) description = a;
        else {
            std::cerr << "quillpack: more than one description given\n" << kUsage;
            return 2;
        }
    }
    if (description.empty() || options.output.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        qs::pack::PackageDescription d = qs::pack::loadDescription(description);
        qs::pack::PackResult result = qs::pack::writePackage(d, options);
        if (printLists) std::cout << result.globalLists;
        std::cerr << "quillpack: wrote " << options.output.string() << " (" << result.scriptLines << " script lines, "
                  << result.globalLists.size() << " bytes of global lists)\n";
        return 0;
    } catch (const qs::pack::PackError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "quillpack: " << e.what() << "\n";
        return 1;
    }
}
