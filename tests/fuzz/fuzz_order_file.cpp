// Fuzzes the order file as found on a card: any bytes as "Emb_OrdF.dat" on a folder mapped as E:,
// then verify's repair, the read, the validation, the layout check and a folder rename over them.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "card/card_layout.h"
#include "card/order_file.h"
#include "fuzz_support.h"
#include "platform/messages.h"
#include "platform/posix/posix_platform.h"
#include "verify/card_verify.h"

namespace {

using kx::fuzz::Input;

// Answers every question No and keeps the run quiet.
class SilentMessages : public kx::MessageSink {
public:
    int show(kx::WindowRef, const std::string&, const std::string&, unsigned) override { return kx::id::NO; }
};

// A temporary folder mapped as removable drive E: for the whole run.
struct Card {
    std::string folder;
    kx::PosixPlatform platform;
    SilentMessages messages;

    Card() {
        char pattern[] = "/tmp/kxfuzz-order-XXXXXX";
        KX_FUZZ_CHECK(::mkdtemp(pattern) != nullptr);
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

    void putOrderFile(const std::uint8_t* data, std::size_t size) const {
        std::ofstream out(folder + "/Emb_OrdF.dat", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        KX_FUZZ_CHECK(out.good());
    }
};

Input DefaultImage() {
    const auto image = kx::OrderFile::DefaultImage();
    return Input(image.begin(), image.end());
}

const kx::fuzz::Seeds seeds([] {
    Input renamed = DefaultImage();
    std::fill(renamed.begin() + 160, renamed.begin() + 172, 'R');
    Input wrongVersion = DefaultImage();
    wrongVersion[7] = '2';
    Input shorter = DefaultImage(), longer = DefaultImage();
    shorter.pop_back();
    longer.push_back(0);
    return std::vector<Input>{DefaultImage(), renamed, wrongVersion, shorter, longer, Input{}};
});

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Card card;
    const std::string root = "E:\\";
    const bool valid = kx::ValidateOrderFile({data, size});
    KX_FUZZ_CHECK(valid == (size == kx::kOrderFileSize && std::memcmp(data, "VORLEXF1", 8) == 0));

    // A repair leaves a valid file: this one untouched, any other rebuilt keeping readable names.
    card.putOrderFile(data, size);
    const auto salvaged = kx::SalvageDisplayNames({data, size});
    kx::VerifyCard(root, {}, true);
    kx::OrderFile repaired;
    KX_FUZZ_CHECK(kx::ReadOrderFile(0, root, repaired) == kx::OrderFileRead::Valid);
    if (valid) KX_FUZZ_CHECK(std::equal(data, data + size, repaired.bytes().begin()));
    for (int i = 0; i < kx::kCardFolderCount; ++i) {
        const std::string& name = salvaged[static_cast<std::size_t>(i)];
        KX_FUZZ_CHECK(name.size() <= 8);
        KX_FUZZ_CHECK(valid || repaired.displayName(i) == name ||
                      repaired.displayName(i) == kx::DesignFolderNames[static_cast<std::size_t>(i)]);
    }

    card.putOrderFile(data, size);
    kx::OrderFile orderFile;
    KX_FUZZ_CHECK(kx::ReadOrderFile(0, root, orderFile) ==
                  (valid ? kx::OrderFileRead::Valid : kx::OrderFileRead::Unusable));
    KX_FUZZ_CHECK(orderFile.has() == valid);
    if (valid) KX_FUZZ_CHECK(std::equal(data, data + size, orderFile.bytes().begin()));
    for (int i = -1; i <= kx::kCardFolderCount; ++i) KX_FUZZ_CHECK(orderFile.displayName(i).size() <= 8);

    // The check keeps a valid file and replaces anything else; a rename then round-trips.
    card.putOrderFile(data, size);
    KX_FUZZ_CHECK(kx::CheckCardLayout(0, root, orderFile) == 1);
    const std::string name(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 8));
    const int folder = size ? data[size - 1] % 14 - 1 : -1;
    const bool inRange = folder >= 0 && folder < kx::kCardFolderCount;
    KX_FUZZ_CHECK(kx::UpdateFolderName(0, root, folder, name, orderFile) ==
                  (inRange ? kx::OrderFileWrite::Written : kx::OrderFileWrite::NotWritten));
    // A rename writes the whole image, flags included; otherwise the card keeps what the check left.
    const Input expected = inRange ? Input(orderFile.bytes().begin(), orderFile.bytes().end())
                           : valid ? Input(data, data + size)
                                   : DefaultImage();
    kx::OrderFile reread;
    KX_FUZZ_CHECK(kx::ReadOrderFile(0, root, reread) == kx::OrderFileRead::Valid);
    KX_FUZZ_CHECK(std::equal(expected.begin(), expected.end(), reread.bytes().begin()));
    if (inRange) KX_FUZZ_CHECK(reread.displayName(folder) == name.substr(0, name.find('\0')));
    return 0;
}
