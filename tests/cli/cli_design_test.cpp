// One design as it is: info, conversion, thumbnail and preview pictures; and the demo.
#include "design/design_header.h"
#include "design/stitch_stream.h"
#include "support/design_builder.h"
#include "tool_runner.h"

namespace kx::test {
namespace {

TEST_F(ToolTest, InfoShowsTheHeaderAsStoredAndWhatTheStreamHolds) {
    std::string records = std::to_string(DesignHeader::parse(Slurp<Bytes>(pc / "HEART.kxd"))->recordCount());
    put("pc/ODD.kxd", DesignBuilder().colors({5}).hoopCode(9).extents(800, 0, 0, 0).stitch(1, 1).pairMark('Q', 7).bytes());
    put("pc/LIE.kxd", DesignBuilder().colors({3}).colorCount(4000000000u).end().bytes());
    for (const auto& [name, texts] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"HEART", {"records\t" + records + " (the stream holds " + records + " through its end record)\n",
                        "hoop code\t1 (Hoop Size  C)\n", "1 colour changes",
                        "colour table\t1:10 #FF0000  2:17 #F999B7\n"}},  // each thread with its drawing colour
             {"ODD", {"hoop code\t9 (no hoop set)\n", "fits\tno hoop\n", "with no end record",
                      "pair mark\tQ, companion 0x07\n"}},
             {"LIE", {"(3999999999 more not shown or beyond the file)\n"}}}) {
        ToolRun r = sh("kxcard info pc/" + name + ".kxd");
        EXPECT_EQ(r.status, 0) << r;
        for (const std::string& text : texts) EXPECT_NE(r.out.find(text), std::string::npos) << text << r;
    }
}

TEST_F(ToolTest, ConvertSplitsShiftedColourChangesAndCopiesAStreamWithoutEndUnchanged) {
    ASSERT_EQ(sh("kxcard convert pc/CARD.kxd -o out.kxd"), ToolRun{});
    auto original = Slurp<Bytes>(pc / "CARD.kxd"), converted = Slurp<Bytes>(root / "out.kxd");
    auto before = DesignHeader::parse(original), after = DesignHeader::parse(converted);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->recordCount(), before->recordCount() + 6);  // three shifted changes split
    EXPECT_EQ(converted.size(), original.size() + 12);
    EXPECT_EQ(converted.at(after->stitchOffset()), kControlMark);
    EXPECT_EQ(converted.at(after->stitchOffset() + 1), CodeByte(ControlCode::Move));
    put("pc/OPEN.kxd", DesignBuilder().colors({1}).stitch(3, 3).bytes());
    walk({{"kxcard convert pc/OPEN.kxd -o out.kxd && cmp out.kxd pc/OPEN.kxd",
           {0, "", "kxcard: the stream of pc/OPEN.kxd cannot be interpreted; it goes to the card unchanged\n"}}});
}

TEST_F(ToolTest, WhatCannotBeReadDrawnConvertedOrWrittenFailsWithExit1AndLeavesNoFile) {
    put("pc/tiny.kxd", Bytes(115, 0));
    put("pc/EMPTY.kxd", {});
    put("pc/heart.txt", Slurp<Bytes>(pc / "HEART.kxd"));
    fs::create_directories(root / "locked" / "out.kxd");  // a folder where the file should go
    for (const char* failure : {"info pc/tiny.kxd", "info pc/none.kxd", "thumbnail pc/tiny.kxd -o out.png",
                                "thumbnail pc/none.kxd -o out.png", "preview pc/tiny.kxd -o out.png",
                                "preview pc/none.kxd -o out.png", "convert pc/none.kxd -o out.png",
                                "convert pc/EMPTY.kxd -o out.png", "convert pc/heart.txt -o out.png",
                                "convert pc/HEART.kxd -o no-such-folder/out.kxd", "convert pc/HEART.kxd -o locked/out.kxd"}) {
        ToolRun r = sh("kxcard " + std::string(failure));
        EXPECT_TRUE(r.status == 1 && r.out.empty() && r.err.starts_with("kxcard: ")) << failure << r;
        EXPECT_FALSE(fs::exists(root / "out.png")) << failure;
    }
    walk({{"ls locked", {0, "out.kxd\n", ""}}});
}

