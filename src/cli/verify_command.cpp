// Finding lines or a JSON document, a summary, and the exit status of verify.
#include "cli/verify_command.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/display_name.h"
#include "cli/exit_codes.h"
#include "cli/host_paths.h"
#include "cli/json_writer.h"
#include "card/card_drives.h"
#include "platform/paths.h"
#include "verify/card_verify.h"

namespace kx::cli {

namespace {

std::string Plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

std::string Summary(const VerifyReport& report, bool repair) {
    const int found = static_cast<int>(report.findings.size());
    if (found == 0) return "no findings: the card is sound";
    if (!repair)
        return Plural(found, "finding") + ", " + std::to_string(report.repairable()) +
               " of them repairable with --repair";
    if (report.unrepaired() == 0) return Plural(found, "finding") + ", all repaired: the card is sound";
    return Plural(found, "finding") + ": " + std::to_string(report.repaired()) + " repaired, " +
           std::to_string(report.unrepaired()) + " not";
}

// The salvage folder a repair moved torn designs into, or tried to: the user is told where.
std::optional<std::string> SalvageTried(const VerifyReport& report, bool repair, const std::string& salvage) {
    bool tried = std::any_of(report.findings.begin(), report.findings.end(), [](const Finding& f) {
        return f.repair == Repair::Salvage && f.outcome != RepairOutcome::NotTried;
    });
    if (!repair || !tried) return std::nullopt;
    return salvage;
}

void PrintLines(const VerifyReport& report, bool repair, const std::optional<std::string>& salvage) {
    for (const Finding& f : report.findings) {
        std::cout << f.path() << ": " << f.what;
        if (repair) std::cout << "; " << RepairOutcomeText(f.repair, f.outcome);
        std::cout << '\n';
    }
    if (salvage) std::cout << "salvage folder: " << *salvage << '\n';
    std::cout << Summary(report, repair) << '\n';
}

void PrintJson(const VerifyReport& report, bool repair, const std::optional<std::string>& salvage) {
    JsonWriter json(std::cout);
    json.beginObject().member("repair", repair).key("findings").beginArray();
    for (const Finding& f : report.findings) {
        json.beginObject()
            .member("path", f.path())
            .member("folder", f.folder)
            .member("file", f.file)
            .member("problem", ProblemName(f.problem))
            .member("what", f.what)
            .member("repair", RepairName(f.repair))
            .member("repaired", f.outcome == RepairOutcome::Done)
            .end();
    }
    json.end().key("salvage");
    if (salvage) json.value(*salvage);
    else json.null();
    json.member("summary", Summary(report, repair)).member("sound", report.unrepaired() == 0).end();
}

// The salvage folder as an absolute host path: the one named, or a new one in the current
// folder named after the local time.
std::string SalvageFolder(const std::string& named) {
    std::string folder = named;
    if (folder.empty()) {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        char stamp[32] = "";
        if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        folder = std::string("kxcard-salvage-") + stamp;
    }
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    return error ? folder : absolute.lexically_normal().string();
}

}  // namespace

int VerifyCommand(const GlobalOptions& options, const std::vector<int>& folders, const RepairChoice& choice,
                  bool json) {
    auto codePage = OpenCodePage(options);
    if (!codePage) return kExitUsage;
    auto root = FindCardRoot(options);
    if (!root || !CheckCardReady(0, *root)) return kExitNothingDone;
    const bool repair = choice.repair;
    const std::string salvage = repair ? SalvageFolder(choice.salvage) : std::string();
    // A folder no drive covers gets no Windows name: the repair then moves nothing off the card.
    auto mapped = repair ? WindowsPathOf(salvage) : std::nullopt;
    VerifyReport report = VerifyCard(*root, folders, repair, mapped ? WithTrailingBackslash(*mapped) : std::string(),
                                     [&](const std::string& stored) { return ReadsWhole(*codePage, stored); });
    auto told = SalvageTried(report, repair, salvage);
    if (json)
        PrintJson(report, repair, told);
    else
        PrintLines(report, repair, told);
    std::cout << std::flush;
    return report.unrepaired() == 0 ? kExitDone : kExitRefused;
}

}  // namespace kx::cli
