// kxhost.exe, the sample host, run as its own process: what it prints for the library's results
// and buffers, its refusals of bad input, its list files, and the version resources.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "harness/ui_driver.h"
#include "samples/sample_designs.h"

namespace kx::wintest {
namespace {

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length && length < MAX_PATH ? std::string(full, length) : path;
}

// kxhost.exe and kxcard.dll lie in the build folder, two levels above the test programs.
std::string BuildFile(const char* name) { return FullPath(ExecutableFolder() + "..\\..\\" + name); }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string TempPath(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return temp + std::to_string(GetCurrentProcessId()) + "-" + name;
}

struct HostRun {
    DWORD exitCode = 0xDEADBEEF;
    std::string out, err;
};

// Wine's background programs, started by the first window, inherit that run's handles and keep
// them open: every run gets files of its own, shared in every way.
HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       CREATE_ALWAYS, 0, nullptr);
}

// Runs kxhost with `arguments` (each quoted) while `drive` acts on its windows; a kxhost still
// running 20 s after `drive` returns is ended and fails the test.
HostRun RunKxhost(const std::vector<std::string>& arguments, const std::function<void(DWORD)>& drive) {
    static int runs = 0;
    const std::string exe = BuildFile("kxhost.exe"), serial = std::to_string(++runs);
    const std::string outPath = TempPath("kxhost" + serial + ".out"), errPath = TempPath("kxhost" + serial + ".err");
    std::string commandLine = "\"" + exe + "\"";
    for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
    HANDLE out = InheritableFile(outPath), err = InheritableFile(errPath);
    EXPECT_TRUE(out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) << "error " << GetLastError();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    HostRun run;
    BOOL started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    EXPECT_TRUE(started) << exe;
    if (!started) return run;
    drive(process.dwProcessId);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "kxhost did not end";
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return run;
}

// Closes, with its close box, the dialog kxhost shows under one of `titles`.
std::function<void(DWORD)> CloseDialog(std::vector<std::string> titles) {
    return [titles](DWORD process) {
        HWND dialog = WaitForProcessDialog(process, [&](HWND w) {
            return std::find(titles.begin(), titles.end(), WindowText(w)) != titles.end();
        });
        ASSERT_NE(dialog, nullptr) << "no dialog titled " << titles.front();
        CloseWithCloseBox(dialog);
    };
}

void NoWindow(DWORD) {}

std::string RegexEscaped(const std::string& text) {
    return std::regex_replace(text, std::regex("[\\\\^$.|?*+()\\[\\]{}]"), "\\$&");
}

// The dialog opens on the rig's card drive and is closed: result 1 and the buffers as documented.
TEST(Kxhost, PrintsTheResultAndTheBuffersHandedBack) {
    const std::string emptyList = TempPath("empty.lst"), design = TempPath("ROSE.kxd");
    std::ofstream(emptyList, std::ios::binary).close();
    const std::vector<std::uint8_t> bytes = samples::GenerateDesign(300, 2, 7);
    std::ofstream(design, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto writeDialog = CloseDialog({"Write Designs", "Write a Design"});
    struct Row { std::vector<std::string> arguments; std::function<void(DWORD)> drive; std::string expected; };
    const Row rows[] = {
        {{"files", emptyList}, writeDialog, "DirectFilesWrite returned 1\r?\nname: [0-9A-Z]{12}\\.kxd\r?\n"},
        {{"files", emptyList, "ROSE.kxd"}, writeDialog, "DirectFilesWrite returned 1\r?\nname: ROSE\\.kxd\r?\n"},
        // Closed without a write: the host's bytes come back as they were.
        {{"write", design}, CloseDialog({"Write a Design"}),
         "DirectWriteCard returned 1\r?\ndesign: " + std::to_string(bytes.size()) + " bytes, 0 changed by the library\r?\n"},
        // A missing folder starts the dialog in the host's own folder, which comes back.
        {{"connect", "C:\\kx-no-such-folder\\"}, CloseDialog({"Write Designs, Read and Erase"}),
         "ConnectCardDlg returned 1\r?\nfolder: " + RegexEscaped(BuildFile("")) + "\r?\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.front() + " " + row.arguments.back());
        HostRun run = RunKxhost(row.arguments, row.drive);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_TRUE(std::regex_match(run.out, std::regex(row.expected))) << run.out;
    }
    DeleteFileA(emptyList.c_str());
    DeleteFileA(design.c_str());
}

// Each refusal is one line on stderr and exit status 64, before any dialog.
TEST(Kxhost, RefusesBadInputInOneLine) {
    const std::string list = TempPath("bad.lst");
    std::ofstream(list, std::ios::binary).close();
    const std::vector<std::string> rows[] = {
        {}, {"erase"}, {"write", "C:\\kx-no-such-design.kxd"}, {"files", "C:\\kx-no-such-list.lst"},
        {"files", list, std::string(300, 'N')}, {"connect", std::string(260, 'F')}, {"makelist", "-o", list},
        {"makelist", list, "-o"}, {"makelist", "C:\\kx-no-such-design.kxd", "-o", list},
    };
    for (const std::vector<std::string>& arguments : rows) {
        SCOPED_TRACE(arguments.empty() ? "(none)" : arguments.front() + " " + arguments.back().substr(0, 20));
        HostRun run = RunKxhost(arguments, NoWindow);
        EXPECT_EQ(run.exitCode, 64u);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(std::regex_match(run.err, std::regex("kxhost: [^\n]+\r?\n"))) << "[" << run.err << "]";
    }
    EXPECT_EQ(ReadAll(list), "") << "a refused makelist wrote its output";
    DeleteFileA(list.c_str());
}

TEST(Kxhost, MakelistWritesOneFullPathRecordPerFile) {
    const std::string first = TempPath("A1.kxd"), second = TempPath("B.kxd"), list = TempPath("made.lst");
    std::ofstream(first).put('x');
    std::ofstream(second).put('y');
    HostRun run = RunKxhost({"makelist", first, second, "-o", list}, NoWindow);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    std::string expected(520, '\0');
    expected.replace(0, first.size(), first);
    expected.replace(260, second.size(), second);
    EXPECT_EQ(ReadAll(list), expected);
    for (const std::string& file : {first, second, list}) DeleteFileA(file.c_str());
}

std::string FileVersion(const std::string& path) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> info(size);
    char* text = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoA(path.c_str(), 0, size, info.data()) ||
        !VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&text),
                        &length))
        return {};
    return std::string(text, strnlen(text, length));
}

TEST(Kxhost, ProgramsCarryTheProjectVersion) {
    for (const char* file : {"kxhost.exe", "kxcard.dll"}) EXPECT_EQ(FileVersion(BuildFile(file)), KX_VERSION) << file;
}

}  // namespace
}  // namespace kx::wintest
