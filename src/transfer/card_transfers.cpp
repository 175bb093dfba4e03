// The card commands of both dialogs and the tool: write, read, erase and the direct writes.
#include "transfer/card_transfers.h"

#include <algorithm>

#include "card/card_drives.h"
#include "card/card_layout.h"
#include "card/order_file.h"
#include "design/card_conversion.h"
#include "design/design_checks.h"
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

void Notify(const std::function<void()>& hook) {
    if (hook) hook();
}

std::size_t CountTicked(const std::vector<ListRow>& rows) {
    return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [](const ListRow& r) { return r.ticked; }));
}

void FlushDriveOf(const std::string& path) {
    if (!path.empty()) FlushVolume(path[0]);
}

// The record written over any older thumbnail, which is cut to the new length so that no
// stale picture bytes trail it.
bool WriteThumbnailFile(const std::string& path, std::span<const std::uint8_t> record) {
    auto file = platform().open(path, OpenMode::Replace);
    return file && file->writeExactly(record);
}

// Writes the current thumbnail record beside `cardFile` and releases it. True when there was
// none to write or it was written whole.
bool StoreThumbnail(std::span<const std::uint8_t> record, const std::string& cardFile) {
    if (record.empty()) return true;
    bool written = WriteThumbnailFile(ReplaceExtension(cardFile, "kxt"), record);
    ReleaseThumbnail();
    return written;
}

// A thumbnail that could not be written takes its design with it: neither stays half-made.
void RemoveDesignAndThumbnail(const std::string& cardFile) {
    platform().deleteFile(cardFile);
    platform().deleteFile(ReplaceExtension(cardFile, "kxt"));
}

std::string LastFour(const std::string& s) { return s.size() <= 4 ? s : s.substr(s.size() - 4); }

// How one PC design's turn in the write ended.
enum class Turn { Skipped, Written, CardFailed };

Turn WriteOneDesign(WindowRef owner, const ListRow& row, const std::string& folder, int& count,
                    const TransferObserver& observer) {
    auto name = ContainedFileName(row.name);
    auto temp = name ? ConvertForCard(row.path) : std::nullopt;
    if (!temp) {
        if (observer.skipped) observer.skipped(row.name);
        return Turn::Skipped;
    }
    std::string base = SplitPath(*name).base;
    if (ExceedsRecordLimit(*temp, kCardRecordLimit)) {
        ShowMessage(owner,
                    "The design is too large and cannot be sent in this menu.\nThe pattern (" +
                        LastFour(base) + ") exceeds the " + std::to_string(kAdvertisedStitchLimit) +
                        " stitch limit.",
                    "Attention", mb::ICONEXCLAMATION);
        platform().deleteFile(*temp);
        return Turn::Skipped;
    }
    bool pair = CheckPairPart(*temp, *name);
    if (!NormalizeHoopFields(*temp)) {
        ShowMessage(owner, "The \"" + base + "\" design exceeds the hoop size limits.", "Attention",
                    mb::ICONINFORMATION);
        platform().deleteFile(*temp);
        return Turn::Skipped;
    }
    std::string cardFile = folder + *name;
    if (!PathExists(cardFile)) ++count;
    if (!platform().copyFile(*temp, cardFile)) {
        platform().deleteFile(*temp);
        return Turn::CardFailed;
    }
    if (!pair && !StoreThumbnail(BuildThumbnailFromFile(*temp), cardFile)) {
        RemoveDesignAndThumbnail(cardFile);
        platform().deleteFile(*temp);
        return Turn::CardFailed;
    }
    platform().deleteFile(*temp);
    return Turn::Written;
}

}  // namespace

int CountDesignFiles(const std::string& folder, const std::string& ext) {
    return static_cast<int>(platform().find(folder + "*" + ext).size());
}

