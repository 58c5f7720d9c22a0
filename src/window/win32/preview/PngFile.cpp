// The PNG encoder: filters, deflate with fixed codes, chunks.
#include "PngFile.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace quillet::window::win32::preview {

namespace {

// Bits written least significant first, as deflate packs them.
class BitWriter {
  public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void bits(std::uint32_t value, int count) {
        buffer_ |= static_cast<std::uint64_t>(value) << filled_;
        filled_ += count;
        while (filled_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(buffer_));
            buffer_ >>= 8;
            filled_ -= 8;
        }
    }
    // A Huffman code goes out most significant bit first.
    void code(std::uint32_t code, int length) {
        std::uint32_t reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((code >> i) & 1u) << (length - 1 - i);
        bits(reversed, length);
    }
    void flush() {
        if (filled_ > 0)
            bits(0, 8 - filled_);
    }

  private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t buffer_ = 0;
    int filled_ = 0;
};

// The fixed literal/length code of symbol (RFC 1951, 3.2.6).
void symbol(BitWriter& w, unsigned s) {
    if (s < 144)
        w.code(0x30 + s, 8);
    else if (s < 256)
        w.code(0x190 + (s - 144), 9);
    else if (s < 280)
        w.code(s - 256, 7);
    else
        w.code(0xc0 + (s - 280), 8);
}

constexpr std::array<unsigned, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                  15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<unsigned, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void match(BitWriter& w, unsigned length, unsigned distance) {
    const auto l = static_cast<std::size_t>(
        std::upper_bound(kLengthBase.begin(), kLengthBase.end(), length) - kLengthBase.begin() - 1);
    symbol(w, 257 + static_cast<unsigned>(l));
    w.bits(length - kLengthBase[l], kLengthExtra[l]);
    const auto d = static_cast<std::size_t>(
        std::upper_bound(kDistanceBase.begin(), kDistanceBase.end(), distance) -
        kDistanceBase.begin() - 1);
    w.code(static_cast<std::uint32_t>(d), 5);
    w.bits(distance - kDistanceBase[d], kDistanceExtra[d]);
}

std::uint32_t adler32(std::span<const std::uint8_t> data) {
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < data.size();) {
        // 5552 bytes keep b below 2^32 before the modulo (as zlib does).
        const std::size_t end = std::min(data.size(), i + 5552);
        for (; i < end; ++i) {
            a += data[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return (b << 16) | a;
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void chunk(std::vector<std::uint8_t>& out, const char (&type)[5],
           std::span<const std::uint8_t> data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(std::span(out).subspan(start)));
}

} // namespace

std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (const std::uint8_t byte : data)
        crc = table[(crc ^ byte) & 0xff] ^ (crc >> 8);
    return ~crc;
}

std::vector<std::uint8_t> zlibCompress(std::span<const std::uint8_t> data) {
    constexpr unsigned kWindow = 32768, kLongest = 258;
    constexpr int kHashBits = 15;
    std::vector<std::uint8_t> out = {0x78, 0x01};
    BitWriter w(out);
    w.bits(1, 1); // the last block
    w.bits(1, 2); // fixed codes
    std::vector<std::int64_t> head(std::size_t{1} << kHashBits, -1);
    const auto hash = [&](std::size_t i) {
        const std::uint32_t v = data[i] | (data[i + 1] << 8) | (data[i + 2] << 16);
        return (v * 2654435761u) >> (32 - kHashBits);
    };
    std::size_t i = 0;
    while (i < data.size()) {
        unsigned best = 0, distance = 0;
        if (i + 3 <= data.size()) {
            const std::uint32_t h = hash(i);
            const std::int64_t at = head[h];
            head[h] = static_cast<std::int64_t>(i);
            // The byte before (a run) and the hashed candidate; the longer wins.
            for (const std::int64_t from : {static_cast<std::int64_t>(i) - 1, at}) {
                if (from < 0 || i - static_cast<std::size_t>(from) > kWindow)
                    continue;
                const auto f = static_cast<std::size_t>(from);
                unsigned n = 0;
                const std::size_t most = std::min<std::size_t>(kLongest, data.size() - i);
                while (n < most && data[f + n] == data[i + n])
                    ++n;
                if (n > best) {
                    best = n;
                    distance = static_cast<unsigned>(i - f);
                }
            }
        }
        if (best >= 3) {
            match(w, best, distance);
            // The matched bytes join the hash, sparsely: every one costs time.
            for (std::size_t k = i + 1; k < i + best && k + 3 <= data.size(); k += 4)
                head[hash(k)] = static_cast<std::int64_t>(k);
            i += best;
        } else {
            symbol(w, data[i++]);
        }
    }
    symbol(w, 256);
    w.flush();
    put32(out, adler32(data));
    return out;
}

std::vector<std::uint8_t> encodePng(std::span<const std::uint32_t> pixels, int width, int height) {
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> raw;
    raw.reserve((stride + 1) * static_cast<std::size_t>(height));
    std::vector<std::uint8_t> previous(stride, 0), row(stride);
    std::array<std::vector<std::uint8_t>, 3> filtered;
    for (auto& f : filtered)
        f.resize(stride);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* p = pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(p[x] >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(p[x] >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(p[x]);
        }
        // None, Sub and Up; the one whose bytes sum smallest as signed values (PNG's advice).
        std::size_t bestFilter = 0;
        long bestSum = -1;
        for (std::size_t f = 0; f < 3; ++f) {
            long sum = 0;
            for (std::size_t k = 0; k < stride; ++k) {
                const std::uint8_t left = k >= 3 ? row[k - 3] : 0;
                const std::uint8_t v = f == 0   ? row[k]
                                       : f == 1 ? static_cast<std::uint8_t>(row[k] - left)
                                                : static_cast<std::uint8_t>(row[k] - previous[k]);
                filtered[f][k] = v;
                sum += std::abs(static_cast<int>(static_cast<std::int8_t>(v)));
            }
            if (bestSum < 0 || sum < bestSum) {
                bestSum = sum;
                bestFilter = f;
            }
        }
        raw.push_back(static_cast<std::uint8_t>(bestFilter == 2 ? 2 : bestFilter));
        raw.insert(raw.end(), filtered[bestFilter].begin(), filtered[bestFilter].end());
        std::swap(previous, row);
    }
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> header;
    put32(header, static_cast<std::uint32_t>(width));
    put32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no interlace
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlibCompress(raw));
    chunk(png, "IEND", {});
    return png;
}

} // namespace quillet::window::win32::preview
