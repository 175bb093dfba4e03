// One design as it is: info, conversion, thumbnail and preview pictures; and the demo.
#include <map>

#include "design/design_header.h"
#include "design/stitch_stream.h"
#include "support/design_builder.h"
#include "tool_runner.h"

namespace kx::test {
namespace {

TEST_F(ToolTest, InfoShowsTheHeaderAsStoredAndWhatTheStreamHolds) {
    std::string heart = sample("HEART.kxd");
    std::string records = std::to_string(DesignHeader::parse(Slurp<Bytes>(heart))->recordCount());
    auto odd = DesignBuilder().colors({5}).hoopCode(9).extents(800, 0, 0, 0).stitch(1, 1).pairMark('Q', 7);
    const std::vector<std::pair<fs::path, std::vector<std::string>>> cases{
        {heart,
         {"records\t" + records + " (the stream holds " + records + " through its end record)\n",
          "hoop code\t1 (Hoop Size  C)\n", "1 colour changes",
          "colour table\t1:10 #FF0000  2:17 #F999B7\n"}},  // each thread with its drawing colour
        {put(pc / "ODD.kxd", odd.bytes()),
         {"hoop code\t9 (no hoop set)\n", "fits\tno hoop\n", "with no end record",
          "pair mark\tQ, companion 0x07\n"}},
        {put(pc / "LIE.kxd", DesignBuilder().colors({3}).colorCount(4000000000u).end().bytes()),
         {"(3999999999 more not shown or beyond the file)\n"}}};
    for (const auto& [file, texts] : cases) {
        ToolRun r = run({"info", file.string()});
        EXPECT_EQ(r.status, 0) << r;
        for (const std::string& text : texts) EXPECT_NE(r.out.find(text), std::string::npos) << text << r;
    }
}

TEST_F(ToolTest, ConvertSplitsShiftedColourChangesAndCopiesAStreamWithoutEndUnchanged) {
    std::string design = sample("CARD.kxd");
    fs::path out = root / "out.kxd";
    ASSERT_EQ(run({"convert", design, "-o", out.string()}), (ToolRun{0, "", ""}));
    auto converted = Slurp<Bytes>(out);
    auto before = DesignHeader::parse(Slurp<Bytes>(design)), after = DesignHeader::parse(converted);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->recordCount(), before->recordCount() + 6);  // three shifted changes split
    EXPECT_EQ(converted.size(), Slurp<Bytes>(design).size() + 12);
    EXPECT_EQ(converted.at(after->stitchOffset()), kControlMark);
    EXPECT_EQ(converted.at(after->stitchOffset() + 1), CONTROL_MOVE);
    std::string open = put(pc / "OPEN.kxd", DesignBuilder().colors({1}).stitch(3, 3).bytes()).string();
    EXPECT_EQ(run({"convert", open, "-o", out.string()}),
              (ToolRun{0, "", "kxcard: the stream of " + open +
                                  " cannot be interpreted; it goes to the card unchanged\n"}));
    EXPECT_EQ(Slurp(out), Slurp(open));
}

TEST_F(ToolTest, WhatCannotBeReadDrawnConvertedOrWrittenFailsWithExit1AndLeavesNoFile) {
    std::string tiny = put(pc / "tiny.kxd", Bytes(115, 0)).string(), none = (pc / "none.kxd").string(),
                heart = sample("HEART.kxd"), out = (root / "out.png").string();
    fs::path locked = root / "locked" / "out.kxd";
    fs::create_directories(locked);  // a folder where the file should go
    const std::vector<std::vector<std::string>> failures{
        {"info", tiny}, {"info", none}, {"thumbnail", tiny, "-o", out}, {"thumbnail", none, "-o", out},
        {"preview", tiny, "-o", out}, {"preview", none, "-o", out}, {"convert", none, "-o", out},
        {"convert", put(pc / "EMPTY.kxd", {}).string(), "-o", out},
        {"convert", put(pc / "heart.txt", Slurp<Bytes>(heart)).string(), "-o", out},
        {"convert", heart, "-o", (root / "no-such-folder" / "out.kxd").string()},
        {"convert", heart, "-o", locked.string()}};
    for (const auto& args : failures) {
        ToolRun r = run(args);
        EXPECT_TRUE(r.status == 1 && r.out.empty() && r.err.starts_with("kxcard: ")) << args[1] << r;
        EXPECT_FALSE(fs::exists(out)) << args[0] << " " << args[1];
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(locked.parent_path()), fs::directory_iterator()), 1);
}

