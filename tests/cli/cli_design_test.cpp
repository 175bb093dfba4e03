// One design as it is: info, conversion, thumbnail and preview pictures; and the demo.
#include <gtest/gtest.h>

#include <set>

#include "design/design_header.h"
#include "design/stitch_stream.h"
#include "support/design_builder.h"
#include "tool_runner.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kThumbnailBackground = 0x0020E0;  // code 0x0F drawn as a colour
constexpr std::uint32_t kLightGrey = 0xC0C0C0;

std::set<std::uint32_t> Colours(const DecodedPng& png) {
    std::set<std::uint32_t> colours;
    for (int y = 0; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x) colours.insert(png.pixel(x, y));
    return colours;
}

TEST(ToolInfo, ShowsTheHeaderAsStoredAndWhatTheStreamHolds) {
    ToolSandbox box;
    fs::path heart = box.sample("HEART.kxd");
    auto header = DesignHeader::parse(ReadFileBytes(heart));
    ToolRun r = box.run({"info", heart.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string records = std::to_string(header->recordCount());
    EXPECT_NE(
        r.out.find("records\t" + records + " (the stream holds " + records + " through its end record)"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("hoop code\t1 (Hoop Size  C)"), std::string::npos) << r.out;
    // Each thread with the colour the preview draws it in.
    EXPECT_NE(r.out.find("colour table\t1:10 #FF0000  2:17 #F999B7\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 colour changes"), std::string::npos) << r.out;

    fs::path odd = box.put(
        box.pc() / "ODD.kxd",
        DesignBuilder().colors({5}).hoopCode(9).extents(800, 0, 0, 0).stitch(1, 1).pairMark('Q', 7).bytes());
    ToolRun o = box.run({"info", odd.string()});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("hoop code\t9 (no hoop set)"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("fits\tno hoop"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("with no end record"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("pair mark\tQ, companion 0x07"), std::string::npos) << o.out;
}

TEST(ToolInfo, FilesThatAreNotDesignsFailWithExit1) {
    ToolSandbox box;
    fs::path tiny = box.put(box.pc() / "tiny.kxd", std::vector<std::uint8_t>(115, 0));
    EXPECT_EQ(box.run({"info", tiny.string()}).status, 1);
    ToolRun missing = box.run({"info", (box.pc() / "none.kxd").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
    // A colour count far beyond the file lists what is there and stops.
    fs::path lying =
        box.put(box.pc() / "LIE.kxd", DesignBuilder().colors({3}).colorCount(4000000000u).end().bytes());
    ToolRun r = box.run({"info", lying.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("not shown or beyond the file"), std::string::npos) << r.out;
}

TEST(ToolConvert, WritesTheCardFormWithSplitColourChanges) {
    ToolSandbox box;
    fs::path card = box.sample("CARD.kxd");
    fs::path out = box.root() / "CARD.card.kxd";
    ToolRun r = box.run({"convert", card.string(), "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    auto before = DesignHeader::parse(ReadFileBytes(card));
    auto converted = ReadFileBytes(out);
    auto after = DesignHeader::parse(converted);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->recordCount(), before->recordCount() + 6);  // three shifted changes split
    EXPECT_EQ(converted.size(), ReadFileBytes(card).size() + 12);
    EXPECT_EQ(converted[after->stitchOffset()], kControlMark);
    EXPECT_EQ(converted[after->stitchOffset() + 1], CONTROL_MOVE);
}

TEST(ToolConvert, AStreamWithoutEndGoesUnchangedAndRefusalsWriteNothing) {
    ToolSandbox box;
    fs::path open = box.put(box.pc() / "OPEN.kxd", DesignBuilder().colors({1}).stitch(3, 3).bytes());
    fs::path out = box.root() / "open.out";
    ToolRun r = box.run({"convert", open.string(), "-o", out.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("unchanged"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(open));

    fs::path empty = box.put(box.pc() / "EMPTY.kxd", {});
    fs::path text = box.put(box.pc() / "design.txt", ReadFileBytes(open));
    for (const fs::path& refused : {empty, text, box.pc() / "NONE.kxd"}) {
        fs::path target = box.root() / "refused.out";
        EXPECT_EQ(box.run({"convert", refused.string(), "-o", target.string()}).status, 1) << refused;
        EXPECT_FALSE(fs::exists(target)) << refused;
    }
}

TEST(ToolConvert, AnOutputThatCannotBeWrittenLeavesNoFileBehind) {
    ToolSandbox box;
    fs::path heart = box.sample("HEART.kxd");
    fs::path nowhere = box.root() / "no-such-folder" / "out.kxd";
    ToolRun r = box.run({"convert", heart.string(), "-o", nowhere.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos);
    fs::create_directory(box.root() / "locked");
    fs::path blocked = box.root() / "locked" / "out.kxd";
    fs::create_directory(blocked);  // a folder where the file should go
    EXPECT_EQ(box.run({"convert", heart.string(), "-o", blocked.string()}).status, 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(box.root() / "locked"), fs::directory_iterator()), 1);
}

TEST(ToolThumbnail, TheRecordIsTheOneTheWritePutsOnTheCard) {
    ToolSandbox box;
    fs::path heart = box.sample("HEART.kxd");
    ASSERT_EQ(box.run({"--card", box.card().string(), "write", "0", heart.string()}).status, 0);
    fs::path record = box.root() / "heart.kxt";
    ToolRun r = box.run({"thumbnail", (box.card() / "EmbF5" / "HEART.kxd").string(), "-o", record.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(record), ReadFileBytes(box.card() / "EmbF5" / "HEART.kxt"));
}

TEST(ToolThumbnail, APngIsTheRecordEnlargedWithSharpPixels) {
    ToolSandbox box;
    struct Case {
        const char* sample;
        int width, height;  // canvas of the stored hoop code
    };
    for (Case c : {Case{"HEART.kxd", 30, 30}, Case{"FLOWER.kxd", 40, 58}, Case{"STAR.kxd", 46, 40}}) {
        fs::path png = box.root() / (std::string(c.sample) + ".png");
        ASSERT_EQ(box.run({"thumbnail", box.sample(c.sample).string(), "-o", png.string()}).status, 0);
        auto decoded = DecodePng(png);
        ASSERT_TRUE(decoded) << c.sample;
        EXPECT_EQ(decoded->width, c.width * 8) << c.sample;
        EXPECT_EQ(decoded->height, c.height * 8) << c.sample;
        EXPECT_EQ(decoded->pixel(0, 0), kThumbnailBackground) << c.sample;
        EXPECT_GE(Colours(*decoded).size(), 3u) << c.sample;  // background and at least two threads
        for (int y = 0; y < decoded->height; y += 8)
            for (int x = 0; x < decoded->width; x += 8)
                ASSERT_EQ(decoded->pixel(x + 7, y + 7), decoded->pixel(x, y))
                    << c.sample << " " << x << "," << y;
    }
}

TEST(ToolThumbnail, HeartThreadsComeBackAsTheirDrawingColours) {
    ToolSandbox box;
    fs::path png = box.root() / "heart.png";
    ASSERT_EQ(box.run({"thumbnail", box.sample("HEART.kxd").string(), "-o", png.string()}).status, 0);
    auto colours = Colours(*DecodePng(png));
    // Thread 10 is code 0x14 and thread 17 code 0x93 in the thumbnail's table.
    EXPECT_TRUE(colours.count(0x004080)) << "red thread";
    EXPECT_TRUE(colours.count(0x8040 * 0x100 + 0x60)) << "pink thread";
}

TEST(ToolPreview, DefaultCanvasIsThePanesAndTheLabelGoesToStdout) {
    ToolSandbox box;
    fs::path png = box.root() / "heart.png";
    ToolRun r = box.run({"preview", box.sample("HEART.kxd").string(), "-o", png.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Hoop Size  C\n");
    auto decoded = DecodePng(png);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 92);
    EXPECT_EQ(decoded->height, 128);
    // Hoop C's field is w + 6 = 98 rows high; below it the canvas stays grey.
    EXPECT_EQ(decoded->pixel(5, 127), kLightGrey);
    EXPECT_EQ(decoded->pixel(5, 97 - 1), 0xFFFFFF);
    auto colours = Colours(*decoded);
    EXPECT_TRUE(colours.count(0xFF0000)) << "thread 10";
    EXPECT_TRUE(colours.count(0xF999B7)) << "thread 17";
}

TEST(ToolPreview, SizeAndHoopLabelFollowTheDesign) {
    ToolSandbox box;
    struct Case {
        const char* sample;
        const char* label;
    };
    for (Case c : {Case{"GIANT.kxd", "Hoop Size  --\n"}, Case{"FLOWER.kxd", "Hoop Size  B\n"},
                   Case{"STAR.kxd", "Hoop Size  A(F)\n"}}) {
        fs::path png = box.root() / "p.png";
        ToolRun r =
            box.run({"preview", box.sample(c.sample).string(), "-o", png.string(), "--size", "300x200"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.label);
        auto decoded = DecodePng(png);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->width, 300);
        EXPECT_EQ(decoded->height, 200);
    }
}

TEST(ToolPreview, AnUnreadableDesignWritesNoPicture) {
    ToolSandbox box;
    fs::path tiny = box.put(box.pc() / "tiny.kxd", {1, 2, 3});
    fs::path png = box.root() / "tiny.png";
    EXPECT_EQ(box.run({"preview", tiny.string(), "-o", png.string()}).status, 1);
    EXPECT_FALSE(fs::exists(png));
}

TEST(ToolDemo, WritesSamplesToACardAndReportsFilesThatExist) {
    ToolSandbox box;
    fs::path dir = box.root() / "demo";
    ToolRun r = box.run({"demo", "--dir", dir.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("The \"GIANT\" design exceeds the hoop size limits."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("The pattern (FILL) exceeds the 64000 stitch limit."), std::string::npos) << r.err;

    fs::path folder = dir / "card" / "EmbF5";
    for (const char* name : {"HEART.kxd", "STAR.kxd", "FLOWER.kxd", "CARD.kxd", "TANDEM1.kxd", "TANDEM2.kxd"})
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    EXPECT_FALSE(fs::exists(folder / "GIANT.kxd"));
    EXPECT_FALSE(fs::exists(folder / "FILL.kxd"));

    int named = 0, pictures = 0;
    std::size_t start = r.out.find("== where everything is");
    ASSERT_NE(start, std::string::npos) << r.out;
    for (std::size_t at = r.out.find("\n  /", start); at != std::string::npos;
         at = r.out.find("\n  /", at + 1)) {
        std::string path = r.out.substr(at + 3, r.out.find('\n', at + 1) - at - 3);
        EXPECT_TRUE(fs::exists(path)) << path;
        ++named;
        if (path.ends_with(".png")) {
            ++pictures;
            EXPECT_TRUE(DecodePng(path)) << path;
        }
    }
    EXPECT_EQ(pictures, 12);  // a thumbnail and a preview of each of the six card designs
    EXPECT_GE(named, 12 + 6 + 4);

    ToolRun again = box.run({"demo", "--dir", dir.string()});
    EXPECT_EQ(again.status, 3);
    EXPECT_TRUE(fs::exists(folder / "HEART.kxd"));
}

}  // namespace
}  // namespace kx::test
