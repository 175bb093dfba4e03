// Fuzzes the order file as found on a card: any bytes as "Emb_OrdF.dat" on a folder mapped as E:,
// then the read, the validation, the layout check and a folder rename over them.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "card/card_layout.h"
#include "card/order_file.h"
#include "platform/messages.h"
#include "platform/posix/posix_platform.h"

namespace {

// Answers every question No and keeps the run quiet.
class SilentMessages : public kx::MessageSink {
public:
    int show(kx::WindowRef, const std::string&, const std::string&, unsigned) override { return kx::id::NO; }
};

struct Card {
    std::string folder;
    kx::PosixPlatform platform;
    SilentMessages messages;

    Card() {
        char pattern[] = "/tmp/kxfuzz-order-XXXXXX";
        if (!::mkdtemp(pattern)) std::abort();
        folder = pattern;
        platform.mapDrive('E', folder, kx::DRIVE_TYPE_REMOVABLE);
        kx::setPlatform(&platform);
        kx::setMessageSink(&messages);
    }
    ~Card() {
        kx::setPlatform(nullptr);
        kx::setMessageSink(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void putOrderFile(const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(folder + "/Emb_OrdF.dat", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) std::abort();
    }
};

void Require(bool condition) {
    if (!condition) std::abort();
}


// The first input byte chooses the file: odd makes a 304-byte file behind a valid signature, so the
// valid path is reached at once; even takes the remaining bytes as they are, of any size.
std::vector<std::uint8_t> OrderFileBytes(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return {};
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    if (data[0] & 1) {
        const char signature[] = "VORLEXF1";
        bytes.insert(bytes.begin(), signature, signature + 8);
        bytes.resize(kx::kOrderFileSize);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Card card;
    const std::string root = "E:\\";
    const std::vector<std::uint8_t> bytes = OrderFileBytes(data, size);
    const bool valid = kx::ValidateOrderFile(bytes);
    Require(valid == (bytes.size() == kx::kOrderFileSize && std::memcmp(bytes.data(), "VORLEXF1", 8) == 0));

    card.putOrderFile(bytes);
    kx::OrderFile orderFile;
    Require(kx::ReadOrderFile(0, root, orderFile) == (valid ? 1 : 0));
    Require(orderFile.has() == valid);
    if (valid) Require(std::equal(bytes.begin(), bytes.end(), orderFile.bytes().begin()));
    for (int i = -1; i <= kx::kCardFolderCount; ++i) Require(orderFile.displayName(i).size() <= 8);

    // The check keeps a valid file and replaces anything else; a rename then round-trips.
    card.putOrderFile(bytes);
    Require(kx::CheckCardLayout(0, root, orderFile) == 1);
    const std::string name(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(bytes.size(), 8)));
    const int folder = size ? static_cast<int>(data[size - 1] % 14) - 1 : -1;
    const bool inRange = folder >= 0 && folder < kx::kCardFolderCount;
    Require(kx::UpdateFolderName(0, root, folder, name, orderFile) == (inRange ? 1 : 0));
    kx::OrderFile reread;
    Require(kx::ReadOrderFile(0, root, reread) == 1);
    Require(std::equal(reread.bytes().begin(), reread.bytes().end(), orderFile.bytes().begin()));
    if (inRange) Require(reread.displayName(folder) == name.substr(0, name.find('\0')));
    return 0;
}
