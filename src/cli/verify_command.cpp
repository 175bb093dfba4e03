// Finding lines or a JSON document, a summary, and the exit status of verify.
#include "cli/verify_command.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/exit_codes.h"
#include "cli/host_paths.h"
#include "card/card_drives.h"
#include "platform/paths.h"
#include "verify/card_verify.h"

namespace kx::cli {

namespace {

// A JSON string; bytes outside ASCII are read as Latin-1 so that any name stays valid JSON.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

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
    std::cout << "{\"repair\": " << (repair ? "true" : "false") << ", \"findings\": [";
    const char* separator = "\n";
    for (const Finding& f : report.findings) {
        std::cout << separator << "  {\"path\": " << JsonString(f.path())
                  << ", \"folder\": " << JsonString(f.folder) << ", \"file\": " << JsonString(f.file)
                  << ", \"problem\": " << JsonString(ProblemName(f.problem))
                  << ", \"what\": " << JsonString(f.what)
                  << ", \"repair\": " << JsonString(RepairName(f.repair))
                  << ", \"repaired\": " << (f.outcome == RepairOutcome::Done ? "true" : "false") << "}";
        separator = ",\n";
    }
    std::cout << "],\n \"salvage\": " << (salvage ? JsonString(*salvage) : std::string("null"))
              << ", \"summary\": " << JsonString(Summary(report, repair))
              << ", \"sound\": " << (report.unrepaired() == 0 ? "true" : "false") << "}\n";
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
    auto root = FindCardRoot(options);
    if (!root || !CheckCardReady(0, *root)) return kExitNothingDone;
    const bool repair = choice.repair;
    const std::string salvage = repair ? SalvageFolder(choice.salvage) : std::string();
    // A folder no drive covers gets no Windows name: the repair then moves nothing off the card.
    auto mapped = repair ? WindowsPathOf(salvage) : std::nullopt;
    VerifyReport report = VerifyCard(*root, folders, repair, mapped ? WithTrailingBackslash(*mapped) : std::string());
    auto told = SalvageTried(report, repair, salvage);
    if (json)
        PrintJson(report, repair, told);
    else
        PrintLines(report, repair, told);
    std::cout << std::flush;
    return report.unrepaired() == 0 ? kExitDone : kExitRefused;
}

}  // namespace kx::cli
