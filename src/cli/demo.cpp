// The demo: each step is a command of the tool, run on folders it makes for the purpose.
#include "cli/demo.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <vector>

#include "card/card_layout.h"
#include "cli/card_commands.h"
#include "cli/exit_codes.h"
#include "cli/output_file.h"
#include "cli/picture_commands.h"
#include "cli/transfer_commands.h"
#include "cli/verify_command.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"
#include "samples/sample_designs.h"
#include "transfer/design_lists.h"

namespace kx::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kDemoFolder = 0;

struct DemoFolders {
    fs::path base, card, designs, pictures;
};

std::optional<fs::path> NewTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kxcard-demo-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) return std::nullopt;
    return fs::path(name.data());
}

bool HoldsFiles(const fs::path& folder) {
    std::error_code error;
    return fs::exists(folder, error) && !fs::is_empty(folder, error);
}

std::optional<DemoFolders> MakeFolders(const std::string& hostDir) {
    auto base = hostDir.empty() ? NewTempFolder() : std::optional<fs::path>(fs::absolute(hostDir));
    if (!base) {
        std::cerr << "kxcard: cannot make a folder for the demo" << std::endl;
        return std::nullopt;
    }
    DemoFolders f{*base, *base / "card", *base / "designs", *base / "pictures"};
    for (const fs::path& folder : {f.card, f.designs, f.pictures}) {
        if (HoldsFiles(folder)) {
            std::cerr << "kxcard: " << folder.string() << " already holds files; choose another --dir"
                      << std::endl;
            return std::nullopt;
        }
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) {
            std::cerr << "kxcard: cannot make " << folder.string() << ": " << error.message() << std::endl;
            return std::nullopt;
        }
    }
    return f;
}

void Heading(const std::string& text) { std::cout << "\n== " << text << std::endl; }

std::optional<std::vector<std::string>> WriteSamples(const fs::path& folder) {
    std::vector<std::string> files;
    for (const samples::SampleDesign& sample : samples::MakeSampleDesigns()) {
        std::string path = (folder / sample.fileName).string();
        if (!WriteOutputFile(path, sample.bytes)) return std::nullopt;
        std::cout << "  " << sample.fileName << "\t" << sample.about << '\n';
        files.push_back(path);
    }
    return files;
}

// Thumbnail and preview pictures of each design on the card; the number that failed.
int DrawCardDesigns(const fs::path& cardFolder, const std::string& windowsFolder, const fs::path& pictures,
                    std::vector<fs::path>& made) {
    int failed = 0;
    for (const ListRow& row : ListDesignFiles(windowsFolder)) {
        auto design = ReadWholeFile(row.path);
        std::string base = SplitPath(row.name).base;
        fs::path thumbnail = pictures / (base + "-thumbnail.png");
        fs::path preview = pictures / (base + "-preview.png");
        std::optional<std::string> label;
        if (design) label = WritePreviewPicture(*design, preview.string(), kPanePreviewSize);
        if (!design || !label || !WriteThumbnailPicture(*design, thumbnail.string())) {
            ++failed;
            continue;
        }
        bool onCard = fs::exists(cardFolder / (base + ".kxt"));
        std::cout << "  " << row.name << "\t" << *label
                  << (onCard ? "" : "\t(no thumbnail file on the card: a tandem-hoop half)") << '\n';
        made.push_back(thumbnail);
        made.push_back(preview);
    }
    return failed;
}

void Report(const DemoFolders& f, const fs::path& cardFolder, const std::vector<fs::path>& pictures) {
    Heading("where everything is");
    std::cout << "sample designs\t" << f.designs.string() << '\n'
              << "card folder\t" << f.card.string() << "  (try: kxcard --card " << f.card.string()
              << " folders)\n";
    std::vector<fs::path> cardFiles;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(cardFolder, error)) cardFiles.push_back(entry.path());
    std::sort(cardFiles.begin(), cardFiles.end());
    for (const fs::path& file : cardFiles) std::cout << "  " << file.string() << '\n';
    std::cout << "pictures\t" << f.pictures.string() << '\n';
    for (const fs::path& file : pictures) std::cout << "  " << file.string() << '\n';
}

}  // namespace

int DemoCommand(const std::string& hostDir) {
    auto folders = MakeFolders(hostDir);
    if (!folders) return kExitNothingDone;
    GlobalOptions demoCard{folders->card.string()};

    Heading("sample designs made by the generator in " + folders->designs.string());
    auto files = WriteSamples(folders->designs);
    if (!files) return kExitRefused;

    Heading("kxcard --card " + folders->card.string() + " write EmbF5 <the samples>");
    std::cout << "(refusals appear as the card's own messages)" << std::endl;
    int written = WriteCommand(demoCard, kDemoFolder, *files);
    if (written != kExitDone && written != kExitRefused) return written;

    Heading("kxcard folders");
    FoldersCommand(demoCard, false);
    Heading("kxcard list EmbF5");
    ListCommand(demoCard, kDemoFolder, false);

    auto root = FindCardRoot(demoCard);
    if (!root) return kExitNothingDone;
    std::string windowsFolder = CardFolderPath(*root, kDemoFolder).value();
    fs::path cardFolder = folders->card / DesignFolderNames[kDemoFolder];
    Heading("thumbnails and previews of the card's designs");
    std::vector<fs::path> pictures;
    int failed = DrawCardDesigns(cardFolder, windowsFolder, folders->pictures, pictures);

    Report(*folders, cardFolder, pictures);
    Heading("kxcard verify: the card as the machine will read it");
    int verified = VerifyCommand(demoCard, {}, {}, false);
    return failed == 0 && verified == kExitDone ? kExitDone : kExitRefused;
}

}  // namespace kx::cli