int WriteSelectedToCard(WindowRef owner, const std::vector<ListRow>& pcRows, const CardTarget& card,
                        const TransferObserver& observer) {
    if (pcRows.empty()) return kNothingDone;
    std::size_t ticked = CountTicked(pcRows);
    if (ticked == 0 || !card.folder) return kNothingDone;
    Notify(observer.busy);
    const std::string& folder = *card.folder;
    EnsureFolder(folder);
    int count = CountDesignFiles(folder, ".kxd");
    int result = kTransferRan;
    const std::size_t total = ticked;
    for (const ListRow& row : pcRows) {
        if (!row.ticked) continue;
        if (count >= kFolderDesignLimit) {
            ShowMessage(owner, kFolderFullMessage, "Attention", mb::ICONHAND);
            break;
        }
        if (observer.progress) observer.progress(total - ticked, total, row.name);
        Turn turn = WriteOneDesign(owner, row, folder, count, observer);
        if (turn == Turn::CardFailed) {
            result = kCardWriteFailed;
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

int ReadSelectedFromCard(WindowRef owner, const std::vector<ListRow>& cardRows,
                         const CardTarget& card, const std::string& pcFolder,
                         const TransferObserver& observer) {
    bool ran = ForEachTickedCardRow(cardRows, card, observer, [&](const ListRow& row) {
        auto name = ContainedFileName(row.name);
        if (!name || !platform().copyFile(row.path, pcFolder + *name))
            ShowMessage(owner, "Failed to Read Kxd files.\nTry again.", "Confirm", mb::ICONQUESTION);
    });
    if (!ran) return kNothingDone;
    // The copies landed on the PC folder's volume, not on the card.
    FlushDriveOf(pcFolder);
    return kTransferRan;
}

int EraseSelectedFromCard(WindowRef owner, const std::vector<ListRow>& cardRows,
                          const CardTarget& card, const TransferObserver& observer) {
    if (ShowMessage(owner, "Are you sure you want to delete the selected designs from the ATA PC Card?",
                    "Confirm", mb::YESNO | mb::ICONQUESTION) == id::NO)
        return kNothingDone;
    bool ran = ForEachTickedCardRow(cardRows, card, observer, [&](const ListRow& row) {
        const char* const failed = "Failed to erase Kxd files.\nTry again.";
        // Only files of the card folder itself are ever deleted, whatever a row claims.
        auto name = ContainedFileName(row.name);
        if (!name) {
            ShowMessage(owner, failed, "Confirm", mb::ICONQUESTION);
            return;
        }
        std::string cardFile = *card.folder + *name;
        if (!platform().deleteFile(cardFile)) ShowMessage(owner, failed, "Confirm", mb::ICONQUESTION);
        std::string thumbFile = ReplaceExtension(cardFile, "kxt");
        if (PathExists(thumbFile) && !platform().deleteFile(thumbFile))
            ShowMessage(owner, failed, "Confirm", mb::ICONQUESTION);
    });
    if (!ran) return kNothingDone;
    FlushDriveOf(card.root);
    return kTransferRan;
}

int WriteHostDesign(WindowRef owner, std::span<std::uint8_t> hostDesign,
                    const std::string& designName, const CardTarget& card) {
    if (!card.folder) return kNothingDone;
    auto name = ContainedFileName(designName);
    if (!name) return kNothingDone;
    const std::string& folder = *card.folder;
    EnsureFolder(folder);
    std::string cardFile = folder + *name;
    if (!PathExists(cardFile) && CountDesignFiles(folder, ".kxd") >= kFolderDesignLimit) {
        ShowMessage(owner, kFolderFullMessage, "Attention", mb::ICONHAND);
        return kNothingDone;
    }
    NormalizeHoopFieldsInMemory(hostDesign);
    {
        // Cut to the new length: an older, longer design of that name leaves nothing behind.
        auto file = platform().open(cardFile, OpenMode::Replace);
        if (!file) return kNothingDone;
        if (!file->writeExactly(hostDesign)) {
            file.reset();
            platform().deleteFile(cardFile);
            return kCardWriteFailed;
        }
    }
    int result = kTransferRan;
    if (!StoreThumbnail(BuildThumbnail(hostDesign), cardFile)) {
        RemoveDesignAndThumbnail(cardFile);
        result = kCardWriteFailed;
    }
    FlushDriveOf(card.root);
    return result;
}

namespace {

// The path in a list record: up to its terminator, or all 260 bytes when it has none.
std::string RecordPath(const std::array<std::uint8_t, kListRecordSize>& record) {
    auto end = std::find(record.begin(), record.end(), std::uint8_t{0});
    return std::string(record.begin(), end);
}

}  // namespace

int WriteListedFiles(WindowRef owner, const std::string& listFilePath,
                     const std::string& designName, const CardTarget& card,
                     const TransferObserver& observer) {
    if (!card.folder) return kNothingDone;
    const std::string& folder = *card.folder;
    Notify(observer.busy);
    EnsureFolder(folder);
    auto list = platform().open(listFilePath, OpenMode::Read);
    auto size = list ? list->size() : std::nullopt;
    if (!size || *size == 0) {
        ShowMessage(owner, "File Open Error.", "Error", mb::ICONHAND);
        return kTransferRan;
    }
    int count = CountDesignFiles(folder, ".kxd");
    const std::uint64_t records = *size / kListRecordSize;
    const std::string prefix = ContainedBaseName(designName);
    int result = kTransferRan;
    for (std::uint64_t r = 0; r < records; ++r) {
        std::array<std::uint8_t, kListRecordSize> record{};
        if (!list->readExactly(record)) {
            ShowMessage(owner, "File Read Error.", "Error", mb::ICONHAND);
            break;
        }
        std::string source = RecordPath(record);
        if (observer.progress) observer.progress(static_cast<std::size_t>(r), static_cast<std::size_t>(records), source);
        std::string cardFile = folder + prefix + ContainedBaseName(source) + ".kxd";
        bool pair = CheckPairPart(source, cardFile);
        if (!PathExists(cardFile) && count >= kFolderDesignLimit) {
            ShowMessage(owner, kFolderFullMessage, "Attention", mb::ICONHAND);
            result = kNothingDone;
            break;
        }
        if (!NormalizeHoopFields(source)) {
            ShowMessage(owner, "There is an error in a file.\nQuit operation.", "Error", mb::ICONHAND);
            result = kNothingDone;
            break;
        }
        if (!platform().copyFile(source, cardFile)) {
            result = kCardWriteFailed;
            break;
        }
        if (!pair && !StoreThumbnail(BuildThumbnailFromFile(source), cardFile)) {
            RemoveDesignAndThumbnail(cardFile);
            result = kCardWriteFailed;
            break;
        }
        ++count;
    }
    list.reset();
    FlushDriveOf(card.root);
    return result;
}

int ApplyFolderRename(WindowRef owner, const std::string& root, int folder,
                      const std::string& newName, OrderFile& orderFile) {
    if (!CheckCardReady(owner, root)) return 0;
    if (!CheckCardLayout(owner, root, orderFile)) return 0;
    return UpdateFolderName(owner, root, folder, newName, orderFile) == OrderFileWrite::Written ? 1 : 0;
}

}  // namespace kx
