// Design information and card conversion.
#include "cli/design_commands.h"

#include <iomanip>
#include <iostream>
#include <sstream>

#include "cli/exit_codes.h"
#include "cli/host_paths.h"
#include "cli/output_file.h"
#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "design/design_header.h"
#include "design/hoop.h"
#include "design/stitch_stream.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "render/preview.h"

namespace kx::cli {

namespace {

// Colour table entries listed before the rest is summed up.
constexpr std::size_t kListedColours = 64;

// What the stream holds, walked within the file's bytes.
struct StreamSurvey {
    std::size_t records = 0;  // through the end record when there is one
    std::size_t stitches = 0, moves = 0, colourChanges = 0, otherControls = 0;
    bool ended = false;
};

StreamSurvey SurveyStream(std::span<const std::uint8_t> file, std::size_t start) {
    StreamSurvey s;
    for (std::size_t at = start; FitsAt(file.size(), at, kRecordSize); at += kRecordSize) {
        ++s.records;
        StitchRecord r{file[at], file[at + 1]};
        if (!r.isControl()) {
            ++s.stitches;
        } else if (r.isControl(ControlCode::End)) {
            s.ended = true;
            break;
        } else if (r.isControl(ControlCode::Move) || r.isControl(ControlCode::MoveAlt) ||
                   r.isControl(ControlCode::ColorChange)) {
            ++(r.isControl(ControlCode::ColorChange) ? s.colourChanges : s.moves);
            if (FitsAt(file.size(), at + kRecordSize, kRecordSize)) {
                at += kRecordSize;  // the displacement belongs to the control record
                ++s.records;
            }
        } else {
            ++s.otherControls;
        }
    }
    return s;
}

std::string HoopName(const Hoop* hoop) { return hoop ? std::string(hoop->label) : "no hoop set"; }

std::string Hex(unsigned value) {
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << std::setw(2) << std::setfill('0') << value;
    return out.str();
}

// As the preview draws a thread: "#RRGGBB".
std::string ColourText(Color colour) {
    std::ostringstream out;
    out << '#' << std::hex << std::uppercase << std::setfill('0') << std::setw(2) << int{RedOf(colour)}
        << std::setw(2) << int{GreenOf(colour)} << std::setw(2) << int{BlueOf(colour)};
    return out.str();
}

void PrintColours(std::span<const std::uint8_t> file, const DesignHeader& h) {
    std::cout << "colour table\t";
    std::size_t listed = 0;
    for (std::size_t i = 0; i < h.colorCount() && listed < kListedColours; ++i, ++listed) {
        auto entry = ReadI32LE(file, kColorTableOffset + i * kColorEntrySize);
        if (!entry) break;
        std::cout << (i ? "  " : "") << i + 1 << ":" << *entry << " "
                  << ColourText(PreviewThreadColor(*entry & 0xFFFF));
    }
    if (listed < h.colorCount())
        std::cout << (listed ? "  " : "") << "(" << h.colorCount() - listed
                  << " more not shown or beyond the file)";
    std::cout << '\n';
}

void PrintInfo(const std::string& hostFile, std::span<const std::uint8_t> file, const DesignHeader& h) {
    StreamSurvey s = SurveyStream(file, h.stitchOffset());
    HoopCode fits = ClassifyHoop(h.extentX1(), h.extentY1(), h.extentX2(), h.extentY2());
    std::cout << "file\t" << hostFile << " (" << file.size() << " bytes)\n"
              << "stitch offset\t" << h.stitchOffset()
              << (h.stitchOffset() > file.size() ? " (beyond the end of the file)" : "") << '\n'
              << "colours\t" << h.colorCount() << '\n';
    PrintColours(file, h);
    std::cout << "records\t" << h.recordCount() << " (the stream holds " << s.records
              << (s.ended ? " through its end record)" : ", with no end record)") << '\n'
              << "stream\t" << s.stitches << " stitches, " << s.moves << " moves, " << s.colourChanges
              << " colour changes, " << s.otherControls << " other control records\n"
              << "hoop code\t" << h.hoopCode() << " (" << HoopName(FindHoop(h.hoopCode())) << ")\n"
              << "fits\t" << (fits == HoopCode::None ? "no hoop" : HoopName(FindHoop(fits))) << '\n'
              << "extents\tx1 " << h.extentX1() << "  y1 " << h.extentY1() << "  x2 " << h.extentX2()
              << "  y2 " << h.extentY2() << "  (width " << std::int64_t{h.extentX1()} + h.extentX2()
              << ", height " << std::int64_t{h.extentY1()} + h.extentY2() << ")\n"
              << "margins\tx1 " << h.marginX1() << "  y1 " << h.marginY1() << "  x2 " << h.marginX2()
              << "  y2 " << h.marginY2() << '\n'
              << "pair mark\t";
    if (h.hasPairMark())
        std::cout << static_cast<char>(h.pairLetter()) << ", companion " << Hex(h.pairCompanion()) << '\n';
    else
        std::cout << "none (" << Hex(h.pairLetter()) << " " << Hex(h.pairCompanion()) << ")\n";
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadDesignArgument(const std::string& hostFile) {
    auto path = WindowsPathOf(hostFile);
    if (!path) {
        std::cerr << "kxcard: " << hostFile << ": no drive covers it" << std::endl;
        return std::nullopt;
    }
    auto bytes = ReadWholeFile(*path);
    if (!bytes) std::cerr << "kxcard: " << hostFile << ": " << platform().lastError() << std::endl;
    return bytes;
}

int InfoCommand(const std::string& hostFile) {
    auto file = ReadDesignArgument(hostFile);
    if (!file) return kExitRefused;
    auto header = DesignHeader::parse(*file);
    if (!header) {
        std::cerr << "kxcard: " << hostFile << " is shorter than a design header (" << kDesignHeaderSize
                  << " bytes)" << std::endl;
        return kExitRefused;
    }
    PrintInfo(hostFile, *file, *header);
    return kExitDone;
}

int ConvertCommand(const std::string& hostFile, const std::string& hostOut) {
    if (!IsDesignFileName(FileNamePart(hostFile))) {
        std::cerr << "kxcard: " << hostFile << " is not named as a design file (.kxd)" << std::endl;
        return kExitRefused;
    }
    auto file = ReadDesignArgument(hostFile);
    if (!file) return kExitRefused;
    CardConversion conversion = ConvertDesignForCard(*file);
    switch (conversion.outcome) {
        case CardConversion::Outcome::Refused:
            std::cerr << "kxcard: " << hostFile << ": " << RefusalReason(conversion.refusal) << std::endl;
            return kExitRefused;
        case CardConversion::Outcome::PlainCopy:
            std::cerr << "kxcard: the stream of " << hostFile
                      << " cannot be interpreted; it goes to the card unchanged" << std::endl;
            return WriteOutputFile(hostOut, *file) ? kExitDone : kExitRefused;
        case CardConversion::Outcome::Converted: break;
    }
    return WriteOutputFile(hostOut, conversion.bytes) ? kExitDone : kExitRefused;
}

}  // namespace kx::cli