// A thumbnail PNG is eight times the canvas of the design's stored hoop code, each code of its record
// (a 48-byte header, then columns of codes, the height rounded up to 4, from the left, each from the
// bottom row up) a block of 8 x 8 in its drawing colour: the background 0x0F, thread 10's 0x14 and
// thread 17's 0x93 as given, any other code as it first shows. A preview PNG has the pane's canvas or
// the size asked for; its hoop label goes to stdout.
TEST_F(ToolTest, ThumbnailPngIsTheRecordEnlargedAndPreviewPngHasTheCanvasSizeWithTheHoopLabelOnStdout) {
    std::map<int, std::uint32_t> colour{{0x0F, 0x0020E0}, {0x14, 0x004080}, {0x93, 0x804060}};
    for (auto [name, width, height, size, label, canvasWidth, canvasHeight] :
         {std::tuple{"HEART", 30, 30, "", "Hoop Size  C\n", 92, 128}, {"GIANT", 40, 40, "", "Hoop Size  --\n", 92, 128},
          {"FLOWER", 40, 58, " --size 300X200", "Hoop Size  B\n", 300, 200},
          {"STAR", 46, 40, " --size 1x4096", "Hoop Size  A(F)\n", 1, 4096}}) {
        ASSERT_EQ(sh("n=" + std::string(name) + "; kxcard thumbnail pc/$n.kxd -o $n.png && kxcard thumbnail pc/$n.kxd -o $n.kxt"
                     " && kxcard preview pc/$n.kxd -o $n-preview.png" + size), (ToolRun{0, label, ""}));
        const fs::path file = root / name;
        Png png = DecodePng(file.string() + ".png"), preview = DecodePng(file.string() + "-preview.png");
        Bytes kxt = Slurp<Bytes>(file.string() + ".kxt");
        ASSERT_EQ(std::tuple(png.width, png.height, png.pixel(0, 0), preview.width, preview.height),
                  std::tuple(width * 8, height * 8, 0x0020E0u, canvasWidth, canvasHeight));
        for (int y = 0; y < png.height; ++y)
            for (int x = 0; x < png.width; ++x) {
                int code = kxt.at(48 + (height + 3) / 4 * 4 * (x / 8) + height - 1 - y / 8);
                ASSERT_EQ(colour.try_emplace(code, png.pixel(x, y)).first->second, png.pixel(x, y)) << name << x << ',' << y;
            }
    }
    // Hoop C's field is w + 6 = 98 rows high; below it the canvas stays light grey. Threads 10 and 17 drawn.
    Png heart = DecodePng(root / "HEART-preview.png");
    EXPECT_EQ(std::pair(heart.pixel(5, 96), heart.pixel(5, 127)), std::pair(0xFFFFFFu, 0xC0C0C0u));
    EXPECT_TRUE(std::ranges::count(heart.pixels, 0xFF0000u) && std::ranges::count(heart.pixels, 0xF999B7u));
}

TEST_F(ToolTest, DemoWritesSamplesToACardAndReportsFilesThatExist) {
    ToolRun r = sh("kxcard demo --dir \"$ROOT/demo\"");
    EXPECT_TRUE(r.status == 0 && r.out.ends_with("read it\nno findings: the card is sound\n") &&  // its card verified
                r.err.find("The \"GIANT\" design exceeds the hoop size limits.\n") != std::string::npos &&
                r.err.find("The pattern (FILL) exceeds the 64000 stitch limit.\n") != std::string::npos)
        << r;
    int named = 0, pictures = 0;  // what the report names after its heading, one path a line
    for (auto at = r.out.find("\n  /", r.out.find("== where everything is")); at != std::string::npos;
         at = r.out.find("\n  /", at + 1), ++named) {
        std::string path = r.out.substr(at + 3, r.out.find('\n', at + 1) - at - 3);
        pictures += path.ends_with(".png");
        EXPECT_TRUE(path.ends_with(".png") ? DecodePng(path).width > 0 : fs::exists(path)) << path;
    }
    EXPECT_EQ(pictures, 12);  // a thumbnail and a preview of each of the six card designs
    EXPECT_GE(named, 12 + 6 + 4);
    walk({{"kxcard --card demo/card list 0", {0, "CARD.kxd\nFLOWER.kxd\nHEART.kxd\nSTAR.kxd\nTANDEM1.kxd\nTANDEM2.kxd\n", ""}},
          {"kxcard demo --dir demo >/dev/null 2>&1", {3, "", ""}},  // never over an earlier demo
          {"ls demo/card/EmbF5/HEART.kxd", {0, "demo/card/EmbF5/HEART.kxd\n", ""}}});
}

}  // namespace
}  // namespace kx::test
