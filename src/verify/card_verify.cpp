// The card's root, order file and design folders examined entry by entry, each problem noted
// with its repair and, when asked, repaired on the spot.
#include "verify/card_verify.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "card/card_layout.h"
#include "card/order_file.h"
#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "design/design_file.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "render/thumbnail.h"
#include "transfer/card_transfers.h"
#include "transfer/names.h"

namespace kx {

namespace {

struct Entry {
    std::string name;
    bool isDirectory = false;
};

// Every entry of `folder` (ending with a backslash) but the dot entries, in name order.
std::vector<Entry> ListEntries(const std::string& folder) {
    std::vector<Entry> entries;
    for (FoundFile& found : platform().find(folder + "*"))
        if (found.name != "." && found.name != "..")
            entries.push_back({std::move(found.name), found.isDirectory});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

// The entry named `name` as the card's FAT volume finds it, without regard to case.
const Entry* Lookup(const std::vector<Entry>& entries, std::string_view name) {
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const Entry& e) { return EqualsIgnoreCase(e.name, name); });
    return it == entries.end() ? nullptr : &*it;
}

// The file's size and its first `most` bytes; nothing when it cannot be opened or read.
struct FileStart {
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes;
};
std::optional<FileStart> ReadFileStart(const std::string& path, std::size_t most) {
    auto file = platform().open(path, OpenMode::Read);
    auto size = file ? file->size() : std::nullopt;
    if (!size) return std::nullopt;
    FileStart start{
        *size, std::vector<std::uint8_t>(static_cast<std::size_t>(std::min<std::uint64_t>(*size, most)))};
    if (!file->readExactly(start.bytes)) return std::nullopt;
    return start;
}

// Whole or not at all: an interruption leaves the card's file as it was.
bool PlaceOnCard(std::span<const std::uint8_t> bytes, const std::string& target) {
    return static_cast<bool>(WriteWholeFile(target, bytes));
}

// The other half's base name: the last character swapped between 1 and 2.
std::string CounterpartBase(std::string base) {
    base.back() = base.back() == '1' ? '2' : '1';
    return base;
}

std::string BaseOf(const std::string& name) { return SplitPath(name).base; }

// A folder (ending with a backslash) that is there, or made now.
bool FolderMade(const std::string& folder) {
    return PathExists(folder + "*") || platform().createDirectory(folder);
}

// `bytes` as a file at `target` that was not there: written, flushed and read back the same. A
// file already there counts only when it holds exactly these bytes (an earlier repair's copy);
// it is never written over.
bool PlaceWholeCopy(const std::string& target, std::span<const std::uint8_t> bytes) {
    auto same = [&](const std::optional<std::vector<std::uint8_t>>& read) {
        return read && std::ranges::equal(*read, bytes);
    };
    if (PathExists(target)) return same(ReadWholeFile(target));
    bool written = [&] {
        auto file = platform().open(target, OpenMode::Replace);
        return file && file->writeExactly(bytes) && file->flush();
    }();
    if (written && same(ReadWholeFile(target))) return true;
    platform().deleteFile(target);  // our own partial copy: the card still holds the file
    return false;
}

// The folder on the computer that torn designs are moved into, like fsck's lost+found: their
// bytes may exist nowhere else, so the repair takes them off the card without losing them.
class SalvageFolder {
public:
    explicit SalvageFolder(std::string folder) : folder_(std::move(folder)) {}

    // Copies `names` of the card folder `cardFolder` into the subfolder `label`, each whole, and
    // only then deletes them from the card. False when a copy could not be made whole (nothing
    // was deleted) or a delete failed.
    bool move(const std::string& label, const std::string& cardFolder, const std::vector<std::string>& names) const {
        if (folder_.empty() || !FolderMade(folder_)) return false;
        const std::string into = folder_ + label + "\\";
        if (!FolderMade(into)) return false;
        for (const std::string& name : names) {
            auto bytes = ReadWholeFile(cardFolder + name);
            if (!bytes || !PlaceWholeCopy(into + name, *bytes)) return false;
        }
        return std::ranges::all_of(names, [&](const std::string& name) { return platform().deleteFile(cardFolder + name); });
    }

private:
    std::string folder_;
};

class CardVerifier {
public:
    CardVerifier(std::string root, bool repair, std::string salvageFolder, const DisplayNameTest& keepName)
        : root_(std::move(root)), repair_(repair), salvage_(std::move(salvageFolder)), keepName_(keepName) {
        rootEntries_ = checkNames("", root_, ListEntries(root_));
        earlierLayout_ = DetectOldLayout(root_);
    }

