// quillet-bench: how fast quillet-convert turns a large input into a drawing, against the time
// the same machine needs to write that many bytes from memory, and how much memory it takes.
#include "Arguments.h"
#include "ChildProcess.h"
#include "InputGenerator.h"
#include "ScratchDir.h"
#include "Statistics.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace quillet::bench;

constexpr double kRatioTarget = 1.3;
// Transcoding UTF-8 into code page 932 may cost a little more.
constexpr double kTranscodingRatioTarget = 1.6;
constexpr double kMemoryTargetMiB = 16;

struct Settings {
    std::string converter = QUILLET_CONVERT_PATH;
    std::string folder = "/dev/shm";
    int pairs = 7;
    InputShape shape;
    bool autoColumnLines = true;
    bool realtime = false;
    std::string generateOnly; // write the input here and stop, for profiling by hand
};

const char* const kUsage =
    "usage: quillet-bench [--converter PATH] [--pairs N] [--lines N] [--column-lines N]\n"
    "                     [--height N] [--seed N] [--dir FOLDER] [--realtime]\n"
    "                     [--generate FILE] [--code-page 932] [--utf8]\n"
    "Times quillet-convert on a generated input against dd writing as many bytes, in turn.\n"
    "  --converter PATH   the converter to time (default: the one built with this program)\n"
    "  --pairs N          converter and dd runs to alternate (default 7)\n"
    "  --lines N          input lines, empty ones included (default 2000000)\n"
    "  --column-lines N   every N-th line is empty (default: 20, or the fewest columns the\n"
    "                     converter can place at the height)\n"
    "  --height N         text height given to the converter (default 1)\n"
    "  --seed N           seed of the input (default 20240611)\n"
    "  --dir FOLDER       where the files go, best a tmpfs (default /dev/shm)\n"
    "  --realtime         run converter and dd under the real-time FIFO policy (root only),\n"
    "                     so that other load on the machine does not skew the figures\n"
    "  --generate FILE    only write the input to FILE (to profile the converter on it)\n"
    "  --code-page 932    time the drawing that declares code page 932 (実行２)\n"
    "  --utf8             write the input's Japanese in UTF-8, which that drawing transcodes\n";

Settings parseSettings(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (arg == "--realtime") {
            settings.realtime = true;
            continue;
        }
        if (arg == "--utf8") {
            settings.shape.utf8 = true;
            continue;
        }
        if (i + 1 >= argc)
            throw std::invalid_argument("unknown option or missing value: " + std::string(arg));
        const char* value = argv[++i];
        if (arg == "--converter")
            settings.converter = value;
        else if (arg == "--generate")
            settings.generateOnly = value;
        else if (arg == "--dir")
            settings.folder = value;
        else if (arg == "--pairs")
            settings.pairs = static_cast<int>(std::clamp(numberArg(arg, value), 1LL, 1000LL));
        else if (arg == "--lines")
            settings.shape.lines = std::max(1LL, numberArg(arg, value));
        else if (arg == "--column-lines") {
            settings.shape.columnLines = std::max(1LL, numberArg(arg, value));
            settings.autoColumnLines = false;
        } else if (arg == "--height")
            settings.shape.height =
                static_cast<std::int32_t>(std::clamp(numberArg(arg, value), -32768LL, 32767LL));
        else if (arg == "--code-page") {
            if (std::string_view(value) != "932")
                throw std::invalid_argument("--code-page takes 932");
            settings.shape.declared = true;
        } else if (arg == "--seed")
            settings.shape.seed = static_cast<std::uint64_t>(numberArg(arg, value));
        else
            throw std::invalid_argument("unknown option " + std::string(arg));
    }
    if (settings.autoColumnLines) {
        // More than about 3000 empty lines at height 1 would push a column's X out of 16 bits.
        settings.shape.columnLines = std::max<std::int64_t>(
            20, settings.shape.lines / maxEmptyLines(settings.shape.height) + 1);
    }
    return settings;
}

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
}

InputFacts writeInputFile(const std::string& path, const InputShape& shape) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    try {
        InputFacts facts =
            generateInput(shape, [&](std::string_view piece) { writeAll(fd, piece, path); });
        ::close(fd);
        return facts;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

std::int64_t fileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    return st.st_size;
}

