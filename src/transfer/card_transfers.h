// The card commands: write ticked PC designs to the card, read ticked card designs back, erase
// them, and the two direct writes of the host. Callers gather their list rows and call these;
// nothing here reaches into a control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/messages.h"

namespace kx {

// What a card command did; only the writes end with CardWriteFailed.
enum class [[nodiscard]] TransferResult {
    NothingDone,
    Ran,
    CardWriteFailed,  // a file was not written in full on the card: ShowCardWriteFailed
};

// "Out of memory space.", the message after a write that ended with CardWriteFailed.
void ShowCardWriteFailed(WindowRef owner);

// The most designs the machine takes in one card folder.
inline constexpr int kFolderDesignLimit = 100;

// One item of a design list as the commands see it: its text, the full path it stands for, and
// whether it is a ticked design item (folders and drives of the PC list are never ticked).
struct ListRow {
    std::string name;
    std::string path;
    bool ticked = false;
};

// Hooks for the one who waits: `busy` once the command starts its work (the wait cursor),
// `progress` before each design is handled (position among the ticked ones, their number), and
// `failed` where the system itself says nothing or only something general: a design the write
// passes over without a message, or a file operation that failed. It names the design as
// listed or the file's path, and gives the reason in the operating system's words.
//
// `passedOver` where a command passes a ticked design over for a reason of its own (a name the
// card cannot hold there), with the design as listed and the reason. Without it the command
// names the design in a message of its own, so that no design is ever passed over unseen.
struct TransferObserver {
    std::function<void()> busy;
    std::function<void(std::size_t done, std::size_t total, const std::string& name)> progress;
    std::function<void(const std::string& file, const std::string& reason)> failed;
    std::function<void(const std::string& name, const std::string& reason)> passedOver;
};

// The number of files matching folder + "*" + ext (folder ends with a backslash).
int CountDesignFiles(const std::string& folder, const std::string& ext);

struct CardTarget {
    std::optional<std::string> folder;  // the current card folder, ending with a backslash
    std::string root;                   // the card drive's root, "E:\"
};

// Writes the ticked rows of the PC list into the card folder: NothingDone, Ran or
// CardWriteFailed. Each design is read once, converted and checked in memory, and its card file
// and thumbnail are each written once. A row whose name the card cannot take there
// (CardFileProblem) is passed over.
TransferResult WriteSelectedToCard(WindowRef owner, const std::vector<ListRow>& pcRows, const CardTarget& card,
                        const TransferObserver& observer = {});

// Copies the ticked rows among the first n card rows (n = designs in the folder now) into
// `pcFolder` (ending with a backslash): NothingDone or Ran.
TransferResult ReadSelectedFromCard(WindowRef owner, const std::vector<ListRow>& cardRows,
                         const CardTarget& card, const std::string& pcFolder,
                         const TransferObserver& observer = {});

// Asks first, then deletes the ticked card designs among the first n rows with their
// thumbnails: NothingDone or Ran.
TransferResult EraseSelectedFromCard(WindowRef owner, const std::vector<ListRow>& cardRows,
                          const CardTarget& card, const TransferObserver& observer = {});

// Stores the host's design (normalised in place) as `designName` in the card folder, with its
// thumbnail: NothingDone, Ran or CardWriteFailed. A name the card cannot take there
// (CardFileProblem) is refused with CardWriteFailed before anything is written.
TransferResult WriteHostDesign(WindowRef owner, std::span<std::uint8_t> hostDesign,
                               const std::string& designName, const CardTarget& card,
                               const TransferObserver& observer = {});

// Copies every design named in the list file (260-byte records) into the card folder as
// designName's base name + the file's base name + ".kxd": NothingDone, Ran or CardWriteFailed.
// It changes the user's listed PC files: each is read once, and a pair mark its card name does
// not carry is cleared, then its hoop code and margins are normalised, each written over the PC
// file's header in place (never truncating it) when it changes; the card gets the file as it
// then stands. A card name the card cannot take there ends the write with CardWriteFailed before
// that file is touched.
TransferResult WriteListedFiles(WindowRef owner, const std::string& listFilePath,
                     const std::string& designName, const CardTarget& card,
                     const TransferObserver& observer = {});

// A folder's new display name after the rename dialog: card check, layout check, then the order
// file on the card and the card's volume flushed. 1 when the name reached the card.
class OrderFile;
int ApplyFolderRename(WindowRef owner, const std::string& root, int folder,
                      const std::string& newName, OrderFile& orderFile);

}  // namespace kx
