// Process spawning, sandbox folders and PNG decoding for the tool's end-to-end tests.
#include "tool_runner.h"

#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "samples/sample_designs.h"

extern char** environ;

namespace kx::test {

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The caller's environment with TMPDIR replaced, so parallel tests never share a temporary file.
std::vector<std::string> Environment(const fs::path& tempFolder) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0) env.emplace_back(*e);
    env.push_back("TMPDIR=" + tempFolder.string());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The spawn's file actions, released on every path.
class FileActions {
public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

ToolSandbox::ToolSandbox() {
    std::string pattern = (fs::temp_directory_path() / "kxcli-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    for (const char* folder : {"card", "pc", "tmp", "io"}) fs::create_directory(root_ / folder);
}

ToolSandbox::~ToolSandbox() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

ToolRun ToolSandbox::run(const std::vector<std::string>& args,
                         const std::optional<fs::path>& workingDirectory) const {
    fs::path outPath = root_ / "io" / "stdout", errPath = root_ / "io" / "stderr";
    std::vector<std::string> argv{KXCARD_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = Environment(root_ / "tmp");
    std::vector<char*> argvPointers = Pointers(argv), envPointers = Pointers(env);
    std::string cwd = workingDirectory.value_or(pc()).string();

    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(actions.get(), cwd.c_str());

    ToolRun result;
    pid_t pid = 0;
    if (posix_spawn(&pid, KXCARD_PATH, actions.get(), nullptr, argvPointers.data(), envPointers.data()) != 0)
        return result;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    return result;
}

ToolRun ToolSandbox::onCard(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--card", card().string()});
    return run(args);
}

fs::path ToolSandbox::put(const fs::path& path, const std::vector<std::uint8_t>& bytes) const {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

fs::path ToolSandbox::sample(const std::string& fileName) const {
    for (const samples::SampleDesign& s : samples::MakeSampleDesigns())
        if (s.fileName == fileName) return put(pc() / fileName, s.bytes);
    throw std::invalid_argument("no sample " + fileName);
}

std::vector<std::uint8_t> ReadFileBytes(const fs::path& path) {
    std::string bytes = Slurp(path);
    return {bytes.begin(), bytes.end()};
}

std::uint32_t DecodedPng::pixel(int x, int y) const {
    std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    return (std::uint32_t{rgb.at(at)} << 16) | (std::uint32_t{rgb.at(at + 1)} << 8) | rgb.at(at + 2);
}

std::optional<DecodedPng> DecodePng(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    DecodedPng decoded{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return decoded;
}

}  // namespace kx::test
