// What is wrong with a card as it stands, read the way the machine and the write read it, and
// the repairs that make it sound again without touching a design's stitches.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

enum class Problem {
    OrderFileDamaged,        // missing, of the wrong size, or without its signature
    OrderFileBlocked,        // a folder stands in its place
    FolderMissing,
    FolderBlocked,           // a file stands in its place, or the earlier layout is still to move
    TooManyDesigns,          // more than the machine's 100
    DesignUnreadable,
    DesignTorn,              // cut short: its bytes end before its header says, as a copy cut off
    DesignUnterminated,      // every record it counts is there, but no end record
    RecordLimit,
    RecordCountNone,         // a record count of 0 or less, which the write never converts
    NoHoopFits,
    HoopFieldsNotNormalised,
    ThumbnailMissing,
    ThumbnailDiffers,
    ThumbnailWithoutDesign,
    PairHalfAlone,           // a tandem-hoop half without its counterpart
    PairHalfThumbnail,
    CopyLeftover,            // the side file of an interrupted copy
    ForeignEntry,            // neither a design nor a thumbnail
    CaseClash,               // two names that differ only in case
    UnholdableName,          // a name the card's FAT volume cannot hold
};

// The repair a problem gets; None for those that are only reported.
enum class Repair { None, RebuildOrderFile, MakeFolder, NormaliseHoopFields, WriteThumbnail, Delete, Salvage };

enum class RepairOutcome { NotTried, Done, Failed };

struct Finding {
    std::string folder;  // "EmbF5"; empty for an entry of the card root
    std::string file;    // the entry's name; empty for the folder itself
    Problem problem;
    std::string what;    // what is wrong, for a person
    Repair repair = Repair::None;
    RepairOutcome outcome = RepairOutcome::NotTried;

    // "EmbF5/ROSE.kxt", "EmbF9" or "Emb_OrdF.dat".
    std::string path() const;
};

struct VerifyReport {
    std::vector<Finding> findings;
    // Findings not (or not successfully) repaired: none means the card is sound.
    int unrepaired() const;
    int repaired() const;
    int repairable() const;
};

// Reads the card at `root` ("E:\"): the order file, the earlier layout, side files at the root,
// and the design folders `folders` (0 to 11; all of them when empty). Changes nothing unless
// `repair`; then each repair is one file operation, or a whole file written beside its target
// and renamed over it (`WriteWholeFile`), so an interruption leaves the card no worse than it was.
// A torn design is not deleted but moved off the card with its thumbnail into `salvageFolder`
// (a folder path ending with a backslash, made when the first one comes; its subfolder per card
// folder too): each file is deleted from the card only once its copy there is written, flushed
// and read back the same, and nothing there is written over. Without a salvage folder, or one
// that cannot be made, the design stays on the card and its repair fails.
// A display name salvaged from a damaged order file is kept when `keepName` takes its stored
// bytes; by default one the rename dialog would take in printable ASCII, which reads alike in
// every code page.
using DisplayNameTest = std::function<bool(const std::string& stored)>;
bool IsPrintableAsciiDisplayName(const std::string& stored);
VerifyReport VerifyCard(const std::string& root, const std::vector<int>& folders, bool repair,
                        const std::string& salvageFolder, const DisplayNameTest& keepName = IsPrintableAsciiDisplayName);

// Stable names for scripts ("thumbnail-missing") and what a repair did or failed to do.
std::string_view ProblemName(Problem problem);
std::string_view RepairName(Repair repair);
std::string_view RepairOutcomeText(Repair repair, RepairOutcome outcome);

}  // namespace kx
