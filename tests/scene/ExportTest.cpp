// The exports' writers without a toolkit: the PDF's structure, page, strokes, fills and texts,
// the numbers both vector writers write, and the export's file through a fake front end.
#include "DrawingOf.h"
#include "TestSupport.h"

#include "scene/Export.h"
#include "scene/ExportFile.h"
#include "scene/PdfPainter.h"
#include "scene/SinkWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace quillet::scene;
using quillet::testing::drawingOf;
using quillet::testing::textEntity;

// A view 200 x 100 pixels, two pixels a unit, the drawing's origin in its middle.
ViewTransform smallView() {
    ViewTransform view;
    view.scale = 2;
    view.size = {200, 100};
    return view;
}

const std::string kLine = "  0\r\nLINE\r\n 10\r\n0\r\n 20\r\n0\r\n 11\r\n10\r\n 21\r\n0\r\n";
const std::string kRedSolid = "  0\r\nSOLID\r\n 62\r\n1\r\n 10\r\n-40\r\n 20\r\n-20\r\n 11\r\n"
                              "-30\r\n 21\r\n-20\r\n 12\r\n-40\r\n 22\r\n-10\r\n 13\r\n-30\r\n"
                              " 23\r\n-10\r\n";
const std::string kArc =
    "  0\r\nARC\r\n 10\r\n0\r\n 20\r\n0\r\n 40\r\n10\r\n 50\r\n0\r\n 51\r\n90\r\n";
const std::string kCircle = "  0\r\nCIRCLE\r\n 10\r\n0\r\n 20\r\n0\r\n 40\r\n5\r\n";

// Returns the number written after key in pdf ("/Size 7" gives 7), or -1.
long long numberAfter(const std::string& pdf, const std::string& key, std::size_t from = 0) {
    const std::size_t at = pdf.find(key, from);
    return at == std::string::npos ? -1 : std::stoll(pdf.substr(at + key.size()));
}

TEST(PdfTest, CrossReferencesAndLengthPointAtWhatTheyName) {
    struct Case {
        const char* what;
        std::string entities;
        bool font;
    };
    const Case cases[] = {
        {"texts and lines",
         textEntity(-40, -20, 10, "配管") + kLine + textEntity(10, 10, 10, "東京"), true},
        {"lines alone: no font", kLine + kCircle, false},
        {"nothing", "", false},
    };
    for (const Case& c : cases) {
        const std::string pdf = pdfOf(*drawingOf(c.entities), smallView(), "図面.dxf");
        ASSERT_EQ(pdf.rfind("%PDF-1.4\n", 0), 0u) << c.what;
        EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n") << c.what;
        const auto xref = static_cast<std::size_t>(numberAfter(pdf, "startxref\n"));
        ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0) << c.what;
        const auto count = static_cast<std::size_t>(numberAfter(pdf, "xref\n0 ", xref));
        EXPECT_EQ(numberAfter(pdf, "/Size "), static_cast<long long>(count)) << c.what;
        // After "0 N" and the free entry, one 20-byte line an object, numbered from 1.
        const std::size_t first = pdf.find('\n', xref + 5) + 1 + 20;
        for (std::size_t n = 1; n < count; ++n) {
            const auto at =
                static_cast<std::size_t>(std::stoull(pdf.substr(first + 20 * (n - 1), 10)));
            const std::string name = std::to_string(n) + " 0 obj\n";
            EXPECT_EQ(pdf.compare(at, name.size(), name), 0) << c.what << ": object " << n;
        }
        // The content's length, an object of its own written after it, is what lies between
        // "stream" and "endstream".
        const std::size_t start = pdf.find("stream\n") + 7;
        const std::size_t end = pdf.find("\nendstream", start);
        const std::size_t lengthAt = pdf.find("2 0 obj\n");
        EXPECT_EQ(numberAfter(pdf, "2 0 obj\n"), static_cast<long long>(end - start)) << c.what;
        EXPECT_GT(lengthAt, end) << c.what;
        EXPECT_EQ(pdf.find("/Font <<") != std::string::npos, c.font) << c.what;
        EXPECT_EQ(pdf.find("/Image"), std::string::npos) << c.what;
    }
}

