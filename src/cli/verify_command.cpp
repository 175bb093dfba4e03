// Finding lines or a JSON document, a summary, and the exit status of verify.
#include "cli/verify_command.h"

#include <cstdio>
#include <iostream>

#include "cli/exit_codes.h"
#include "card/card_drives.h"
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

void PrintLines(const VerifyReport& report, bool repair) {
    for (const Finding& f : report.findings) {
        std::cout << f.path() << ": " << f.what;
        if (repair) std::cout << "; " << RepairOutcomeText(f.repair, f.outcome);
        std::cout << '\n';
    }
    std::cout << Summary(report, repair) << '\n';
}

void PrintJson(const VerifyReport& report, bool repair) {
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
    std::cout << "],\n \"summary\": " << JsonString(Summary(report, repair))
              << ", \"sound\": " << (report.unrepaired() == 0 ? "true" : "false") << "}\n";
}

}  // namespace

int VerifyCommand(const GlobalOptions& options, const std::vector<int>& folders, bool repair, bool json) {
    auto root = FindCardRoot(options);
    if (!root || !CheckCardReady(0, *root)) return kExitNothingDone;
    VerifyReport report = VerifyCard(*root, folders, repair);
    if (json)
        PrintJson(report, repair);
    else
        PrintLines(report, repair);
    std::cout << std::flush;
    return report.unrepaired() == 0 ? kExitDone : kExitRefused;
}

}  // namespace kx::cli
