// Finding lines or a JSON document, a summary, and the exit status of verify.
#include "cli/verify_command.h"

#include <iostream>

#include "cli/display_name.h"
#include "cli/exit_codes.h"
#include "cli/json_writer.h"
#include "card/card_drives.h"
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

void PrintLines(const VerifyReport& report, bool repair) {
    for (const Finding& f : report.findings) {
        std::cout << f.path() << ": " << f.what;
        if (repair) std::cout << "; " << RepairOutcomeText(f.repair, f.outcome);
        std::cout << '\n';
    }
    std::cout << Summary(report, repair) << '\n';
}

void PrintJson(const VerifyReport& report, bool repair) {
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
    json.end().member("summary", Summary(report, repair)).member("sound", report.unrepaired() == 0).end();
}

}  // namespace

int VerifyCommand(const GlobalOptions& options, const std::vector<int>& folders, bool repair, bool json) {
    auto codePage = OpenCodePage(options);
    if (!codePage) return kExitUsage;
    auto root = FindCardRoot(options);
    if (!root || !CheckCardReady(0, *root)) return kExitNothingDone;
    VerifyReport report =
        VerifyCard(*root, folders, repair, [&](const std::string& stored) { return ReadsWhole(*codePage, stored); });
    if (json)
        PrintJson(report, repair);
    else
        PrintLines(report, repair);
    std::cout << std::flush;
    return report.unrepaired() == 0 ? kExitDone : kExitRefused;
}

}  // namespace kx::cli
