// The card commands of both dialogs and the tool: write, read, erase and the direct writes.
#include "transfer/card_transfers.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "card/card_drives.h"
#include "card/card_layout.h"
#include "card/order_file.h"
#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "design/design_file.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "render/thumbnail.h"
#include "transfer/names.h"

namespace kx {

namespace {

constexpr int kAdvertisedStitchLimit = 64000;
constexpr std::size_t kListRecordSize = kMaxPath;

const char* const kFolderFullMessage =
    "100 designs have been registered.\nNo more design can be registered.";
const char* const kFileErrorMessage = "There is an error in a file.\nQuit operation.";

void Notify(const std::function<void()>& hook) {
    if (hook) hook();
}

void Explain(const TransferObserver& observer, const std::string& file, const std::string& reason) {
    if (observer.failed) observer.failed(file, reason);
}

void PassOver(WindowRef owner, const TransferObserver& observer, const std::string& name, const std::string& reason) {
    if (observer.passedOver) return observer.passedOver(name, reason);
    ShowMessage(owner, "The \"" + name + "\" design is passed over:\n" + reason + ".", "Attention", mb::ICONEXCLAMATION);
}

std::size_t CountTicked(const std::vector<ListRow>& rows) {
    return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [](const ListRow& r) { return r.ticked; }));
}

void FlushDriveOf(const std::string& path) {
    if (!path.empty()) FlushVolume(path[0]);
}

// The folder a write is about to fill: made when missing, and rid of the side files an
// interrupted command left there (they would hold the volume's space for good). Returns its
// other entries as listed.
std::vector<FoundFile> PrepareCardFolder(const std::string& folder) {
    EnsureFolder(folder);
    return RemoveCopySideFiles(folder);
}

// True, after the message, when the folder holds as many designs as it may take and `isNew`
// says the design would add one: only a full folder asks.
template <class IsNew>
bool FolderIsFull(WindowRef owner, int count, IsNew isNew) {
    if (count < kFolderDesignLimit || !isNew()) return false;
    ShowMessage(owner, kFolderFullMessage, "Attention", mb::ICONHAND);
    return true;
}

bool FolderIsFull(WindowRef owner, int count) {
    return FolderIsFull(owner, count, [] { return true; });
}

// A card folder's designs as a write keeps count of them: counted as it starts, one more for
// each new name it stores, and counted again from the card after any message, since while a
// message waits for the user another program (or a nested call) may store designs there.
class FolderDesignCount {
public:
    explicit FolderDesignCount(std::string folder) : folder_(std::move(folder)) { recount(); }
    int now() {
        if (MessagesShown() != countedAt_) recount();
        return count_;
    }
    void addOne() { ++count_; }

private:
    void recount() {
        countedAt_ = MessagesShown();
        count_ = CountDesignFiles(folder_, ".kxd");
    }

    std::string folder_;
    std::uint32_t countedAt_ = 0;
    int count_ = 0;
};

// A thumbnail that could not be written takes its design with it: neither stays half-made.
void RemoveDesignAndThumbnail(const std::string& cardFile) {
    platform().deleteFile(cardFile);
    platform().deleteFile(ReplaceExtension(cardFile, "kxt"));
}

// A direct write refuses a name the card cannot take before anything is written, as a failed
// write: storing it would have lost the design or left half of it.
bool RefusedUpFront(const std::string& folder, const std::string& name, const TransferObserver& observer) {
    auto problem = CardFileProblem(folder, name);
    if (problem) Explain(observer, folder + name, *problem);
    return problem.has_value();
}

// How storing one design on the card ended.
enum class Stored { Done, DesignNotCreated, DesignIncomplete, ThumbnailFailed };

