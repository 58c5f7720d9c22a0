// The code page conversions on iconv. Each converter is opened once and kept: opening one
// reads the system's tables, and the program asks for single characters many times.
#include "platform/CodePages.h"

#include "platform/RunError.h"

#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace quillet::platform::codepage {

namespace {

// An iconv descriptor for one direction, shared by every caller under a lock.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter() {
        if (available())
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool available() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts in into out as far as it can; returns false at the first input iconv refuses,
    // leaving in at it.
    bool convert(std::string_view& in, std::string& out) {
        char buffer[256];
        for (;;) {
            char* from = const_cast<char*>(in.data());
            std::size_t fromLeft = in.size();
            char* to = buffer;
            std::size_t toLeft = sizeof buffer;
            const std::size_t done = ::iconv(cd_, &from, &fromLeft, &to, &toLeft);
            const int err = errno;
            out.append(buffer, static_cast<std::size_t>(to - buffer));
            in.remove_prefix(in.size() - fromLeft);
            if (done != static_cast<std::size_t>(-1))
                return true;
            if (err != E2BIG) {
                ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
    }

    std::mutex lock;

  private:
    iconv_t cd_;
};

Converter& converter(const char* to, const char* from) {
    // One of each direction lives as long as the program.
    if (std::string_view(from) == "UTF-32LE") {
        static Converter toCp932(to, from);
        return toCp932;
    }
    if (std::string_view(from) == "CP932") {
        static Converter fromCp932(to, from);
        return fromCp932;
    }
    static Converter fromCp1252(to, from);
    return fromCp1252;
}

Converter& usable(const char* to, const char* from) {
    Converter& c = converter(to, from);
    if (!c.available())
        throw RunError(ErrorNumber::InvalidCall, {}, 0,
                       std::string("このシステムには ") + from + " から " + to +
                           " への変換がありません");
    return c;
}

} // namespace

std::optional<std::uint16_t> cp932Of(char32_t cp) {
    Converter& c = usable("CP932", "UTF-32LE");
    const char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF),
                        static_cast<char>((cp >> 16) & 0xFF), static_cast<char>(cp >> 24)};
    std::string_view rest(in, sizeof in);
    std::string out;
    {
        std::lock_guard hold(c.lock);
        if (!c.convert(rest, out))
            return std::nullopt;
    }
    if (out.size() == 1)
        return static_cast<unsigned char>(out[0]);
    if (out.size() == 2)
        return static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                          static_cast<unsigned char>(out[1]));
    return std::nullopt;
}

static Converter& decoderFor(CodePage page) {
    return page == CodePage::Cp932 ? usable("UTF-8", "CP932") : usable("UTF-8", "CP1252");
}

std::string toUtf8(std::string_view bytes, CodePage page) {
    Converter& c = decoderFor(page);
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::lock_guard hold(c.lock);
    while (!c.convert(bytes, out)) {
        out += "\xEF\xBF\xBD";
        bytes.remove_prefix(1);
    }
    return out;
}

std::optional<std::string> toUtf8Exactly(std::string_view bytes, CodePage page) {
    Converter& c = decoderFor(page);
    std::string out;
    std::lock_guard hold(c.lock);
    if (!c.convert(bytes, out))
        return std::nullopt;
    return out;
}

std::string toUtf8(std::string_view bytes, int windowsPage) {
    if (windowsPage == 932)
        return toUtf8(bytes, CodePage::Cp932);
    if (windowsPage == 1252)
        return toUtf8(bytes, CodePage::Cp1252);
    // One converter per page, opened when a drawing first names it.
    static std::mutex tableLock;
    static std::map<int, std::unique_ptr<Converter>> table;
    Converter* c = nullptr;
    {
        std::lock_guard hold(tableLock);
        auto& slot = table[windowsPage];
        if (!slot) {
            const std::string name = "CP" + std::to_string(windowsPage);
            slot = std::make_unique<Converter>("UTF-8", name.c_str());
        }
        c = slot.get();
    }
    if (!c->available())
        throw RunError(ErrorNumber::InvalidCall, {}, 0,
                       "このシステムには CP" + std::to_string(windowsPage) +
                           " から UTF-8 への変換がありません");
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::lock_guard hold(c->lock);
    while (!c->convert(bytes, out)) {
        out += "\xEF\xBF\xBD";
        bytes.remove_prefix(1);
    }
    return out;
}

} // namespace quillet::platform::codepage
