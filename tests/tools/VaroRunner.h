// Runs the built varo program as a user would, in a sandbox of its own: a
// fresh temporary home with data, configuration and runtime folders that do
// not exist yet, Japan Standard Time, and nothing inherited that points at
// the user's own files.
#pragma once

#include <map>
#include <string>
#include <vector>

struct VaroResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class VaroSandbox {
public:
    VaroSandbox();
    ~VaroSandbox();
    VaroSandbox(const VaroSandbox&) = delete;
    VaroSandbox& operator=(const VaroSandbox&) = delete;

    // Runs varo with the arguments (UTF-8). With stderrOnTerminal, stderr
    // is a pseudo-terminal, as when a person runs the command.
    VaroResult Run(const std::vector<std::string>& args, bool stderrOnTerminal = false) const;
    // Runs varo and expects its exit code and `printed` in its output (in
    // stderr when it fails, and then nothing on stdout).
    VaroResult Expect(const std::vector<std::string>& args, int exitCode, const std::string& printed = "") const;

    // Sets (or, with an empty value, removes) a variable of the program's
    // environment.
    void SetVariable(const std::string& name, const std::string& value);

    const std::string& Root() const { return m_root; }
    const std::string& DataFolder() const { return m_data; }

private:
    std::string m_root;
    std::string m_data;
    std::map<std::string, std::string> m_variables;
};

bool Contains(const std::string& text, const std::string& part);

// The lines of a text, without their line feeds.
std::vector<std::string> Lines(const std::string& text);

// A Shift-JIS text as UTF-8, the form varo prints and takes.
std::string Utf8(const char* sjis);

// The fields `varo show` printed, by tag: the value's lines (a list or a
// text of several lines has more than one).
std::map<std::string, std::vector<std::string>> ShownFields(const std::string& showOutput);

// The number in "added to-do item 17: ...".
long AddedId(const VaroResult& result);