TEST(PdfTest, PageIsAsWideAsA4IsLongInTheViewsProportionsWithTitleAndCreator) {
    struct Case {
        DeviceSize size;
        std::string title;
        const char* mediaBox;
        const char* titleHex;
    };
    const Case cases[] = {
        {{1600, 400},
         "図面.dxf",
         "/MediaBox [0 0 841.89 210.472]",
         "/Title <FEFF56F39762002E006400780066>"},
        {{400, 1600}, "a", "/MediaBox [0 0 841.89 3367.559]", "/Title <FEFF0061>"},
        // Beyond the first plane: a pair of UTF-16 units.
        {{200, 200}, "𠮷", "/MediaBox [0 0 841.89 841.89]", "/Title <FEFFD842DFB7>"},
    };
    for (const Case& c : cases) {
        ViewTransform view;
        view.size = c.size;
        const std::string pdf = pdfOf(*drawingOf(kLine), view, c.title);
        EXPECT_NE(pdf.find(c.mediaBox), std::string::npos) << c.mediaBox << "\n" << pdf;
        EXPECT_NE(pdf.find(c.titleHex), std::string::npos) << c.titleHex;
        EXPECT_NE(pdf.find("/Creator (Quillet)"), std::string::npos);
        // Device pixels onto the page's points, y turned up.
        const double k = 841.89 / c.size.width;
        EXPECT_NEAR(std::stod(pdf.substr(pdf.find("stream\n") + 7)), k, 2e-6);
    }
}

TEST(PdfTest, StrokesFillsAndColoursAreThoseTheScenePaints) {
    const std::string pdf =
        pdfOf(*drawingOf(kLine + kArc + kCircle + kRedSolid + textEntity(30, 10, 1, "small")),
              smallView(), "t");
    for (const char* part : {
             "100 50 m\n120 50 l\nS\n",
             // Counterclockwise as seen: from the right of the centre up to above it, one
             // curve whose handles stand on the tangents.
             "120 50 m\n120 38.95 111.05 30 100 30 c\nS\n",
             // A whole circle: four quarters, closed.
             "110 50 m\n110 44.48 105.52 40 100 40 c\n",
             "h S\n",
             // The SOLID, red, filled even-odd.
             "1 0 0 rg\n",
             "h\nf*\n",
             // A small text's box: translucent, so an ExtGState of its opacity.
             "/A150 gs\n",
             " re f\n",
             "/ExtGState << /A150 << /ca 0.588 /CA 0.588 >> >>",
         })
        EXPECT_NE(pdf.find(part), std::string::npos) << part << "\n" << pdf;
}

TEST(PdfTest, TextsAreUtf16CodesSpacedByTheMeasureAndMappedBackToUnicode) {
    quillet::platform::MemorySink sink;
    {
        SinkWriter out(sink);
        // Every character 0.6 em wide, a pair of units as one.
        PdfPainter pdf(out, {200, 100}, [](std::u16string_view t) {
            double ems = 0;
            for (const char16_t u : t)
                ems += u >= 0xDC00 && u <= 0xDFFF ? 0 : 0.6;
            return ems;
        });
        const std::u16string text = u"Ab配𠮷\t";
        const std::array lines = {TextLine{text, 0, 0}};
        GlyphRun run;
        run.origin = {20, 90};
        run.emPixels = 10;
        run.rotationDegrees = 90;
        run.color = {0x1a, 0x1a, 0x1a, 255};
        run.lines = lines;
        pdf.glyphRun(run);
        pdf.finish("t");
        out.flush();
    }
    const std::string& pdf = sink.bytes();
    for (const char* part : {
             // Turned a quarter counterclockwise: the baseline goes up the device, the
             // glyphs' up to its left.
             "0.102 0.102 0.102 rg\nBT\n/F1 1 Tf\n0 -10 -10 0 20 90 Tm\n",
             // Latin letters are as wide as the font says (their widths are stated); the
             // others are spaced by the rest of their measure, a pair of units is one code,
             // a tab is a blank.
             "<00410062> Tj\n-0.4 Tc\n<914DD842DFB7> Tj\n0 Tc\n<0020> Tj\nET\n",
             "/Encoding /UniJIS-UTF16-H",
             "/Registry (Adobe) /Ordering (Japan1)",
             "/DW 1000 /W [1 [600] 34 [600] 67 [600]]",
             // Each code maps to its own character.
             "<0020> <0020> <0020>\n<0041> <0041> <0041>\n<0062> <0062> <0062>\n"
             "<914D> <914D> <914D>\nendbfrange",
             "1 beginbfchar\n<D842DFB7> <D842DFB7>\nendbfchar",
         })
        EXPECT_NE(pdf.find(part), std::string::npos) << part << "\n" << pdf;
    EXPECT_EQ(pdf.find("FontFile"), std::string::npos) << "the font is not embedded";
}