// Writes the design, then its thumbnail unless there is none to make; each file whole, once,
// through its side file (a thumbnail over an older, longer one leaves nothing of it).
Stored StoreDesign(const std::string& cardFile, std::span<const std::uint8_t> design, bool withThumbnail,
                   const TransferObserver& observer) {
    WholeFileWrite written = WriteWholeFile(cardFile, design);
    if (!written) {
        Explain(observer, cardFile, written.reason);
        return written.outcome == WholeFileWrite::Outcome::NotCreated ? Stored::DesignNotCreated : Stored::DesignIncomplete;
    }
    std::optional<ThumbnailRecord> record = withThumbnail ? MakeThumbnailRecord(design) : std::nullopt;
    if (!record) return Stored::Done;
    std::string thumbnailFile = ReplaceExtension(cardFile, "kxt");
    written = WriteWholeFile(thumbnailFile, *record);
    if (written) return Stored::Done;
    Explain(observer, thumbnailFile, written.reason);
    RemoveDesignAndThumbnail(cardFile);
    return Stored::ThumbnailFailed;
}

std::string LastFour(const std::string& s) { return s.size() <= 4 ? s : s.substr(s.size() - 4); }

using DesignBytes = std::vector<std::uint8_t>;

// A PC row's design in the form the card takes, read once and converted in memory; nothing,
// explained, for one the write passes over without a message of its own.
std::optional<DesignBytes> DesignToSend(WindowRef owner, const ListRow& row, const std::string& folder,
                                        const TransferObserver& observer) {
    auto refuse = [&](const std::string& reason) {
        PassOver(owner, observer, row.name, reason);
        return std::nullopt;
    };
    // A conversion that gives nothing passes the design over without a message, as it always has.
    auto passOver = [&](const std::string& reason) {
        Explain(observer, row.name, reason);
        return std::nullopt;
    };
    if (auto problem = CardFileProblem(folder, row.name)) return refuse(*problem);
    // The file's own name decides: a PC path may be longer than Windows' limit where the tool runs.
    if (!IsDesignFileName(FileNamePart(row.path))) return refuse("Not named as a design (.kxd)");
    try {
        auto design = ReadWholeFile(row.path);
        if (!design) return passOver(platform().lastError());
        CardConversion conversion = ConvertDesignForCard(*design);
        switch (conversion.outcome) {
            case CardConversion::Outcome::Converted: return std::move(conversion.bytes);
            case CardConversion::Outcome::PlainCopy: return design;
            case CardConversion::Outcome::Refused: break;
        }
        return passOver(RefusalReason(conversion.refusal));
    } catch (const std::bad_alloc&) {
        return passOver("Too large to hold in memory");
    }
}

// How one PC design's turn in the write ended.
enum class Turn { Skipped, Written, CardFailed };

Turn WriteOneDesign(WindowRef owner, const ListRow& row, const std::string& folder, FolderDesignCount& designs,
                    const TransferObserver& observer) {
    auto design = DesignToSend(owner, row, folder, observer);
    if (!design) return Turn::Skipped;
    std::string base = SplitPath(row.name).base;
    if (ExceedsRecordLimit(*design, kCardRecordLimit)) {
        ShowMessage(owner,
                    "The design is too large and cannot be sent in this menu.\nThe pattern (" +
                        LastFour(base) + ") exceeds the " + std::to_string(kAdvertisedStitchLimit) +
                        " stitch limit.",
                    "Attention", mb::ICONEXCLAMATION);
        return Turn::Skipped;
    }
    bool pair = CheckPairPart(*design, row.name);
    if (!NormalizeHoopFieldsForPcDesign(*design)) {
        ShowMessage(owner, "The \"" + base + "\" design exceeds the hoop size limits.", "Attention",
                    mb::ICONINFORMATION);
        return Turn::Skipped;
    }
    std::string cardFile = folder + row.name;
    if (!PathExists(cardFile)) designs.addOne();
    return StoreDesign(cardFile, *design, !pair, observer) == Stored::Done ? Turn::Written : Turn::CardFailed;
}

}  // namespace

void ShowCardWriteFailed(WindowRef owner) { ShowMessage(owner, "Out of memory space.", "Error", mb::ICONQUESTION); }

