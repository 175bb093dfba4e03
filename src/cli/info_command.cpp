// A design's header and stream surveyed once, then shown as lines or as JSON.
#include "cli/info_command.h"

#include <iomanip>
#include <iostream>
#include <sstream>

#include "cli/design_commands.h"
#include "cli/exit_codes.h"
#include "cli/json_writer.h"
#include "design/byte_order.h"
#include "design/design_header.h"
#include "design/hoop.h"
#include "design/stitch_stream.h"
#include "render/preview.h"

namespace kx::cli {

namespace {

// Colour table entries listed in the lines before the rest is summed up.
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

// Everything info shows, gathered once for both forms.
struct DesignSurvey {
    const std::string& hostFile;
    std::span<const std::uint8_t> file;
    const DesignHeader& h;
    StreamSurvey stream;
    HoopCode fits;

    // Colour table entry `i`, when the file holds it.
    std::optional<std::int32_t> colour(std::size_t i) const {
        return i < h.colorCount() ? ReadI32LE(file, kColorTableOffset + i * kColorEntrySize) : std::nullopt;
    }
    bool offsetBeyondEnd() const { return h.stitchOffset() > file.size(); }
};

DesignSurvey Survey(const std::string& hostFile, std::span<const std::uint8_t> file, const DesignHeader& h) {
    return {hostFile, file, h, SurveyStream(file, h.stitchOffset()),
            ClassifyHoop(h.extentX1(), h.extentY1(), h.extentX2(), h.extentY2())};
}

std::string HoopName(const Hoop* hoop) { return hoop ? std::string(hoop->label) : "no hoop set"; }

std::string Hex(unsigned value) {
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << std::setw(2) << std::setfill('0') << value;
    return out.str();
}

// As the preview draws a thread: "#RRGGBB".
std::string ColourText(std::int32_t entry) {
    const Color colour = PreviewThreadColor(entry & 0xFFFF);
    std::ostringstream out;
    out << '#' << std::hex << std::uppercase << std::setfill('0') << std::setw(2) << int{RedOf(colour)}
        << std::setw(2) << int{GreenOf(colour)} << std::setw(2) << int{BlueOf(colour)};
    return out.str();
}

void PrintColours(const DesignSurvey& d) {
    std::cout << "colour table\t";
    std::size_t listed = 0;
    for (; listed < kListedColours; ++listed) {
        auto entry = d.colour(listed);
        if (!entry) break;
        std::cout << (listed ? "  " : "") << listed + 1 << ":" << *entry << " " << ColourText(*entry);
    }
    if (listed < d.h.colorCount())
        std::cout << (listed ? "  " : "") << "(" << d.h.colorCount() - listed
                  << " more not shown or beyond the file)";
    std::cout << '\n';
}

void PrintLines(const DesignSurvey& d) {
    const DesignHeader& h = d.h;
    const StreamSurvey& s = d.stream;
    std::cout << "file\t" << d.hostFile << " (" << d.file.size() << " bytes)\n"
              << "stitch offset\t" << h.stitchOffset() << (d.offsetBeyondEnd() ? " (beyond the end of the file)" : "")
              << '\n'
              << "colours\t" << h.colorCount() << '\n';
    PrintColours(d);
    std::cout << "records\t" << h.recordCount() << " (the stream holds " << s.records
              << (s.ended ? " through its end record)" : ", with no end record)") << '\n'
              << "stream\t" << s.stitches << " stitches, " << s.moves << " moves, " << s.colourChanges
              << " colour changes, " << s.otherControls << " other control records\n"
              << "hoop code\t" << h.hoopCode() << " (" << HoopName(FindHoop(h.hoopCode())) << ")\n"
              << "fits\t" << (d.fits == HoopCode::None ? "no hoop" : HoopName(FindHoop(d.fits))) << '\n'
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

// A hoop's label, or null for none.
void HoopValue(JsonWriter& json, const Hoop* hoop) {
    if (hoop)
        json.value(hoop->label);
    else
        json.null();
}

void FourSides(JsonWriter& json, std::string_view name, std::int32_t x1, std::int32_t y1, std::int32_t x2,
               std::int32_t y2) {
    json.key(name).beginObject().member("x1", x1).member("y1", y1).member("x2", x2).member("y2", y2).end();
}

void PrintJson(const DesignSurvey& d) {
    const DesignHeader& h = d.h;
    const StreamSurvey& s = d.stream;
    JsonWriter json(std::cout);
    json.beginObject()
        .member("file", d.hostFile)
        .member("bytes", d.file.size())
        .member("stitchOffset", h.stitchOffset())
        .member("stitchOffsetBeyondEnd", d.offsetBeyondEnd())
        .member("colours", h.colorCount())
        .key("colourTable")
        .beginArray();
    for (std::size_t i = 0; auto entry = d.colour(i); ++i)
        json.beginObject().member("thread", *entry).member("colour", ColourText(*entry)).end();
    json.end()
        .member("records", h.recordCount())
        .member("streamRecords", s.records)
        .member("endRecord", s.ended)
        .member("stitches", s.stitches)
        .member("moves", s.moves)
        .member("colourChanges", s.colourChanges)
        .member("otherControls", s.otherControls)
        .member("hoopCode", h.hoopCode())
        .key("hoop");
    HoopValue(json, FindHoop(h.hoopCode()));
    json.key("fits");
    HoopValue(json, d.fits == HoopCode::None ? nullptr : FindHoop(d.fits));
    FourSides(json, "extents", h.extentX1(), h.extentY1(), h.extentX2(), h.extentY2());
    FourSides(json, "margins", h.marginX1(), h.marginY1(), h.marginX2(), h.marginY2());
    json        .member("pairMark", h.hasPairMark())
        .member("pairLetter", h.pairLetter())
        .member("pairCompanion", h.pairCompanion())
        .end();
}

}  // namespace

int InfoCommand(const std::string& hostFile, bool json) {
    auto file = ReadDesignArgument(hostFile);
    if (!file) return kExitRefused;
    auto header = DesignHeader::parse(*file);
    if (!header) {
        std::cerr << "kxcard: " << hostFile << " is shorter than a design header (" << kDesignHeaderSize
                  << " bytes)" << std::endl;
        return kExitRefused;
    }
    const DesignSurvey survey = Survey(hostFile, *file, *header);
    if (json)
        PrintJson(survey);
    else
        PrintLines(survey);
    return kExitDone;
}

}  // namespace kx::cli
