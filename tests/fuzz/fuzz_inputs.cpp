// One libFuzzer target over the bytes kxcard takes from outside: the first byte picks the check (a
// card's order file, then a design's header, card conversion or drawings), the rest is its input.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "card/card_layout.h"
#include "card/order_file.h"
#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "design/stitch_stream.h"
#include "platform/posix/posix_platform.h"
#include "render/preview.h"
#include "render/thumbnail.h"
#include "support/design_builder.h"
#include "verify/card_verify.h"

namespace {

using namespace kx;
using Input = std::vector<std::uint8_t>;
using Bytes = std::span<const std::uint8_t>;
using test::DesignBuilder;

// A broken rule is a finding: say which and abort, so that libFuzzer keeps the input.
[[noreturn]] void Fail(int line, const char* rule) {
    std::fprintf(stderr, "fuzz_inputs.cpp:%d: check failed: %s\n", line, rule);
    std::abort();
}
#define KX_FUZZ_CHECK(rule) ((rule) ? void() : Fail(__LINE__, #rule))

bool Same(Bytes a, Bytes b) { return std::ranges::equal(a, b); }
std::string_view Text(Bytes bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }
Input DefaultImage() {
    const auto image = OrderFile::DefaultImage();
    return Input(image.begin(), image.end());
}

// A temporary folder mapped as removable drive E: for the whole run; every question answered No.
struct Card : MessageSink {
    std::string folder = (std::filesystem::temp_directory_path() / "kxfuzz-order-XXXXXX").string();
    PosixPlatform platform;
    Card() {
        KX_FUZZ_CHECK(::mkdtemp(folder.data()));
        platform.mapDrive('E', folder, DriveType::Removable);
        setPlatform(&platform);
        setMessageSink(this);
    }
    ~Card() override {
        setPlatform(nullptr);
        setMessageSink(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    int show(WindowRef, const std::string&, const std::string&, unsigned) override { return id::NO; }
    void putOrderFile(Bytes bytes) const {
        std::ofstream out(folder + "/Emb_OrdF.dat", std::ios::binary | std::ios::trunc);
        KX_FUZZ_CHECK(out.write(Text(bytes).data(), std::ssize(bytes)).good());
    }
};

// Any bytes as a card's order file: the read takes exactly the valid ones; verify's repair leaves a
// valid file, a valid one untouched, with the names that could still be read; the layout check
// always passes and a rename then round-trips (the whole image is written, flags included).
void CheckOrderFile(Bytes in) {
    static Card card;
    const bool valid = ValidateOrderFile(in);
    OrderFile read, reread;
    card.putOrderFile(in);
    KX_FUZZ_CHECK(ReadOrderFile(0, "E:\\", read) == (valid ? OrderFileRead::Valid : OrderFileRead::Unusable));
    KX_FUZZ_CHECK(read.has() == valid && (!valid || Same(in, read.bytes())));
    card.putOrderFile(in);
    VerifyCard("E:\\", {}, true, "");
    KX_FUZZ_CHECK(ReadOrderFile(0, "E:\\", reread) == OrderFileRead::Valid && (!valid || Same(in, reread.bytes())));
    const auto salvaged = SalvageDisplayNames(in);
    for (std::size_t i = 0; i < salvaged.size(); ++i) {
        const std::string kept = reread.displayName(static_cast<int>(i));
        KX_FUZZ_CHECK(valid || kept == salvaged[i] || kept == DesignFolderNames[i]);
    }
    card.putOrderFile(in);
    KX_FUZZ_CHECK(CheckCardLayout(0, "E:\\", read));
    const std::string name(Text(in).substr(0, 8));
    const int folder = in.empty() ? -1 : in.back() % 14 - 1;
    const bool renamed = folder >= 0 && folder < kCardFolderCount;
    KX_FUZZ_CHECK(UpdateFolderName(0, "E:\\", folder, name, read) ==
                  (renamed ? OrderFileWrite::Written : OrderFileWrite::NotWritten));
    const Input expected = renamed ? Input(read.bytes().begin(), read.bytes().end())
                           : valid ? Input(in.begin(), in.end())
                                   : DefaultImage();
    KX_FUZZ_CHECK(ReadOrderFile(0, "E:\\", reread) == OrderFileRead::Valid && Same(expected, reread.bytes()));
    KX_FUZZ_CHECK(!renamed || reread.displayName(folder) == name.substr(0, name.find('\0')));
}

// The header and the file-name checks. Hoop normalisation in both forms changes nothing past the header
// and nothing at all in a shorter design; a normalised header stays as it is.
void CheckDesignHeader(Bytes in) {
    IsDesignFileName(Text(in));
    IsPairPartName(Text(in));
    const auto header = DesignHeader::parse(in);
    KX_FUZZ_CHECK(header.has_value() == (in.size() >= kDesignHeaderSize));
    const std::size_t kept = header ? kDesignHeaderSize : 0;
    Input design(in.begin(), in.end()), checked = design;
    NormalizeHoopFieldsForHostDesign(std::span(design));
    const bool pair = CheckPairPart(std::span(checked), "ROSE.kxd");
    const bool fits = NormalizeHoopFieldsForPcDesign(std::span(checked));
    KX_FUZZ_CHECK(Same(Bytes(design).subspan(kept), in.subspan(kept)) && Same(Bytes(checked).subspan(kept), in.subspan(kept)));
    KX_FUZZ_CHECK(!pair && (header || (!fits && checked == design)));
    const auto normalized = header ? NormalizedHoopFieldsForPcDesign(*header) : std::nullopt;
    KX_FUZZ_CHECK(!normalized ||
                  (FindHoop(normalized->hoopCode()) && NormalizedHoopFieldsForPcDesign(*normalized) == normalized));
}

// The conversion for the card: a converted stream starts with a move and ends with its one end
// record, holds no second-form move and a zero record after each colour change (parameters stepped
// over: in a design that breaks the format they may look like anything); a refused design gives
// nothing. The two growing steps leave a buffer they refuse untouched.
void CheckCardConversion(Bytes in) {
    const CardConversion conversion = ConvertDesignForCard(in);
    const Input& out = conversion.bytes;
    KX_FUZZ_CHECK(conversion.outcome == CardConversion::Outcome::Converted || out.empty());
    const auto header = DesignHeader::parse(out);
    const std::size_t start = header ? header->stitchOffset() : 0;
    auto at = [&](std::size_t i) { return StitchRecord{out[i], out[i + 1]}; };
    KX_FUZZ_CHECK(out.empty() || (header && out.size() >= start + 4 && (out.size() - start) % kRecordSize == 0 &&
                                  at(start).isControl(ControlCode::Move) && at(out.size() - kRecordSize).isControl(ControlCode::End)));
    for (std::size_t i = start; i < out.size(); i += kRecordSize) {
        const StitchRecord r = at(i);
        KX_FUZZ_CHECK(!r.isControl(ControlCode::MoveAlt) && (!r.isControl(ControlCode::End) || i + kRecordSize == out.size()));
        if (!r.isControl(ControlCode::ColorChange) && !r.isControl(ControlCode::Move)) continue;
        i += kRecordSize;
        KX_FUZZ_CHECK(i < out.size() && (!r.isControl(ControlCode::ColorChange) || at(i).isZero()));
    }
    Input work(in.begin(), in.end());
    KX_FUZZ_CHECK(InsertLeadingMove(work) || Same(work, in));
    work.assign(in.begin(), in.end());
    KX_FUZZ_CHECK(SplitColorChanges(work, in.empty() ? 0 : static_cast<std::int8_t>(in.back())) || Same(work, in));
}

// The preview touches the canvas only where the pane shows it, or not at all when it refuses the
// design: below the field the canvas is grey but for column 0, which keeps what it held; positions
// pinned to the field's lower edge may draw on the row just below it. The thumbnail record keeps its
// layout, each column's first H bytes codes a design can draw, the rest zeros.
void CheckDrawings(Bytes design) {
    for (auto [w, h] : {std::pair{92, 128}, {70, 20}}) {
        constexpr Color kBefore = Rgb(1, 2, 3);
        Raster canvas(w, h, kBefore);
        const auto result = RenderPreviewPixels(design, canvas);
        const int field = result ? result->fieldHeight : 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Color c = canvas.pixel(x, y), below = x == 0 ? kBefore : kLightGray;
                const bool drawn = c == kWhite || c == kBlack || std::ranges::count(kPreviewPalette, c);
                KX_FUZZ_CHECK(!result ? c == kBefore : y < field ? drawn : c == below || (y == field && drawn));
            }
    }
    const auto record = MakeThumbnailRecord(design);
    const auto header = DesignHeader::parse(design);
    const auto g = header ? FindThumbnailGeometry(header->hoopCode()) : std::nullopt;
    KX_FUZZ_CHECK(record.has_value() == g.has_value());
    if (!record) return;
    const auto h = static_cast<std::size_t>(g->height), s = static_cast<std::size_t>(g->columnSize);
    KX_FUZZ_CHECK(record->size() == 60 + static_cast<std::size_t>(g->width) * s);
    for (std::size_t i = 0; i + 60 < record->size(); ++i) {
        const std::uint8_t c = (*record)[48 + i];
        KX_FUZZ_CHECK(i % s >= h ? c == 0
                                 : c == kThumbnailBackground || c == kThumbnailMissingColor || std::ranges::count(kThumbnailThreadCodes, c));
    }
}

using Check = void (*)(Bytes);
constexpr Check kChecks[] = {CheckOrderFile, CheckDesignHeader, CheckCardConversion, CheckDrawings};

// Seeds: order files, then designs (for every design check).
std::vector<std::vector<Input>> Seeds() {
    Input renamed = DefaultImage(), shorter = DefaultImage();
    std::fill(renamed.begin() + 160, renamed.begin() + 172, 'R');
    shorter.pop_back();
    DesignBuilder many = DesignBuilder().colors({1, 2, 3}), drawn = DesignBuilder().colors({4, 80, 0xFFFFFFFF}).hoopCode(2);
    for (int i = 0; i < 100; ++i) many.stitch(3, -3).colorChange(1, 0);
    for (int i = 0; i < 300; ++i)
        drawn.stitch(127, -90).colorChange(3, 1).move(119, -4).control(0x30).record(1, 1).control(0x0B).record(9, 9);
    return {{DefaultImage(), renamed, shorter},
            {DesignBuilder().colors({1, 2}).stitch(10, 10).end().bytes(),
             DesignBuilder().hoopCode(2).extents(640, 0, 0, 0).margins(-1, -1, -1, -1).bytes(),
             DesignBuilder().extents(701, 0, 0, 0).pairMark('B', 1).bytes(),
             DesignBuilder().recordCount(65536).extents(-5, INT32_MIN, 250, 250).bytes(),
             DesignBuilder().colors({7}).stitch(1, 1).moveSecondForm(2, 2).colorChange(5, 3).colorChange().end()
                 .trailing({1, 2, 3}).bytes(),
             DesignBuilder().moveSecondForm(0, 0).stitch(1, -1).end().bytes(),
             DesignBuilder().stitch(1, 1).end().recordCount(65533).bytes(),
             DesignBuilder().stitch(1, 1).colorChange(4, 4).bytes(), many.end().bytes(),
             drawn.end().bytes(), drawn.colorCount(0x8000).hoopCode(5).bytes()}};
}

}  // namespace

// With -kx_seed_dir=DIR as its one argument: the seeds into DIR, each behind the number of a check it
// serves, then exit.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const std::string_view flag = "-kx_seed_dir=", arg = *argc == 2 ? (*argv)[1] : "";
    if (!arg.starts_with(flag)) return 0;
    const std::filesystem::path dir = arg.substr(flag.size());
    std::filesystem::create_directories(dir);
    const auto seeds = Seeds();
    for (std::size_t check = 0, n = 0; check < std::size(kChecks); ++check)
        for (const Input& seed : seeds[check == 0 ? 0 : 1]) {
            std::ofstream out(dir / ("seed-" + std::to_string(n++)), std::ios::binary);
            if (!out.put(static_cast<char>(check)).write(Text(seed).data(), std::ssize(seed))) std::exit(1);
        }
    std::exit(0);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0) kChecks[data[0] % std::size(kChecks)](Bytes(data + 1, size - 1));
    return 0;
}