int CountDesignFiles(const std::string& folder, const std::string& ext) {
    return static_cast<int>(platform().find(folder + "*" + ext).size());
}

TransferResult WriteSelectedToCard(WindowRef owner, const std::vector<ListRow>& pcRows, const CardTarget& card,
                                   const TransferObserver& observer) {
    if (pcRows.empty()) return TransferResult::NothingDone;
    std::size_t ticked = CountTicked(pcRows);
    if (ticked == 0 || !card.folder) return TransferResult::NothingDone;
    Notify(observer.busy);
    const std::string& folder = *card.folder;
    PrepareCardFolder(folder);
    FolderDesignCount designs(folder);
    TransferResult result = TransferResult::Ran;
    const std::size_t total = ticked;
    for (const ListRow& row : pcRows) {
        if (!row.ticked) continue;
        if (FolderIsFull(owner, designs.now())) break;
        if (observer.progress) observer.progress(total - ticked, total, row.name);
        Turn turn = WriteOneDesign(owner, row, folder, designs, observer);
        if (turn == Turn::CardFailed) {
            result = TransferResult::CardWriteFailed;
            break;
        }
        // Only designs that reached the card count down; the last one ends the loop.
        if (turn == Turn::Written && --ticked == 0) break;
    }
    FlushDriveOf(card.root);
    return result;
}

namespace {

// Runs `handle` on each ticked row among the first n card rows, n being the designs the card
// folder holds now (the list is taken to show the same files), and stops after the last ticked
// one. False when there is no folder or nothing is ticked: nothing was done.
template <class Handle>
bool ForEachTickedCardRow(const std::vector<ListRow>& rows, const CardTarget& card,
                          const TransferObserver& observer, Handle handle) {
    if (!card.folder) return false;
    std::size_t visible = static_cast<std::size_t>(CountDesignFiles(*card.folder, ".kxd"));
    std::size_t ticked = CountTicked(rows);
    if (ticked == 0) return false;
    Notify(observer.busy);
    const std::size_t total = ticked;
    for (std::size_t i = 0; i < std::min(visible, rows.size()); ++i) {
        if (!rows[i].ticked) continue;
        if (observer.progress) observer.progress(total - ticked, total, rows[i].name);
        handle(rows[i]);
        if (--ticked == 0) break;
    }
    return true;
}

}  // namespace

TransferResult ReadSelectedFromCard(WindowRef owner, const std::vector<ListRow>& cardRows,
                                    const CardTarget& card, const std::string& pcFolder,
                                    const TransferObserver& observer) {
    bool ran = ForEachTickedCardRow(cardRows, card, observer, [&](const ListRow& row) {
        if (!FatVolumeCanHoldName(row.name)) return PassOver(owner, observer, row.name, kCardCannotHoldName);
        if (platform().copyFile(*card.folder + row.name, pcFolder + row.name)) return;
        Explain(observer, pcFolder + row.name, platform().lastError());
        ShowMessage(owner, "Failed to Read Kxd files.\nTry again.", "Confirm", mb::ICONQUESTION);
    });
    if (!ran) return TransferResult::NothingDone;
    // The copies landed on the PC folder's volume, not on the card.
    FlushDriveOf(pcFolder);
    return TransferResult::Ran;
}