    void checkOrderFile();
    void checkFolder(int index);
    VerifyReport report;

private:
    void note(std::string folder, std::string file, Problem problem, std::string what,
              Repair repair = Repair::None, const std::function<bool()>& fix = {}) {
        Finding finding{std::move(folder), std::move(file), problem, std::move(what), repair};
        if (repair_ && fix) finding.outcome = fix() ? RepairOutcome::Done : RepairOutcome::Failed;
        report.findings.push_back(std::move(finding));
    }

    std::vector<Entry> checkNames(const std::string& label, const std::string& folder,
                                  std::vector<Entry> entries);
    void checkDesignFolder(const std::string& label, const std::string& folder);
    void checkDesign(const std::string& label, const std::string& folder, const std::string& name,
                     const std::string* thumbnail, const std::set<std::string>& designBases);
    OrderFile rebuiltOrderFile(std::span<const std::uint8_t> damaged) const;

    std::string root_;
    bool repair_;
    SalvageFolder salvage_;
    const DisplayNameTest& keepName_;
    std::vector<Entry> rootEntries_;
    int earlierLayout_ = 0;
};

// Names the volume cannot hold or tell apart, and leftover side files (deleted, so they are
// not among the entries returned).
std::vector<Entry> CardVerifier::checkNames(const std::string& label, const std::string& folder,
                                            std::vector<Entry> entries) {
    std::map<std::string, std::string> seen;  // lower-case name → first spelling
    std::vector<Entry> kept;
    for (Entry& entry : entries) {
        if (!FatVolumeCanHoldName(entry.name))
            note(label, entry.name, Problem::UnholdableName, "a name the card's FAT volume cannot hold");
        auto [first, isNew] = seen.emplace(LowerAsciiCopy(entry.name), entry.name);
        if (!isNew) note(label, entry.name, Problem::CaseClash, "differs only in case from " + first->second);
        if (!entry.isDirectory && IsCopySideFileName(entry.name)) {
            const std::string path = folder + entry.name;
            note(label, entry.name, Problem::CopyLeftover, "left over from an interrupted copy",
                 Repair::Delete, [&] { return platform().deleteFile(path); });
            continue;
        }
        kept.push_back(std::move(entry));
    }
    return kept;
}

OrderFile CardVerifier::rebuiltOrderFile(std::span<const std::uint8_t> damaged) const {
    OrderFile rebuilt;
    rebuilt.assign(OrderFile::DefaultImage());
    auto names = SalvageDisplayNames(damaged);
    for (int i = 0; i < kCardFolderCount; ++i) {
        const std::string& name = names[static_cast<std::size_t>(i)];
        if (keepName_(name)) rebuilt.setDisplayName(i, name);
        // The flags the layout check would hold in memory after reading this card.
        rebuilt.setHasDesigns(i, FolderHasDesigns(*CardFolderPath(root_, i)));
    }
    return rebuilt;
}

void CardVerifier::checkOrderFile() {
    const std::string name(kOrderFileName);
    const Entry* entry = Lookup(rootEntries_, name);
    if (entry && entry->isDirectory) {
        note("", entry->name, Problem::OrderFileBlocked, "a folder stands where the order file belongs");
        return;
    }
    const std::string path = root_ + (entry ? entry->name : name);
    std::optional<FileStart> start;
    std::string what;
    if (!entry) {
        what = "missing";
        start = FileStart{};
    } else if (!(start = ReadFileStart(path, kOrderFileSize))) {
        // Unread, its folder names may still be good: nothing is rebuilt over them.
        note("", entry->name, Problem::OrderFileDamaged, "cannot be read");
        return;
    } else if (start->size != kOrderFileSize) {
        what = std::to_string(start->size) + " bytes instead of " + std::to_string(kOrderFileSize);
    } else if (!ValidateOrderFile(start->bytes)) {
        what = "without its signature";
    } else {
        return;
    }
    OrderFile rebuilt = rebuiltOrderFile(start->bytes);
    note("", entry ? entry->name : name, Problem::OrderFileDamaged, what, Repair::RebuildOrderFile,
         [&] { return PlaceOnCard(rebuilt.bytes(), path); });
}

void CardVerifier::checkFolder(int index) {
    const std::string label(DesignFolderNames.at(static_cast<std::size_t>(index)));
    const std::string folder = *CardFolderPath(root_, index);
    const Entry* entry = Lookup(rootEntries_, label);
    if (!entry) {
        int earlier = index == 0 ? kMoveEmbFile : index == 1 ? kMovePcLink : 0;
        if (earlierLayout_ & earlier)
            note(label, "", Problem::FolderBlocked,
                 "missing: an earlier layout's folder is to take its place (the layout check moves it)");
        else
            note(label, "", Problem::FolderMissing, "missing", Repair::MakeFolder,
                 [&] { return platform().createDirectory(folder); });
        return;
    }
    if (!entry->isDirectory) {
        note(label, "", Problem::FolderBlocked, "a file stands where the design folder belongs");
        return;
    }
    checkDesignFolder(label, folder);
}

void CardVerifier::checkDesignFolder(const std::string& label, const std::string& folder) {
    std::vector<std::string> designs;
    std::map<std::string, std::string> thumbnails;  // lower-case name → spelling
    std::set<std::string> designBases;
    for (const Entry& entry : checkNames(label, folder, ListEntries(folder))) {
        if (entry.isDirectory) {
            note(label, entry.name, Problem::ForeignEntry, "a folder inside a design folder");
        } else if (WildcardMatch("*.kxd", entry.name)) {
            designs.push_back(entry.name);
            designBases.insert(BaseOf(entry.name));
        } else if (WildcardMatch("*.kxt", entry.name)) {
            thumbnails.emplace(LowerAsciiCopy(entry.name), entry.name);
        } else {
            note(label, entry.name, Problem::ForeignEntry, "neither a design nor a thumbnail");
        }
    }
    if (designs.size() > static_cast<std::size_t>(kFolderDesignLimit))
        note(label, "", Problem::TooManyDesigns,
             std::to_string(designs.size()) + " designs, more than the machine's " +
                 std::to_string(kFolderDesignLimit));
    std::set<std::string> claimed;
    for (const std::string& design : designs) {
        auto thumbnail = thumbnails.find(LowerAsciiCopy(ReplaceExtension(design, "kxt")));
        const std::string* thumbnailName = thumbnail == thumbnails.end() ? nullptr : &thumbnail->second;
        // A design's thumbnail stays with it, on the card or in the salvage folder.
        checkDesign(label, folder, design, thumbnailName, designBases);
        if (thumbnailName) claimed.insert(thumbnail->first);
    }
    for (const auto& [lower, name] : thumbnails) {
        if (claimed.count(lower)) continue;
        const std::string path = folder + name;
        note(label, name, Problem::ThumbnailWithoutDesign, "a thumbnail without its design", Repair::Delete,
             [&] { return platform().deleteFile(path); });
    }
}

const char* TornText(StreamShortfall shortfall) {
    switch (shortfall) {
        case StreamShortfall::ShorterThanHeader: return "shorter than a design's header";
        case StreamShortfall::StartOutsideFile: return "its stitches would start outside the file";
        case StreamShortfall::CountBeyondFile: return "shorter than the records its header counts";
        case StreamShortfall::NoEndRecord:
            return "its stitches end without an end record (the write stores such a PC design as it is)";
        case StreamShortfall::Whole: break;
    }
    return "";
}

void CardVerifier::checkDesign(const std::string& label, const std::string& folder, const std::string& name,
                               const std::string* thumbnail, const std::set<std::string>& designBases) {
    const std::string path = folder + name;
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        note(label, name, Problem::DesignUnreadable, "cannot be read");
        return;
    }
    // A torn copy has lost stitches no repair can bring back, and no thumbnail is made from it:
    // the repair moves it and its thumbnail off the card into the salvage folder, and the user
    // writes it again from the PC (or keeps what was salvaged where it exists nowhere else).
    StreamShortfall shortfall = CheckStreamWhole(*bytes);
    const std::string what = std::to_string(bytes->size()) + " bytes, " + TornText(shortfall);
    if (IsTorn(shortfall)) {
        std::vector<std::string> files{name};
        if (thumbnail) files.push_back(*thumbnail);
        note(label, name, Problem::DesignTorn, what, Repair::Salvage, [&] { return salvage_.move(label, folder, files); });
        return;
    }
    // Every counted record there and no end record: what the write stores for such a PC design.
    if (shortfall != StreamShortfall::Whole) note(label, name, Problem::DesignUnterminated, what);
    auto header = DesignHeader::parse(*bytes);
    if (ExceedsRecordLimit(*bytes, kCardRecordLimit))
        note(label, name, Problem::RecordLimit,
             std::to_string(header->recordCount()) + " records, more than the card's " +
                 std::to_string(kCardRecordLimit));
    if (CountsNoRecords(*header))
        note(label, name, Problem::RecordCountNone,
             std::to_string(header->recordCount()) + " records: it counts none of its records");
    // The header the write would have stored; the expected thumbnail is made from it.
    DesignHeader stored = *header;
    if (auto normalised = NormalizedHoopFieldsForPcDesign(*header)) {
        if (*normalised != *header)
            note(label, name, Problem::HoopFieldsNotNormalised, "hoop code or margins not normalised",
                 Repair::NormaliseHoopFields, [&] { return WriteDesignHeader(path, *normalised); });
        stored = *normalised;
    } else {
        note(label, name, Problem::NoHoopFits, "no hoop holds it");
    }
    const std::string thumbnailPath = folder + (thumbnail ? *thumbnail : ReplaceExtension(name, "kxt"));
    if (header->hasPairMark() && IsPairPartName(name)) {
        std::string other = CounterpartBase(BaseOf(name));
        if (!designBases.count(other))
            note(label, name, Problem::PairHalfAlone,
                 "a tandem-hoop pair half without its counterpart " + other);
        if (thumbnail)
            note(label, *thumbnail, Problem::PairHalfThumbnail, "the thumbnail of a tandem-hoop pair half",
                 Repair::Delete, [&] { return platform().deleteFile(thumbnailPath); });
        return;
    }
    stored.storeInto(*bytes);
    auto record = MakeThumbnailRecord(*bytes);
    if (!record) return;
    auto place = [&] { return PlaceOnCard(*record, thumbnailPath); };
    if (!thumbnail) {
        note(label, name, Problem::ThumbnailMissing, "no thumbnail", Repair::WriteThumbnail, place);
    } else if (ReadWholeFile(thumbnailPath) != record) {
        note(label, *thumbnail, Problem::ThumbnailDiffers, "differs from the thumbnail of its design",
             Repair::WriteThumbnail, place);
    }
}

}  // namespace