std::string describeEnd(const ChildRun& run) {
    if (run.signal)
        return "was ended by signal " + std::to_string(run.signal);
    return "exited with status " + std::to_string(run.exitCode);
}

// Returns the count in the converter's report ("処理した文字数 : 123"), or -1.
long long reportedCount(const std::string& report) {
    const std::size_t colon = report.find(" : ");
    if (colon == std::string::npos)
        return -1;
    char* end = nullptr;
    long long count = std::strtoll(report.c_str() + colon + 3, &end, 10);
    return end == report.c_str() + colon + 3 ? -1 : count;
}

std::string readBytes(const std::string& path, std::int64_t offset, std::size_t length) {
    std::string bytes(length, '\0');
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    ssize_t got = ::pread(fd, bytes.data(), length, offset);
    ::close(fd);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

// Checks that a run converted every field: a clean exit, the full count, and a drawing of the
// exact size with its opening and closing lines. Throws std::runtime_error when not.
void checkConversion(const ChildRun& run, const InputFacts& facts, const std::string& output,
                     bool declared) {
    if (run.exitCode != 0)
        throw std::runtime_error("the converter " + describeEnd(run));
    const long long count = reportedCount(run.output);
    if (count != facts.fields)
        throw std::runtime_error("the converter reported " + std::to_string(count) +
                                 " texts, the input holds " + std::to_string(facts.fields));
    const std::int64_t size = fileSize(output);
    if (size != facts.outputBytes)
        throw std::runtime_error("the drawing has " + std::to_string(size) + " bytes, expected " +
                                 std::to_string(facts.outputBytes));
    const std::string_view kOpening =
        declared ? "  0\r\nSECTION\r\n  2\r\nHEADER\r\n" : "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    constexpr std::string_view kClosing = "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    if (readBytes(output, 0, kOpening.size()) != kOpening ||
        readBytes(output, size - static_cast<std::int64_t>(kClosing.size()), kClosing.size()) !=
            kClosing)
        throw std::runtime_error("the drawing lacks its opening or closing lines");
}

struct Pair {
    ChildRun converter;
    ChildRun dd;
    double ratio() const { return converter.seconds / dd.seconds; }
};

double megabytes(std::int64_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

double maxOf(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

double minOf(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

void printRow(const char* label, const std::vector<double>& values, const char* unit) {
    std::printf("  %-22s %9.3f %9.3f %9.3f  %s\n", label, median(values), minOf(values),
                maxOf(values), unit);
}

void printReport(const Settings& settings, const InputFacts& facts,
                 const std::vector<Pair>& pairs) {
    std::vector<double> converterSeconds, ddSeconds, ratios, cpuSeconds;
    long maxRssKiB = 0;
    for (const Pair& pair : pairs) {
        converterSeconds.push_back(pair.converter.seconds);
        ddSeconds.push_back(pair.dd.seconds);
        ratios.push_back(pair.ratio());
        cpuSeconds.push_back(pair.converter.cpuSeconds);
        maxRssKiB = std::max(maxRssKiB, pair.converter.maxRssKiB);
    }
    const double seconds = median(converterSeconds);
    const double ratio = median(ratios);
    const double rssMiB = static_cast<double>(maxRssKiB) / 1024;

    std::printf("\n  %-22s %9s %9s %9s\n", "", "median", "min", "max");
    printRow("converter", converterSeconds, "s");
    printRow("converter CPU (u+s)", cpuSeconds, "s");
    printRow("dd conv=fsync", ddSeconds, "s");
    printRow("ratio converter/dd", ratios, "x");
    std::printf("\n  %-22s %9.1f MB/s\n", "input rate", megabytes(facts.inputBytes) / seconds);
    std::printf("  %-22s %9.1f MB/s\n", "output rate", megabytes(facts.outputBytes) / seconds);
    std::printf("  %-22s %9.2f M/s\n", "texts per second",
                static_cast<double>(facts.fields) / seconds / 1e6);
    const double target =
        settings.shape.declared && settings.shape.utf8 ? kTranscodingRatioTarget : kRatioTarget;
    std::printf("  %-22s %9.2fx    target <= %.1fx    %s\n", "median ratio", ratio, target,
                ratio <= target ? "met" : "MISSED");
    std::printf("  %-22s %9.2f MiB  target < %.0f MiB    %s\n", "peak memory (max RSS)", rssMiB,
                kMemoryTargetMiB, rssMiB < kMemoryTargetMiB ? "met" : "MISSED");
    std::printf("\n(MB = 10^6 bytes; %d pairs; %s scheduling; %s drawing from %s input; "
                "converter %s)\n",
                settings.pairs, settings.realtime ? "real-time FIFO" : "normal",
                settings.shape.declared ? "declared" : "classic",
                settings.shape.utf8 ? "UTF-8" : "code page 932", settings.converter.c_str());
}

int runBenchmark(const Settings& settings) {
    ScratchDir scratch(settings.folder, stopRunningChild);
    const std::string input = scratch.file("input.csv");
    const std::string output = scratch.file("output.dxf");
    const std::string copy = scratch.file("dd.bin");
    const std::string height = std::to_string(settings.shape.height);

    const auto started = std::chrono::steady_clock::now();
    const InputFacts facts = writeInputFile(input, settings.shape);
    const double generateSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::int64_t ddBlocks = (facts.outputBytes + (1 << 20) - 1) >> 20;

    std::printf("quillet-bench: %lld lines (%lld empty: one line in %lld), height %s\n",
                static_cast<long long>(facts.lines), static_cast<long long>(facts.emptyLines),
                static_cast<long long>(settings.shape.columnLines), height.c_str());
    std::printf("  input  %10.1f MB, %lld texts (generated in %.2f s)\n",
                megabytes(facts.inputBytes), static_cast<long long>(facts.fields), generateSeconds);
    std::printf("  output %10.1f MB; dd writes %lld MiB\n", megabytes(facts.outputBytes),
                static_cast<long long>(ddBlocks));
    std::fflush(stdout);

    std::vector<std::string> convert = {settings.converter, "--height", height,
                                        "--output",         output,     input};
    if (settings.shape.declared)
        convert.insert(convert.begin() + 1, {"--code-page", "932"});
    const std::vector<std::string> dd = {
        "dd",         "if=/dev/zero", "of=" + copy, "bs=1M", "count=" + std::to_string(ddBlocks),
        "conv=fsync", "status=none"};
    // Neither run pays for freeing the file the last one wrote.
    auto runFresh = [&](const std::vector<std::string>& command, const std::string& name) {
        scratch.remove(output);
        scratch.remove(copy);
        ChildRun run = runChild(command, settings.realtime);
        if (run.exitCode != 0)
            throw std::runtime_error(name + " " + describeEnd(run));
        return run;
    };
    auto runConverter = [&] { return runFresh(convert, "the converter"); };
    auto runDd = [&] { return runFresh(dd, "dd"); };

    // The first pair only warms up, and proves the converter converts everything.
    checkConversion(runConverter(), facts, output, settings.shape.declared);
    runDd();
    std::printf("  check  converter exit 0, count %lld and drawing size match\n\n",
                static_cast<long long>(facts.fields));

    std::vector<Pair> pairs;
    for (int i = 0; i < settings.pairs; ++i) {
        Pair pair;
        pair.converter = runConverter();
        pair.dd = runDd();
        std::printf("  pair %2d: converter %7.3f s (CPU %6.3f s, %6.2f MiB), dd %7.3f s, "
                    "ratio %5.2fx\n",
                    i + 1, pair.converter.seconds, pair.converter.cpuSeconds,
                    static_cast<double>(pair.converter.maxRssKiB) / 1024, pair.dd.seconds,
                    pair.ratio());
        std::fflush(stdout);
        pairs.push_back(std::move(pair));
    }
    printReport(settings, facts, pairs);
    return 0;
}

int generateOnly(const Settings& settings) {
    const InputFacts facts = writeInputFile(settings.generateOnly, settings.shape);
    std::printf("%s: %lld lines, %lld texts; convert with --height %d; drawing %lld bytes\n",
                settings.generateOnly.c_str(), static_cast<long long>(facts.lines),
                static_cast<long long>(facts.fields), settings.shape.height,
                static_cast<long long>(facts.outputBytes));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Settings settings = parseSettings(argc, argv);
        return settings.generateOnly.empty() ? runBenchmark(settings) : generateOnly(settings);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillet-bench: %s\n", error.what());
        return 1;
    }
}
