// The card's order file "Emb_OrdF.dat": a 304-byte image of folder display names and
// has-designs flags, and its reading, validation, creation and update on the card.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/messages.h"

namespace kx {

inline constexpr std::string_view kOrderFileName = "Emb_OrdF.dat";
inline constexpr std::size_t kOrderFileSize = 304;
inline constexpr int kCardFolderCount = 12;
// A folder's display name: at most 8 characters, stored without a terminator when it has 8.
inline constexpr std::size_t kDisplayNameLength = 8;

// The order file of the card in use, or none. The image lives inside the object, so unlike a
// global memory block it can never fail to be allocated or locked.
class OrderFile {
public:
    using Image = std::array<std::uint8_t, kOrderFileSize>;

    // The contents of a new file: signature, default order names, folder names, flags 0.
    static Image DefaultImage();

    bool has() const { return image_.has_value(); }
    explicit operator bool() const { return has(); }
    void reset() { image_.reset(); }
    void assign(const Image& image) { image_ = image; }
    // The bytes; empty when there is none.
    std::span<const std::uint8_t> bytes() const;

    // Folder `folder` (0 to 11) of the folder table. Out of range or none reads as empty / false
    // and writes nothing.
    std::string displayName(int folder) const;
    bool hasDesigns(int folder) const;
    // The name's first 8 characters, then zeros up to 8 bytes.
    void setDisplayName(int folder, std::string_view name);
    void setHasDesigns(int folder, bool hasDesigns);

private:
    // Where the folder's entry starts; nothing when out of range or none.
    std::optional<std::size_t> entryOffset(int folder) const;

    std::optional<Image> image_;
};

// The display names still held by the bytes of a damaged order file: entry i's name, read as
// displayName reads it, when the entry lies wholly inside `bytes`; empty otherwise.
std::array<std::string, kCardFolderCount> SalvageDisplayNames(std::span<const std::uint8_t> bytes);

// True for exactly 304 bytes that start with "VORLEX", "F" and "1"; nothing else is examined.
bool ValidateOrderFile(std::span<const std::uint8_t> image);

enum class OrderFileRead {
    Valid,     // read whole and valid: the only result that leaves an image
    Unusable,  // missing, of the wrong size (then deleted) or invalid: a new one may be written
    Failed,    // the read failed and the "Upload" message was shown
};

enum class OrderFileWrite { Written, NotWritten };

// Reads root + "Emb_OrdF.dat" into `orderFile`.
[[nodiscard]] OrderFileRead ReadOrderFile(WindowRef owner, const std::string& root, OrderFile& orderFile);

// Writes a new default file over the start of root + "Emb_OrdF.dat"; Written when all of it
// was. `orderFile` holds the default image whenever the file could be opened.
OrderFileWrite CreateOrderFile(const std::string& root, OrderFile& orderFile);

// Sets the display name of `folder` in `orderFile` and rewrites the whole image on the card.
// A file of the wrong size is deleted; a failed write is reported.
[[nodiscard]] OrderFileWrite UpdateFolderName(WindowRef owner, const std::string& root, int folder,
                                              std::string_view name, OrderFile& orderFile);

}  // namespace kx
