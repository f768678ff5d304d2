#include "startup.h"

#include <stdexcept>

#include "engine/engine.h"
#include "support_folder.h"

namespace qs::bootstrap {
namespace {

std::string folderOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string baseNameOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string fileNameOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string withSlash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

bool showsWindows(const Engine& e) { return !e.options.silent && !e.options.update; }

// Marks that keep Windows' compatibility helpers from treating the engine as an old installer.
void writeCompatibilityMarks(Engine& e) {
    const auto& v = e.windows;
    auto& reg = e.platform.registry;
    try {
        if (v.major > 6 || (v.major == 6 && v.minor > 0))
            reg.writeString(platform::RegistryRoot::ClassesRoot, "Applications\\" + fileNameOf(e.engineFile),
                            "IsHostApp", "");
    } catch (...) {
    }
    try {
        if (v.major == 6 && v.minor == 0)
            reg.writeDword(platform::RegistryRoot::CurrentUser,
                           "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility "
                           "Assistant\\Persisted",
                           e.engineFile, 32);
    } catch (...) {
    }
}

void loadLanguageFile(Engine& e, const StartupInputs& in) {
    if (!in.archiveLibraryAppendedData) return;
    const std::string path = e.temporaryFolder + "lang.loc";
    auto& files = e.platform.files;
    if (!files.writeFile(path, *in.archiveLibraryAppendedData)) return;
    if (auto content = files.readFile(path)) e.messages.load(*content, in.systemLanguage);
    files.deleteFile(path);
}

// Copies the appended script data out, reads them into the global lists.
bool readScript(Engine& e, const StartupInputs& in) {
    auto& files = e.platform.files;
    e.trace.line("    <StubSize>");
    std::optional<std::uint64_t> size = files.fileSize(e.engineFile);
    if (!size) throw std::runtime_error("Cannot open " + e.engineFile);
    if (*size == in.engineAppendedOffset) return false;
    e.trace.line("    </StubSize>");

    e.trace.line("    <StubData>");
    std::optional<std::string> image = files.readFile(e.engineFile);
    if (!image || image->size() != *size) throw std::runtime_error("Cannot read " + e.engineFile);
    if (in.engineAppendedOffset > image->size()) throw std::runtime_error("Damaged setup file " + e.engineFile);
    const std::string scratch = e.temporaryFolder + "yib.tmp";
    if (!files.writeFile(scratch, image->substr(static_cast<size_t>(in.engineAppendedOffset))))
        throw std::runtime_error("Cannot write " + scratch);
    e.trace.line("    </StubData>");

    e.trace.line("    <GlobalLists>");
    std::optional<std::string> text = files.readFile(scratch);
    if (!text) throw std::runtime_error("Cannot read " + scratch);
    e.lists = readGlobalLists(*text);
    e.script = ScriptModel(e.lists);
    files.deleteFile(scratch);
    e.trace.line("    </GlobalLists>");
    return true;
}

void preloadDialogs(Engine& e, StartupServices& s) {
    e.trace.line("    <Dialogs>");
    const auto& commands = e.lists.commandList;
    const auto& disabled = e.lists.disabledList;
    std::vector<size_t> lines;
    for (size_t i = 0; i < commands.size(); ++i) {
        bool off = i < disabled.size() && disabled[i] == "C";
        if (commands[i] == "Display Dialog" && !off) lines.push_back(i);
    }
    if (showsWindows(e)) s.windows.setProgress(0, static_cast<int>(lines.size()), 1);
    s.dialogs.initialise(e.supportFolder);
    for (size_t line : lines) {
        const std::string& name = e.script.lineParameter(line, 1);
        s.dialogs.load(e.supportFolder + name + ".dfm", std::to_string(line));
        if (showsWindows(e)) s.windows.advanceProgress();
    }
    e.trace.line("    </Dialogs>");
}

}  // namespace

PackageStatus preparePackage(Engine& e, StartupServices& s, const StartupInputs& in) {
    auto& files = e.platform.files;
    if (!readScript(e, in)) return PackageStatus::NoAppendedData;

    e.trace.line("    <SupportDir>");
    e.supportFolder = chooseSupportFolder(files, e.temporaryFolder);
    if (!files.createDirectoryTree(e.supportFolder)) throw std::runtime_error("Cannot create " + e.supportFolder);
    e.trace.line("    </SupportDir>");

    e.trace.line("    <ExtractArchive>");
    if (!files.fileExists(e.resourceArchive)) return PackageStatus::ArchiveMissing;
    ExtractRequest whole;  // every entry, no password, overwrite, keeping the archive's folders
    whole.archive = e.resourceArchive;
    whole.targetFolder = e.supportFolder;
    if (!extractArchive(s.archive, whole).ok) return PackageStatus::ExtractionFailed;
    e.trace.line("    </ExtractArchive>");

    e.trace.line("    <ExtractResource>");
    const std::string msi = e.engineFolder + e.engineBaseName + ".msi";
    const std::string msp = e.engineFolder + e.engineBaseName + ".msp";
    if (!files.fileExists(msi) && !files.fileExists(msp)) return PackageStatus::DatabaseMissing;
    e.trace.line("    </ExtractResource>");

    e.trace.line("    <ResourcePath>");
    for (const char* ext : {".msi", ".msp"}) {
        const std::string from = e.engineFolder + e.engineBaseName + ext;
        const std::string to = e.supportFolder + e.engineBaseName + ext;
        if (files.fileExists(from) && files.copyFile(from, to, true)) files.setNormalAttributes(to);
    }
    e.trace.line("    </ResourcePath>");

    e.dataFolder = e.engineFolder + "data\\";
    e.unpackedMediaFolder = e.dataFolder;

    preloadDialogs(e, s);
    return PackageStatus::Ready;
}

int runEngine(Engine& e, StartupServices& s, const StartupInputs& in) {
    auto& files = e.platform.files;
    auto& system = e.platform.system;

    e.windows = system.windowsVersion();
    e.engineFile = system.executablePath();
    writeCompatibilityMarks(e);
    system.restrictToFirstProcessor();

    e.supportFolder.clear();
    e.engineFolder = withSlash(folderOf(e.engineFile));
    e.engineBaseName = baseNameOf(e.engineFile);
    e.temporaryFolder = withSlash(system.temporaryFolder());
    files.createDirectoryTree(e.temporaryFolder);

    loadLanguageFile(e, in);
    e.resourceArchive = e.engineFolder + e.engineBaseName + ".res";

    e.commandLineTail = commandLineTail(in.rawCommandLine);
    e.options = parseCommandLineOptions(commandLineParameters(in.rawCommandLine));
    e.trace.setPath(e.options.logPath);

    e.trace.line("<Quillset>");
    e.trace.line("  <SetupSplash>");
    if (showsWindows(e)) {
        std::string bitmap = e.engineFolder + "setup.bmp";
        s.windows.show(files.fileExists(bitmap) ? bitmap : std::string(),
                       e.messages.text(l10n::msg::WizardCaption), e.messages.text(l10n::msg::PreparingText));
    }

    try {
        PackageStatus status = preparePackage(e, s, in);
        if (status != PackageStatus::Ready) {
            struct Early {
                int code;
                std::string text;
            } early;
            switch (status) {
                case PackageStatus::NoAppendedData: early = {kExitNoScript, "For internal use only"}; break;
                case PackageStatus::ArchiveMissing:
                    early = {kExitNoResource, e.messages.text(l10n::msg::ResourceNotFound)};
                    break;
                case PackageStatus::ExtractionFailed:
                    early = {kExitBadResource, e.messages.text(l10n::msg::DecompressionFailure)};
                    break;
                default: early = {kExitNoDatabase, e.messages.text(l10n::msg::DatabaseNotFound)}; break;
            }
            e.exitCode = early.code;
            if (!e.options.silent) s.windows.errorBox(e.setupCaption(), early.text, true);
            return e.exitCode;
        }

        if (showsWindows(e)) s.windows.close();
        e.trace.line("  </SetupSplash>");

        e.trace.line("  <RunScript>");
        s.runner.run(e);
        e.trace.line("  </RunScript>");

        e.trace.line("  <Free>");
        e.script = ScriptModel();  // it points into the lists
        e.lists = GlobalLists();
        e.trace.line("  </Free>");
    } catch (const std::exception& error) {
        e.exitCode = kExitRuntimeError;
        if (!e.options.silent)
            s.windows.errorBox(e.setupCaption(), e.messages.text(l10n::msg::RuntimeErrorInInstall) + error.what(), false);
    }

    e.trace.line("  <CachedSupportDir>");
    removeSupportFolder(files, e.supportFolder);
    e.trace.line("  </CachedSupportDir>");
    e.trace.line("</Quillset>");
    return e.exitCode;
}

}  // namespace qs::bootstrap