TransferResult EraseSelectedFromCard(WindowRef owner, const std::vector<ListRow>& cardRows,
                                     const CardTarget& card, const TransferObserver& observer) {
    if (ShowMessage(owner, "Are you sure you want to delete the selected designs from the ATA PC Card?",
                    "Confirm", mb::YESNO | mb::ICONQUESTION) == id::NO)
        return TransferResult::NothingDone;
    // One listing serves the side files and the thumbnails: a design's thumbnail is deleted when
    // the folder holds it, with no search of its own per design.
    std::unordered_set<std::string> files;
    if (card.folder)
        for (const FoundFile& found : RemoveCopySideFiles(*card.folder))
            if (!found.isDirectory) files.insert(LowerAsciiCopy(found.name));
    bool ran = ForEachTickedCardRow(cardRows, card, observer, [&](const ListRow& row) {
        auto failed = [&](const std::string& file, const std::string& reason) {
            Explain(observer, file, reason);
            ShowMessage(owner, "Failed to erase Kxd files.\nTry again.", "Confirm", mb::ICONQUESTION);
        };
        // Only files of the card folder itself are ever deleted, whatever a row claims.
        if (!FatVolumeCanHoldName(row.name)) return PassOver(owner, observer, row.name, kCardCannotHoldName);
        std::string cardFile = *card.folder + row.name;
        if (!platform().deleteFile(cardFile)) failed(cardFile, platform().lastError());
        std::string thumbFile = ReplaceExtension(cardFile, "kxt");
        if (files.contains(LowerAsciiCopy(FileNamePart(thumbFile))) && !platform().deleteFile(thumbFile))
            failed(thumbFile, platform().lastError());
    });
    if (!ran) return TransferResult::NothingDone;
    FlushDriveOf(card.root);
    return TransferResult::Ran;
}

TransferResult WriteHostDesign(WindowRef owner, std::span<std::uint8_t> hostDesign,
                               const std::string& designName, const CardTarget& card,
                               const TransferObserver& observer) {
    if (!card.folder) return TransferResult::NothingDone;
    auto name = ContainedFileName(designName);
    if (!name) return TransferResult::NothingDone;
    const std::string& folder = *card.folder;
    std::string cardFile = folder + *name;
    if (RefusedUpFront(folder, *name, observer)) return TransferResult::CardWriteFailed;
    // Bytes that end before their header says (or hold no whole header) would give the machine
    // a file it cannot read: refused as the listed write refuses a design its checks refuse.
    if (IsTorn(CheckStreamWhole(hostDesign))) {
        ShowMessage(owner, kFileErrorMessage, "Error", mb::ICONHAND);
        return TransferResult::NothingDone;
    }
    PrepareCardFolder(folder);
    if (FolderIsFull(owner, FolderDesignCount(folder).now(), [&] { return !PathExists(cardFile); }))
        return TransferResult::NothingDone;
    NormalizeHoopFieldsForHostDesign(hostDesign);
    TransferResult result = TransferResult::Ran;
    switch (StoreDesign(cardFile, hostDesign, true, observer)) {
        // Only a design that reached the card has its volume flushed.
        case Stored::DesignNotCreated: return TransferResult::NothingDone;
        case Stored::DesignIncomplete: return TransferResult::CardWriteFailed;
        case Stored::ThumbnailFailed: result = TransferResult::CardWriteFailed; break;
        case Stored::Done: break;
    }
    FlushDriveOf(card.root);
    return result;
}

namespace {

// The list file's records in file order, read 128 at a time rather than with a read each. A read
// that fails or comes up short ends the records at the first one it did not bring whole, where
// reading each on its own would have ended them.
class ListRecords {
public:
    ListRecords(File& file, std::uint64_t records) : file_(file), unread_(records) {}

    // The next record's path (up to its terminator, or all 260 bytes when it has none), or
    // nothing when the record could not be read.
    std::optional<std::string> next() {
        if (held_ - at_ < kListRecordSize && !readMore()) return std::nullopt;
        const auto* record = buffer_.data() + at_;
        at_ += kListRecordSize;
        return std::string(record, std::find(record, record + kListRecordSize, std::uint8_t{0}));
    }

private:
    static constexpr std::size_t kRecordsPerRead = 128;

    bool readMore() {
        if (ended_ || unread_ == 0) return false;
        const auto records = static_cast<std::size_t>(std::min<std::uint64_t>(unread_, kRecordsPerRead));
        unread_ -= records;
        buffer_.resize(records * kListRecordSize);
        auto got = file_.read(buffer_);
        at_ = 0;
        held_ = got ? *got : 0;
        ended_ = held_ < buffer_.size();
        return held_ >= kListRecordSize;
    }