TEST_F(ToolTest, ThumbnailPngIsTheRecordEnlargedWithSharpPixelsInTheDrawingColours) {
    // Eight times the canvas of each design's stored hoop code.
    for (auto [name, width, height] :
         {std::tuple{"HEART.kxd", 30, 30}, {"FLOWER.kxd", 40, 58}, {"STAR.kxd", 46, 40}}) {
        SCOPED_TRACE(name);
        fs::path png = root / (std::string(name) + ".png");
        ASSERT_EQ(run({"thumbnail", sample(name), "-o", png.string()}), (ToolRun{0, "", ""}));
        DecodedPng decoded = DecodePng(png).value();  // throws, failing the test, when it is no PNG
        EXPECT_EQ(std::pair(decoded.width, decoded.height), std::pair(width * 8, height * 8));
        EXPECT_EQ(decoded.pixel(0, 0), 0x0020E0u);  // the background code 0x0F as a colour
        for (int y = 0; y < decoded.height; y += 8)
            for (int x = 0; x < decoded.width; x += 8)
                ASSERT_EQ(decoded.pixel(x + 7, y + 7), decoded.pixel(x, y)) << x << "," << y;
    }
    // Heart against its record (a 48-byte header, then columns of 32 codes from the left, each from the
    // bottom row up): the background is code 0x0F, thread 10 code 0x14 and thread 17 code 0x93.
    ASSERT_EQ(run({"thumbnail", sample("HEART.kxd"), "-o", (root / "heart.kxt").string()}).status, 0);
    Bytes kxt = Slurp<Bytes>(root / "heart.kxt");
    DecodedPng heart = DecodePng(root / "HEART.kxd.png").value();
    const std::map<int, std::uint32_t> colour{{0x0F, 0x0020E0}, {0x14, 0x004080}, {0x93, 0x804060}};
    for (int x = 0; x < 30; ++x)
        for (int k = 0; k < 30; ++k)
            ASSERT_EQ(heart.pixel(8 * x, 8 * (29 - k)), colour.at(kxt.at(48 + 32 * x + k))) << x << ',' << k;
}

TEST_F(ToolTest, PreviewPngHasTheCanvasSizeAndTheHoopLabelGoesToStdout) {
    for (auto [name, size, label, width, height] :
         {std::tuple{"HEART.kxd", "", "Hoop Size  C\n", 92, 128},  // the pane's canvas
          {"GIANT.kxd", "300X200", "Hoop Size  --\n", 300, 200},
          {"STAR.kxd", "1x4096", "Hoop Size  A(F)\n", 1, 4096}}) {
        SCOPED_TRACE(name);
        fs::path png = root / (std::string(name) + ".png");
        std::vector<std::string> args{"preview", sample(name), "-o", png.string()};
        if (*size) args.insert(args.end(), {"--size", size});
        EXPECT_EQ(run(args), (ToolRun{0, label, ""}));
        DecodedPng decoded = DecodePng(png).value();
        EXPECT_EQ(std::pair(decoded.width, decoded.height), std::pair(width, height));
    }
    // Hoop C's field is w + 6 = 98 rows high; below it the canvas stays light grey.
    DecodedPng heart = DecodePng(root / "HEART.kxd.png").value();
    EXPECT_EQ(std::pair(heart.pixel(5, 96), heart.pixel(5, 127)), std::pair(0xFFFFFFu, 0xC0C0C0u));
    EXPECT_TRUE(heart.colours().count(0xFF0000u) && heart.colours().count(0xF999B7u));  // threads 10, 17
}

TEST_F(ToolTest, DemoWritesSamplesToACardAndReportsFilesThatExist) {
    fs::path dir = root / "demo";
    ToolRun r = run({"demo", "--dir", dir.string()});
    ASSERT_EQ(r.status, 0) << r;
    EXPECT_TRUE(r.out.ends_with("read it\nno findings: the card is sound\n")) << r;  // its card verified
    EXPECT_TRUE(r.err.find("The \"GIANT\" design exceeds the hoop size limits.\n") != std::string::npos &&
                r.err.find("The pattern (FILL) exceeds the 64000 stitch limit.\n") != std::string::npos)
        << r;
    EXPECT_EQ(run({"--card", (dir / "card").string(), "list", "0"}).out,
              "CARD.kxd\nFLOWER.kxd\nHEART.kxd\nSTAR.kxd\nTANDEM1.kxd\nTANDEM2.kxd\n");
    int named = 0, pictures = 0;
    std::size_t start = r.out.find("== where everything is");  // nothing found without it
    for (auto at = r.out.find("\n  /", start); at != std::string::npos; at = r.out.find("\n  /", at + 1)) {
        std::string path = r.out.substr(at + 3, r.out.find('\n', at + 1) - at - 3);
        ++named;
        pictures += path.ends_with(".png");
        EXPECT_TRUE(path.ends_with(".png") ? DecodePng(path).has_value() : fs::exists(path)) << path;
    }
    EXPECT_EQ(pictures, 12);  // a thumbnail and a preview of each of the six card designs
    EXPECT_GE(named, 12 + 6 + 4);
    EXPECT_EQ(run({"demo", "--dir", dir.string()}).status, 3);  // never over an earlier demo
    EXPECT_TRUE(fs::exists(dir / "card" / "EmbF5" / "HEART.kxd"));
}

}  // namespace
}  // namespace kx::test
