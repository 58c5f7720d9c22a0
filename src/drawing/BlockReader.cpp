// The block loop. A file is read one block at a time; whole lines go to a pair parser and the
// partial last line moves to the next block. Inside a long entities section each block is cut
// where an entity starts and handed to a worker with a parser of its own, which assumes it
// starts between entities. The pieces are joined in file order; a piece whose parser did not
// end between entities (the section ended, or the cut was not where an entity starts) is
// kept going on the blocks after it instead, one after the other, so the drawing is always
// the one a single parser reading the whole file would make.
#include "BlockReader.h"

#include "BinaryReader.h"
#include "DrawingError.h"
#include "LargeArray.h"
#include "Numbers.h"

#include "platform/RunError.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <string_view>
#include <thread>
#include <vector>

namespace quillet::drawing {

namespace {

// Returns the last LF in the size bytes at data, or null: memrchr, which not every C library
// has.
const char* lastLineFeed(const char* data, std::size_t size) noexcept {
    const std::size_t at = std::string_view(data, size).rfind('\n');
    return at == std::string_view::npos ? nullptr : data + at;
}

constexpr std::size_t kBlockBytes = std::size_t{8} << 20;
// A file smaller than this is parsed on the reading thread alone.
constexpr std::int64_t kParallelFrom = 3 * static_cast<std::int64_t>(kBlockBytes);

// Returns a line without the blanks, tabs and CR around it.
std::string_view trimmedLine(std::string_view s) noexcept {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A parser with the entities it fills.
struct Piece {
    explicit Piece(PairParser::Section start, std::int64_t firstLine, bool large)
        : entities(std::make_unique<Entities>()),
          parser(std::make_unique<PairParser>(*entities, start, firstLine)) {
        if (large)
            entities->expectLarge();
    }
    std::unique_ptr<Entities> entities;
    std::unique_ptr<PairParser> parser;
};

// A block of the file and, once parsed, the piece made of it.
struct Job {
    LargeArray<char> bytes; // length bytes of whole lines, then room to read ahead
    std::size_t length = 0;
    std::unique_ptr<Piece> piece;
    std::exception_ptr error;
    bool clean = false;
    bool done = false;

    void run() {
        try {
            piece->parser->parse(bytes.data(), bytes.data() + length);
            piece->parser->finishBeforeEntity();
            clean = piece->parser->atEntityStart() && !piece->parser->sawEnd();
        } catch (...) {
            error = std::current_exception();
        }
    }
};

// Worker threads that run jobs.
class Workers {
  public:
    explicit Workers(unsigned count) {
        for (unsigned i = 0; i < count; ++i)
            threads_.emplace_back([this] { work(); });
    }
    ~Workers() {
        {
            std::lock_guard hold(lock_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& t : threads_)
            t.join();
    }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    void submit(Job* job) {
        {
            std::lock_guard hold(lock_);
            queue_.push_back(job);
        }
        wake_.notify_one();
    }
    void wait(Job* job) {
        std::unique_lock hold(lock_);
        finished_.wait(hold, [job] { return job->done; });
    }

  private:
    void work() {
        for (;;) {
            Job* job = nullptr;
            {
                std::unique_lock hold(lock_);
                wake_.wait(hold, [this] { return stopping_ || !queue_.empty(); });
                if (stopping_)
                    return;
                job = queue_.front();
                queue_.pop_front();
            }
            job->run();
            {
                std::lock_guard hold(lock_);
                job->done = true;
            }
            finished_.notify_all();
        }
    }

    std::mutex lock_;
    std::condition_variable wake_, finished_;
    std::deque<Job*> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

class BlockLoop {
  public:
    BlockLoop(platform::ByteSource& source, std::int64_t total, const ReadOptions& options,
              Drawing& drawing)
        : source_(source), total_(total), options_(options), drawing_(drawing) {
        unsigned threads = options.threads ? options.threads : std::thread::hardware_concurrency();
        if (threads > 1 && total >= kParallelFrom)
            workers_ = std::make_unique<Workers>(std::min(threads, 8u));
        inFlightLimit_ = threads + 1;
        // A small file needs no 8 MiB buffer: one block of its size holds it.
        if (total > 0 && total < static_cast<std::int64_t>(kBlockBytes))
            blockBytes_ = std::max<std::size_t>(1024, static_cast<std::size_t>(total) + 1);
        sequential_ = std::make_unique<Piece>(PairParser::Section::None, 1, total >= kParallelFrom);
    }

    void run();

  private:
    void readBinary(LargeArray<char>& buffer, std::size_t filled);
    bool fill(LargeArray<char>& buffer, std::size_t& filled);
    void parseSequentially(Job& job);
    void mergeFront();
    void flushSequential();
    void takeHeader(const PairParser& parser);
    void checkLimits();
    LargeArray<char> freshBuffer();

    platform::ByteSource& source_;
    std::int64_t total_;
    const ReadOptions& options_;
    Drawing& drawing_;
    unsigned inFlightLimit_ = 1;
    std::size_t blockBytes_ = kBlockBytes;
    std::deque<std::unique_ptr<Job>> inFlight_;
    // After the jobs, so that it is stopped (and its threads joined) before they go.
    std::unique_ptr<Workers> workers_;
    std::vector<LargeArray<char>> spare_;
    // The parser that goes on from the last block parsed in file order, when not every block
    // can go to a worker; null while pieces are handed out.
    std::unique_ptr<Piece> sequential_;
    std::int64_t nextLine_ = 1; // line number of the first line after the merged pieces
    std::int64_t done_ = 0;
    bool eof_ = false;
    bool sawEnd_ = false;
};

LargeArray<char> BlockLoop::freshBuffer() {
    if (!spare_.empty()) {
        LargeArray<char> b = std::move(spare_.back());
        spare_.pop_back();
        return b;
    }
    return LargeArray<char>(blockBytes_ + 1 + kReadAhead);
}

bool BlockLoop::fill(LargeArray<char>& buffer, std::size_t& filled) {
    while (filled < blockBytes_ && !eof_) {
        const std::size_t n = source_.read(buffer.data() + filled, blockBytes_ - filled);
        if (n == 0)
            eof_ = true;
        filled += n;
        done_ += static_cast<std::int64_t>(n);
    }
    return filled > 0;
}

void BlockLoop::takeHeader(const PairParser& parser) {
    const HeaderInfo& h = parser.header();
    if (drawing_.header.acadVersion.empty())
        drawing_.header.acadVersion = h.acadVersion;
    if (drawing_.header.codePage.empty())
        drawing_.header.codePage = h.codePage;
}

void BlockLoop::checkLimits() {
    if (options_.cancel && options_.cancel->load(std::memory_order_relaxed))
        throw ReadCancelled();
    if (options_.progress)
        options_.progress(done_, total_);
    const Entities& e = drawing_.entities;
    std::uint64_t bytes = e.memoryBytes();
    if (sequential_)
        bytes += sequential_->entities->memoryBytes();
    if (bytes > options_.memoryLimit || drawing_.itemCount() >= (std::uint64_t{1} << 31))
        throw DrawingError("図面が大きすぎて読み込めません (メモリの上限 " +
                               std::to_string(options_.memoryLimit >> 20) + " MiB)。",
                           nextLine_);
}

// Joins the sequential parser's entities to the drawing; it stands between entities then.
void BlockLoop::flushSequential() {
    takeHeader(*sequential_->parser);
    nextLine_ = sequential_->parser->nextLine();
    drawing_.entities.append(std::move(*sequential_->entities));
    sequential_.reset();
}

void BlockLoop::parseSequentially(Job& job) {
    sequential_->parser->parse(job.bytes.data(), job.bytes.data() + job.length);
    if (sequential_->parser->sawEnd())
        sawEnd_ = true;
}

// Waits for the oldest piece and joins it, or when it did not end between entities, makes
// its parser the one that goes on, through the blocks handed out after it.
void BlockLoop::mergeFront() {
    Job& job = *inFlight_.front();
    workers_->wait(&job);
    if (job.error) {
        try {
            std::rethrow_exception(job.error);
        } catch (const DrawingError& error) {
            throw DrawingError(error.message(), error.line() ? error.line() + nextLine_ - 1 : 0);
        }
    }
    const std::int64_t lines = job.piece->parser->nextLine() - 1;
    if (job.clean) {
        drawing_.entities.append(std::move(*job.piece->entities));
        nextLine_ += lines;
    } else {
        job.piece->parser->shiftLines(nextLine_ - 1);
        sequential_ = std::move(job.piece);
        if (sequential_->parser->sawEnd())
            sawEnd_ = true;
        // The pieces after this one assumed a start between entities that did not hold.
        for (std::size_t k = 1; k < inFlight_.size(); ++k) {
            workers_->wait(inFlight_[k].get());
            parseSequentially(*inFlight_[k]);
        }
        while (inFlight_.size() > 1) {
            spare_.push_back(std::move(inFlight_.back()->bytes));
            inFlight_.pop_back();
        }
    }
    spare_.push_back(std::move(job.bytes));
    inFlight_.pop_front();
    checkLimits();
}

// A binary drawing is read whole, then parsed pair by pair.
void BlockLoop::readBinary(LargeArray<char>& buffer, std::size_t filled) {
    std::string bytes(buffer.data(), filled);
    while (!eof_) {
        filled = 0;
        fill(buffer, filled);
        bytes.append(buffer.data(), filled);
        if (bytes.size() > options_.memoryLimit)
            throw DrawingError("図面が大きすぎて読み込めません (メモリの上限 " +
                               std::to_string(options_.memoryLimit >> 20) + " MiB)。");
    }
    sequential_.reset();
    readBinaryDrawing(bytes, drawing_);
}

void BlockLoop::run() {
    LargeArray<char> buffer = freshBuffer();
    std::size_t filled = 0;
    bool first = true;
    while (!sawEnd_ && fill(buffer, filled)) {
        std::size_t begin = 0;
        if (first) {
            first = false;
            const FileKind kind =
                kindOf(std::string_view(buffer.data(), std::min<std::size_t>(filled, 4096)));
            if (kind == FileKind::BinaryDrawing) {
                readBinary(buffer, filled);
                return;
            }
            if (kind != FileKind::Drawing)
                throw DrawingError(refusal(kind));
            if (filled >= 3 && std::memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0)
                begin = 3;
        }
        std::size_t cut = filled;
        if (eof_) {
            if (buffer[filled - 1] != '\n')
                buffer[cut++] = '\n';
        } else {
            const void* lf = lastLineFeed(buffer.data() + begin, filled - begin);
            if (!lf)
                throw DrawingError("行が長すぎます (" + std::to_string(blockBytes_ >> 10) +
                                       " KiB を超えています)。",
                                   nextLine_);
            cut = static_cast<std::size_t>(static_cast<const char*>(lf) - buffer.data()) + 1;
        }
        // Where the next block starts: after the last whole line, or at the last entity start
        // when the entities section goes on and workers are there to take blocks.
        std::size_t next = cut;
        bool cutAtEntity = false;
        if (workers_ && !eof_ &&
            (!sequential_ || sequential_->parser->section() == PairParser::Section::Entities)) {
            const char* start = lastEntityStart(buffer.data() + begin, buffer.data() + cut);
            if (start != buffer.data() + begin) {
                next = static_cast<std::size_t>(start - buffer.data());
                cutAtEntity = true;
            }
        }
        auto job = std::make_unique<Job>();
        job->length = next - begin;
        const std::size_t rest = filled > next ? filled - next : 0;
        // At the file's end with nothing left over no next buffer is needed (a small file's
        // one allocation, which the fuzzer makes thousands of a second).
        LargeArray<char> following = rest > 0 || !eof_ ? freshBuffer() : LargeArray<char>();
        if (rest > 0)
            std::memcpy(following.data(), buffer.data() + next, rest);
        if (begin)
            std::memmove(buffer.data(), buffer.data() + begin, job->length);
        job->bytes = std::move(buffer);
        buffer = std::move(following);
        filled = rest;

        if (sequential_) {
            parseSequentially(*job);
            if (cutAtEntity) {
                sequential_->parser->finishBeforeEntity();
                if (sequential_->parser->atEntityStart())
                    flushSequential(); // the next blocks go to workers
            }
            spare_.push_back(std::move(job->bytes));
            checkLimits();
        } else if (!cutAtEntity) {
            // The file ends here, or a block without an entity start: one parser goes on.
            while (!inFlight_.empty() && !sequential_)
                mergeFront();
            if (!sequential_)
                sequential_ =
                    std::make_unique<Piece>(PairParser::Section::Entities, nextLine_, true);
            parseSequentially(*job);
            spare_.push_back(std::move(job->bytes));
            checkLimits();
        } else {
            job->piece = std::make_unique<Piece>(PairParser::Section::Entities, 1, true);
            Job* raw = job.get();
            inFlight_.push_back(std::move(job));
            workers_->submit(raw);
            // When a piece went wrong, one parser has gone on through every block handed
            // out, this one included.
            while (inFlight_.size() >= inFlightLimit_ && !sequential_)
                mergeFront();
        }
    }
    if (done_ == 0)
        throw DrawingError(refusal(FileKind::NotDrawing));
    while (!inFlight_.empty() && !sequential_)
        mergeFront();
    // A drawing cut short shows what was read, with a warning.
    if (!sequential_) {
        drawing_.truncated = true;
        return;
    }
    drawing_.truncated = !sequential_->parser->finishFile();
    flushSequential();
}

} // namespace

const char* lastEntityStart(const char* begin, const char* end) noexcept {
    // Walk back line by line: value is the line after code.
    const char* valueEnd = end; // one past the LF of the value line
    const char* valueStart = nullptr;
    const char* p = end;
    int lines = 0;
    while (p > begin && lines < 100000) {
        // p is one past an LF (or end); find the start of the line that ends at p - 1.
        const char* lineEnd = p - 1;
        const void* lf = lineEnd > begin
                             ? lastLineFeed(begin, static_cast<std::size_t>(lineEnd - begin))
                             : nullptr;
        const char* lineStart = lf ? static_cast<const char*>(lf) + 1 : begin;
        if (!lf && lineStart != begin)
            break;
        ++lines;
        if (valueStart) {
            const std::string_view code =
                trimmedLine(std::string_view(lineStart, lineEnd - lineStart));
            const std::string_view value =
                trimmedLine(std::string_view(valueStart, valueEnd - 1 - valueStart));
            if (code == "0" && !value.empty() && value != "VERTEX" && value != "SEQEND" &&
                !parseReal(value))
                return lineStart;
        }
        valueEnd = p;
        valueStart = lineStart;
        p = lineStart;
        if (!lf)
            break;
    }
    return begin;
}

void readEntities(platform::ByteSource& source, std::int64_t total, const ReadOptions& options,
                  Drawing& drawing) {
    try {
        BlockLoop loop(source, total, options, drawing);
        loop.run();
    } catch (const std::bad_alloc&) {
        throw platform::RunError(platform::ErrorNumber::OutOfMemory);
    }
}

} // namespace quillet::drawing