    File& file_;
    std::uint64_t unread_;
    std::vector<std::uint8_t> buffer_;
    std::size_t at_ = 0, held_ = 0;  // bytes of buffer_ used and read
    bool ended_ = false;             // the last read came up short or failed
};

// The card folder's entries as listed when a write began, and each design the write stored
// since: a name held here exists on the card without a lookup. Only one not held (a name new
// to the folder, or one the card spells otherwise or knows by its short alias) is looked up.
class KnownCardNames {
public:
    KnownCardNames(std::string folder, const std::vector<FoundFile>& listed) : folder_(std::move(folder)) {
        for (const FoundFile& found : listed) names_.insert(found.name);
    }
    bool exists(const std::string& name) const { return names_.contains(name) || PathExists(folder_ + name); }
    void stored(const std::string& name) { names_.insert(name); }

private:
    std::string folder_;
    std::unordered_set<std::string> names_;
};

}  // namespace

TransferResult WriteListedFiles(WindowRef owner, const std::string& listFilePath,
                                const std::string& designName, const CardTarget& card,
                                const TransferObserver& observer) {
    if (!card.folder) return TransferResult::NothingDone;
    const std::string& folder = *card.folder;
    Notify(observer.busy);
    KnownCardNames cardNames(folder, PrepareCardFolder(folder));
    auto list = platform().open(listFilePath, OpenMode::Read);
    auto size = list ? list->size() : std::nullopt;
    if (!size || *size == 0) {
        ShowMessage(owner, "File Open Error.", "Error", mb::ICONHAND);
        return TransferResult::Ran;
    }
    FolderDesignCount designs(folder);
    const std::uint64_t records = *size / kListRecordSize;
    ListRecords listRecords(*list, records);
    const std::string prefix = ContainedBaseName(designName);
    TransferResult result = TransferResult::Ran;
    for (std::uint64_t r = 0; r < records; ++r) {
        std::optional<std::string> record = listRecords.next();
        if (!record) {
            ShowMessage(owner, "File Read Error.", "Error", mb::ICONHAND);
            break;
        }
        const std::string& source = *record;
        if (observer.progress) observer.progress(static_cast<std::size_t>(r), static_cast<std::size_t>(records), source);
        const std::string name = prefix + ContainedBaseName(source) + ".kxd";
        std::string cardFile = folder + name;
        if (RefusedUpFront(folder, name, observer)) {
            result = TransferResult::CardWriteFailed;
            break;
        }
        // Read once: the checks adjust the listed file's header in place, and the card gets the
        // file as it then stands.
        DesignFileInMemory listed(source);
        bool pair = CheckPairPart(listed, cardFile);
        if (FolderIsFull(owner, designs.now(), [&] { return !cardNames.exists(name); })) {
            result = TransferResult::NothingDone;
            break;
        }
        if (!NormalizeHoopFieldsForPcDesign(listed)) {
            ShowMessage(owner, kFileErrorMessage, "Error", mb::ICONHAND);
            result = TransferResult::NothingDone;
            break;
        }
        if (!listed.bytes()) Explain(observer, source, listed.readFailure());
        if (!listed.bytes() || StoreDesign(cardFile, *listed.bytes(), !pair, observer) != Stored::Done) {
            result = TransferResult::CardWriteFailed;
            break;
        }
        cardNames.stored(name);
        designs.addOne();
    }
    list.reset();
    FlushDriveOf(card.root);
    return result;
}

int ApplyFolderRename(WindowRef owner, const std::string& root, int folder,
                      const std::string& newName, OrderFile& orderFile) {
    if (!CheckCardReady(owner, root)) return 0;
    if (!CheckCardLayout(owner, root, orderFile)) return 0;
    if (UpdateFolderName(owner, root, folder, newName, orderFile) != OrderFileWrite::Written) return 0;
    // Like the other card commands it ends with the card's volume flushed, only once the name is
    // written (a failure's reason is the write's, not the flush's).
    FlushDriveOf(root);  // a card pulled at once keeps the new name
    return 1;
}

}  // namespace kx
