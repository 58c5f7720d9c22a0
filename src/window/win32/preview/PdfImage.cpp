// The PDF's objects: catalog, pages, page, content stream, image, information.
#include "PdfImage.h"

#include "PngFile.h"

#include <cstdio>

namespace quillet::window::win32::preview {

namespace {

void append(std::vector<std::uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// Returns text (UTF-8) as a PDF string in UTF-16BE with its byte-order mark, in hex.
std::string pdfText(const std::string& utf8) {
    std::string hex = "<FEFF";
    char buffer[8];
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = c;
        int more = 0;
        if (c >= 0xf0) {
            code = c & 0x07;
            more = 3;
        } else if (c >= 0xe0) {
            code = c & 0x0f;
            more = 2;
        } else if (c >= 0xc0) {
            code = c & 0x1f;
            more = 1;
        }
        ++i;
        for (; more > 0 && i < utf8.size(); --more, ++i)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3f);
        if (code >= 0x10000) {
            code -= 0x10000;
            std::snprintf(buffer, sizeof buffer, "%04X", 0xd800 + (code >> 10));
            hex += buffer;
            code = 0xdc00 + (code & 0x3ff);
        }
        std::snprintf(buffer, sizeof buffer, "%04X", code);
        hex += buffer;
    }
    return hex + ">";
}

} // namespace

std::vector<std::uint8_t> pdfOfImage(std::span<const std::uint32_t> pixels, int width, int height,
                                     double pageWidth, double pageHeight,
                                     const std::string& title) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(pixels.size() * 3);
    for (const std::uint32_t p : pixels) {
        rgb.push_back(static_cast<std::uint8_t>(p >> 16));
        rgb.push_back(static_cast<std::uint8_t>(p >> 8));
        rgb.push_back(static_cast<std::uint8_t>(p));
    }
    const std::vector<std::uint8_t> image = zlibCompress(rgb);
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "q %.2f 0 0 %.2f 0 0 cm /Im Do Q\n", pageWidth,
                  pageHeight);
    const std::string content = buffer;

    std::vector<std::uint8_t> out;
    std::vector<std::size_t> offsets;
    append(out, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    const auto object = [&](const std::string& body) {
        offsets.push_back(out.size());
        append(out, std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n");
    };
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    std::snprintf(buffer, sizeof buffer,
                  "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %.2f %.2f] /Contents 4 0 R "
                  "/Resources << /XObject << /Im 5 0 R >> >> >>",
                  pageWidth, pageHeight);
    object(buffer);
    object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
           "endstream");
    offsets.push_back(out.size());
    std::snprintf(buffer, sizeof buffer,
                  "5 0 obj\n<< /Type /XObject /Subtype /Image /Width %d /Height %d "
                  "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length %zu "
                  ">>\nstream\n",
                  width, height, image.size());
    append(out, buffer);
    out.insert(out.end(), image.begin(), image.end());
    append(out, "\nendstream\nendobj\n");
    object("<< /Title " + pdfText(title) + " /Creator (Quillet) >>");
    const std::size_t xref = out.size();
    append(out, "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n");
    for (const std::size_t at : offsets) {
        std::snprintf(buffer, sizeof buffer, "%010zu 00000 n \n", at);
        append(out, buffer);
    }
    append(out, "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
                    " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" + std::to_string(xref) +
                    "\n%%EOF\n");
    return out;
}

} // namespace quillet::window::win32::preview