std::string Finding::path() const {
    if (folder.empty() || file.empty()) return folder + file;
    return folder + "/" + file;
}

int VerifyReport::unrepaired() const { return static_cast<int>(findings.size()) - repaired(); }

int VerifyReport::repaired() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const Finding& f) { return f.outcome == RepairOutcome::Done; }));
}

int VerifyReport::repairable() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const Finding& f) { return f.repair != Repair::None; }));
}

bool IsPrintableAsciiDisplayName(const std::string& stored) {
    return !stored.empty() && CheckNameCharacters(stored) &&
           std::all_of(stored.begin(), stored.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

VerifyReport VerifyCard(const std::string& root, const std::vector<int>& folders, bool repair,
                        const std::string& salvageFolder, const DisplayNameTest& keepName) {
    CardVerifier verifier(root, repair, salvageFolder, keepName);
    verifier.checkOrderFile();
    std::vector<int> chosen = folders;
    if (chosen.empty())
        for (int i = 0; i < kCardFolderCount; ++i) chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    for (int folder : chosen)
        if (folder >= 0 && folder < kCardFolderCount) verifier.checkFolder(folder);
    return std::move(verifier.report);
}

namespace {

// In the order of the enumerations.
constexpr std::array<std::string_view, 21> kProblemNames{
    "order-file-damaged", "order-file-blocked", "folder-missing", "folder-blocked", "too-many-designs",
    "design-unreadable", "design-torn", "design-unterminated", "record-limit", "record-count-none", "no-hoop-fits",
    "hoop-fields-not-normalised", "thumbnail-missing", "thumbnail-differs", "thumbnail-without-design", "pair-half-alone", "pair-half-thumbnail", "copy-leftover",
    "foreign-entry", "case-clash", "unholdable-name"};
static_assert(kProblemNames.size() == static_cast<std::size_t>(Problem::UnholdableName) + 1);

struct RepairTexts {
    std::string_view name, done, failed;
};
constexpr std::array<RepairTexts, 7> kRepairTexts{{
    {"none", "left as it is", "left as it is"},
    {"rebuild", "rebuilt", "could not be rebuilt"},
    {"make", "made", "could not be made"},
    {"normalise", "hoop fields normalised", "hoop fields could not be written"},
    {"write-thumbnail", "thumbnail written", "thumbnail could not be written"},
    {"delete", "deleted", "could not be deleted"},
    {"salvage", "moved off the card into the salvage folder", "could not be moved off the card whole: left on it"},
}};
static_assert(kRepairTexts.size() == static_cast<std::size_t>(Repair::Salvage) + 1);

}  // namespace

std::string_view ProblemName(Problem problem) { return kProblemNames.at(static_cast<std::size_t>(problem)); }

std::string_view RepairName(Repair repair) { return kRepairTexts.at(static_cast<std::size_t>(repair)).name; }

std::string_view RepairOutcomeText(Repair repair, RepairOutcome outcome) {
    const RepairTexts& texts = kRepairTexts.at(static_cast<std::size_t>(repair));
    if (outcome == RepairOutcome::NotTried) return kRepairTexts[0].done;
    return outcome == RepairOutcome::Done ? texts.done : texts.failed;
}

}  // namespace kx