TEST(SinkWriterTest, NumbersAreShortAndBlocksAddUpToWhatWasWritten) {
    struct Case {
        double v;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {0, 2, "0"},
        {12.5, 2, "12.5"},
        {-3.14159, 2, "-3.14"},
        {100, 2, "100"},
        {-0.001, 2, "0"},
        {0.123456, 4, "0.1235"},
        {1e300, 2, "1000000000000"},
        {std::numeric_limits<double>::quiet_NaN(), 2, "0"},
        {-std::numeric_limits<double>::infinity(), 2, "0"},
    };
    for (const Case& c : cases) {
        quillet::platform::MemorySink sink;
        SinkWriter out(sink);
        out.number(c.v, c.decimals);
        out.flush();
        EXPECT_EQ(sink.bytes(), c.text) << c.v;
    }
    // Blocks smaller than what is written at once.
    quillet::platform::MemorySink sink(16);
    SinkWriter out(sink);
    const std::string long_(100, 'x');
    out += long_;
    out += '!';
    out.integer(-1234567890123);
    EXPECT_EQ(out.written(), 115u);
    out.flush();
    EXPECT_EQ(sink.bytes(), long_ + "!-1234567890123");
}

// A front end that paints nothing: its PNG is a marker, its measure counted.
class FakeFrontEnd final : public ExportFrontEnd {
  public:
    mutable int measures = 0;
    mutable DeviceSize pngSize;
    std::string pngBytes = "PNG!";

    TextMeasure textMeasure() const override {
        ++measures;
        return [](std::u16string_view t) { return 0.5 * static_cast<double>(t.size()); };
    }
    std::string png(const quillet::drawing::Drawing&, const ViewTransform& view) const override {
        pngSize = view.size;
        return pngBytes;
    }
};

TEST(ExportFileTest, TheNameChoosesTheWriterAndWholeDrawingsTheirFrame) {
    const auto drawing =
        drawingOf(textEntity(0, 0, 100, "配管") + textEntity(3000, 0, 100, "東京"));
    const quillet::testing::TempDir folder;
    struct Case {
        const char* name;
        bool whole;
        const char* starts;
        int measures; // how often the front end's measure is made
        const char* size;
    };
    const Case cases[] = {
        {"a.png", false, "PNG!", 0, ""},
        {"b.PNG", true, "PNG!", 1, ""},
        {"c.svg", false, "<?xml", 1, "width=\"200\" height=\"100\""},
        {"d.svg", true, "<?xml", 1, "width=\"1600\""},
        {"e.pdf", true, "%PDF-1.4", 1, "/MediaBox [0 0 841.89 "},
        {"f", false, "PNG!", 0, ""},
    };
    for (const Case& c : cases) {
        FakeFrontEnd front;
        const std::string path = folder / c.name;
        EXPECT_EQ(exportDrawing(*drawing, smallView(), c.whole, path, "t", front), "") << c.name;
        const std::string bytes = quillet::testing::readFile(path);
        EXPECT_EQ(bytes.rfind(c.starts, 0), 0u) << c.name;
        EXPECT_NE(bytes.find(c.size), std::string::npos) << c.name;
        EXPECT_EQ(front.measures, c.measures) << c.name;
        if (c.whole && bytes.starts_with("PNG!")) {
            EXPECT_DOUBLE_EQ(front.pngSize.width, kWholeImagePixels) << c.name;
        }
    }
    // A failure names the file and leaves what was there.
    FakeFrontEnd failing;
    failing.pngBytes.clear();
    const std::string kept = folder / "a.png";
    EXPECT_EQ(exportDrawing(*drawing, smallView(), false, kept, "t", failing),
              "書き出せませんでした: " + kept);
    EXPECT_EQ(quillet::testing::readFile(kept), "PNG!");
    const std::string nowhere = folder / "none/x.pdf";
    EXPECT_EQ(exportDrawing(*drawing, smallView(), false, nowhere, "t", failing),
              "書き出せませんでした: " + nowhere);
    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{"a.png", "b.PNG", "c.svg", "d.svg", "e.pdf", "f"}))
        << "no temporary file is left behind";
}

} // namespace
