// An engine over the fake platform, ready to run a script built in code, with test commands
// registered in the interpreter's table:
//   Record(text)              appends the expanded text and a blank to the variable LOG
//   Set Variable(name, value) sets the variable (declared by the compile pass like the real one)
//   Display Dialog(name, var) records "D" + name, takes its result from the front of the
//                             comma-separated variable RESULTS (none: no result) and stores it
//                             in var
//   Fail(message)             throws EngineError(message)
//   Stop()                    requests the script end
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/engine_error.h"
#include "engine/interpreter.h"
#include "fake_platform.h"
#include "script_builder.h"

namespace qs::test {

inline void recordCommand(Engine& e, int line) {
    const std::string text = e.variables.expand(e.script.lineParameter(static_cast<size_t>(line), 1));
    e.variables.set("LOG", e.variables.get("LOG") + text + " ");
}

inline void setVariableCommand(Engine& e, int line) {
    e.variables.set(e.script.lineParameter(static_cast<size_t>(line), 1),
                    e.script.lineParameter(static_cast<size_t>(line), 2));
}

inline void displayDialogCommand(Engine& e, int line) {
    const auto index = static_cast<size_t>(line);
    e.variables.set("LOG", e.variables.get("LOG") + "D" + e.script.lineParameter(index, 1) + " ");
    std::string results = e.variables.get("RESULTS");
    const size_t comma = results.find(',');
    e.run.dialogResult = results.substr(0, comma);
    e.variables.set("RESULTS", comma == std::string::npos ? std::string() : results.substr(comma + 1));
    e.variables.set(e.script.lineParameter(index, 2), e.run.dialogResult);
}

inline void failCommand(Engine& e, int line) {
    throw EngineError(e.script.lineParameter(static_cast<size_t>(line), 1));
}

inline void stopCommand(Engine& e, int) { e.run.endRequested = true; }

inline CommandTable testCommands() {
    CommandTable table = standardCommands();
    table.add("Record", recordCommand);
    table.add("Set Variable", setVariableCommand);
    table.add("Display Dialog", displayDialogCommand);
    table.add("Fail", failCommand);
    table.add("Stop", stopCommand);
    return table;
}

// Conditions compare a variable with a text ("0": equal).
inline Line ifEquals(const std::string& name, const std::string& value) { return {"If", {name, "0", value, "FALSE"}}; }
inline Line elseIfEquals(const std::string& name, const std::string& value) {
    return {"Else If", {name, "0", value, "FALSE"}};
}
inline Line record(const std::string& text) { return {"Record", {text}}; }
inline Line setVar(const std::string& name, const std::string& value) { return {"Set Variable", {name, value}}; }
// A page shown modally; its result goes to WIZARD.
inline Line dialog(const std::string& name) { return {"Display Dialog", {name, "WIZARD", "TRUE", ""}}; }
inline Line endLine() { return {"End", {}}; }

struct InterpreterTest : ::testing::Test {
    FakePlatform fake;
    Engine engine{fake.platform};
    Interpreter interpreter{testCommands()};

    void SetUp() override {
        engine.windows = {6, 1, 7601, 2, "Service Pack 1"};
        engine.engineFile = "C:\\Pkg\\setup.exe";
        engine.engineFolder = "C:\\Pkg\\";
        engine.engineBaseName = "setup";
        engine.temporaryFolder = "C:\\Temp\\";
        engine.supportFolder = "C:\\Temp\\yib1\\";
        fake.files.createDirectoryTree("C:\\Pkg");
        fake.files.addFile(engine.msiFile(), "msi");
    }

    // Loads the script and keeps the package values a test set on the lists before.
    void load(const std::vector<Line>& lines) {
        GlobalLists built = buildLists(lines);
        engine.lists.commandList = built.commandList;
        engine.lists.lineKeyList = built.lineKeyList;
        engine.lists.parameterList = built.parameterList;
        engine.lists.disabledList = built.disabledList;
        engine.lists.mediaPathList = built.mediaPathList;
        engine.lists.sourcePositions = built.sourcePositions;
    }

    // Runs `lines` and returns LOG.
    std::string run(const std::vector<Line>& lines) {
        load(lines);
        try {
            interpreter.run(engine);
        } catch (const ProcessExit& exit) {
            if (exit.code != 314) throw;
            const CompileResult compiled = compileScript(engine);
            ADD_FAILURE() << "the process ended with " << exit.code << "; compiling: line " << compiled.failingLine
                          << " " << compiled.message;
        }
        return engine.variables.get("LOG");
    }

    // The trace log written to `path`, as lines (the fake stores UTF-16LE; ASCII here).
    std::vector<std::string> traceLines(const std::string& path) const {
        std::string text;
        const std::string bytes = fake.files.content(path);
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) text += bytes[i];
        std::vector<std::string> out;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            out.push_back(text.substr(start, end - start));
        return out;
    }
};

}  // namespace qs::test
