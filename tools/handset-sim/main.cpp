// handset-sim: a breath-alcohol handset on a pseudo-terminal.
//
// It prints the device path of the terminal on the first line of standard
// output (and links it to --link PATH), then behaves as a handset: "A" makes
// it send its log stream (after a 28-byte preamble with --preamble), "C"
// stops the sending (unless --ignore-stop). Every byte it receives is logged with the time since
// start, so a test or a user can see what the program sent.
#include "log_stream.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const char kUsage[] =
    "usage: handset-sim [options]\n"
    "  --link PATH        link PATH to the terminal (removed at exit)\n"
    "  --unit DIGITS      unit serial number, an even number of digits (default 0080)\n"
    "  --records N        number of log records (default 20)\n"
    "  --alcohol N        every N-th record is an alcohol measurement (default 3, 0: none)\n"
    "  --first-data-no N  data number of the first record (default 0)\n"
    "  --start TIME       time of the first record, YYYY-MM-DDTHH:MM:SS\n"
    "  --today N          the last N records fall on today up to now, the others before\n"
    "  --header HEX       header bytes before the first 0A (default none)\n"
    "  --hex-file FILE    send this hexadecimal stream instead of generated records\n"
    "  --preamble         send a 28-byte preamble before the stream\n"
    "  --bad-preamble     send a preamble whose byte 29 is not 0A\n"
    "  --fast             send as fast as the terminal takes it (default: 9600 baud)\n"
    "  --rate N           bytes per second (default 960, 9600 baud 8N1)\n"
    "  --silent           never answer\n"
    "  --endless          after the records, go on sending further records forever\n"
    "  --ignore-stop      go on sending after \"C\"\n"
    "  --exit-after N     vanish after sending N bytes (an unplugged adapter)\n"
    "  --log FILE         log received bytes and events to FILE (default: stderr)\n"
    "  --print-hex        print the stream as hexadecimal text and end\n"
    "  --help             print this text and end\n";

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

struct Options {
    std::string link;
    std::string hexFile;
    std::string logFile;
    handset::StreamOptions stream;
    bool preamble = false;
    bool badPreamble = false;
    bool fast = false;
    double rate = 960.0;
    bool silent = false;
    bool endless = false;
    bool ignoreStop = false;
    long exitAfter = -1;
    bool printHex = false;
    bool help = false;
};

bool parseNumber(const char* text, long& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && out >= 0;
}

bool parseArgs(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        long n = 0;
        if (a == "--preamble") {
            o.preamble = true;
        } else if (a == "--bad-preamble") {
            o.preamble = o.badPreamble = true;
        } else if (a == "--fast") {
            o.fast = true;
        } else if (a == "--silent") {
            o.silent = true;
        } else if (a == "--endless") {
            o.endless = true;
        } else if (a == "--ignore-stop") {
            o.ignoreStop = true;
        } else if (a == "--help") {
            o.help = true;
        } else if (a == "--print-hex") {
            o.printHex = true;
        } else if (a == "--link" && value(v)) {
            o.link = v;
        } else if (a == "--hex-file" && value(v)) {
            o.hexFile = v;
        } else if (a == "--log" && value(v)) {
            o.logFile = v;
        } else if (a == "--unit" && value(v)) {
            o.stream.unit = v;
        } else if (a == "--start" && value(v)) {
            o.stream.start = v;
        } else if (a == "--header" && value(v)) {
            o.stream.headerHex = v;
        } else if (a == "--records" && value(v) && parseNumber(v, n)) {
            o.stream.records = static_cast<int>(n);
        } else if (a == "--today" && value(v) && parseNumber(v, n)) {
            o.stream.today = static_cast<int>(n);
        } else if (a == "--alcohol" && value(v) && parseNumber(v, n)) {
            o.stream.alcoholEvery = static_cast<int>(n);
        } else if (a == "--first-data-no" && value(v) && parseNumber(v, n)) {
            o.stream.firstDataNo = static_cast<int>(n);
        } else if (a == "--rate" && value(v) && parseNumber(v, n) && n > 0) {
            o.rate = static_cast<double>(n);
        } else if (a == "--exit-after" && value(v) && parseNumber(v, n)) {
            o.exitAfter = n;
        } else {
            std::fprintf(stderr, "handset-sim: bad option %s\n%s", a.c_str(), kUsage);
            return false;
        }
    }
    return true;
}

// The answer to "A" and, with --endless, what goes on after it.
std::optional<handset::Bytes>
buildAnswer(const Options& o, std::optional<handset::Generator>& continuation, std::string& error)
{
    std::optional<handset::Bytes> stream;
    if (!o.hexFile.empty()) {
        if (o.endless) {
            error = "--endless sends generated records, not --hex-file";
            return std::nullopt;
        }
        std::ifstream in(o.hexFile);
        if (!in) {
            error = "cannot read " + o.hexFile;
            return std::nullopt;
        }
        std::stringstream text;
        text << in.rdbuf();
        stream = handset::fromHex(text.str(), error);
    } else {
        std::optional<handset::Generator> generator = handset::Generator::make(o.stream, error);
        if (generator)
            stream = generator->stream();
        if (o.endless)
            continuation = std::move(generator);
    }
    if (!stream)
        return std::nullopt;
    handset::Bytes out;
    if (o.preamble)
        out = handset::preamble();
    if (o.badPreamble && (stream->empty() || stream->front() == 0x0A))
        out.push_back(0x55); // byte 29 is then not the stream's opening 0x0A
    out.insert(out.end(), stream->begin(), stream->end());
    return out;
}

class EventLog {
public:
    explicit EventLog(const std::string& path)
        : file_(path.empty() ? stderr : std::fopen(path.c_str(), "a")), owned_(!path.empty())
    {
    }
    ~EventLog()
    {
        if (owned_ && file_)
            std::fclose(file_);
    }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    bool ok() const { return file_ != nullptr; }

    template <typename... Args> void write(const char* format, Args... args)
    {
        const double t = std::chrono::duration<double>(Clock::now() - start_).count();
        std::fprintf(file_, "%9.3f ", t);
        if constexpr (sizeof...(Args) == 0)
            std::fputs(format, file_);
        else
            std::fprintf(file_, format, args...);
        std::fputc('\n', file_);
        std::fflush(file_);
    }

private:
    std::FILE* file_;
    bool owned_;
    Clock::time_point start_ = Clock::now();
};

// The terminal pair. The simulator keeps the device side open too, so the
// terminal stays usable while no program has it open.
struct Terminal {
    int master = -1;
    int device = -1;
    std::string path;
    ~Terminal()
    {
        if (device >= 0)
            ::close(device);
        if (master >= 0)
            ::close(master);
    }
};

bool openTerminal(Terminal& t)
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    if (openpty(&t.master, &t.device, name, &raw, nullptr) != 0)
        return false;
    t.path = name;
    const int flags = fcntl(t.master, F_GETFL);
    fcntl(t.master, F_SETFL, flags | O_NONBLOCK);
    return true;
}

// Replaces PATH by a link to the device; refuses to replace anything but a link.
bool makeLink(const std::string& link, const std::string& target)
{
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "handset-sim: %s exists and is not a link\n", link.c_str());
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "handset-sim: cannot link %s: %s\n", link.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

// Removes the link at exit, unless someone has pointed it elsewhere since.
void removeLink(const std::string& link, const std::string& target)
{
    char buf[512] = {};
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == target)
        ::unlink(link.c_str());
}

std::string describe(std::uint8_t b)
{
    char text[32];
    if (b >= 0x20 && b < 0x7F)
        std::snprintf(text, sizeof text, "'%c' (%02X)", b, b);
    else
        std::snprintf(text, sizeof text, "(%02X)", b);
    return text;
}

// What the handset sends after "A": the answer, then, with --endless,
// further records for ever.
class Sending {
public:
    Sending(const handset::Bytes& answer, std::optional<handset::Generator> continuation)
        : answer_(answer), continuation_(std::move(continuation))
    {
    }
    void restart()
    {
        buffer_ = answer_;
        more_ = continuation_;
        at_ = 0;
        total_ = 0;
    }
    // The bytes not written yet; empty at the end of a finite answer.
    const std::uint8_t* data() const { return buffer_.data() + at_; }
    std::size_t left()
    {
        if (at_ == buffer_.size() && more_) {
            buffer_ = more_->more(2000);
            at_ = 0;
        }
        return buffer_.size() - at_;
    }
    void written(std::size_t n)
    {
        at_ += n;
        total_ += n;
    }
    std::size_t total() const { return total_; }
    bool endless() const { return continuation_.has_value(); }

private:
    const handset::Bytes& answer_;
    std::optional<handset::Generator> continuation_;
    std::optional<handset::Generator> more_;
    handset::Bytes buffer_;
    std::size_t at_ = 0;
    std::size_t total_ = 0;
};

int run(const Options& o, Sending& sending)
{
    EventLog log(o.logFile);
    if (!log.ok()) {
        std::fprintf(stderr, "handset-sim: cannot write %s\n", o.logFile.c_str());
        return 1;
    }
    Terminal term;
    if (!openTerminal(term)) {
        std::fprintf(stderr, "handset-sim: openpty failed: %s\n", std::strerror(errno));
        return 1;
    }
    if (!o.link.empty() && !makeLink(o.link, term.path))
        return 1;
    std::printf("%s\n", term.path.c_str());
    std::fflush(stdout);
    sending.restart();
    const std::size_t answerSize = sending.left();
    log.write("ready on %s, %zu bytes to send%s%s", term.path.c_str(), answerSize,
              sending.endless() ? " and more" : "", o.silent ? " (silent)" : "");

    bool active = false;
    long sentTotal = 0;
    Clock::time_point sendStart;
    int status = 0;
    while (!g_stop) {
        // Sending fast, the terminal's room for more wakes the loop too.
        const bool waitForRoom = active && o.fast;
        pollfd pfd{term.master, static_cast<short>(POLLIN | (waitForRoom ? POLLOUT : 0)), 0};
        const int timeout = active ? (o.fast ? 100 : 5) : 200;
        const int ready = ::poll(&pfd, 1, timeout);
        if (ready < 0 && errno != EINTR) {
            log.write("poll failed: %s", std::strerror(errno));
            status = 1;
            break;
        }
        if (ready > 0 && (pfd.revents & POLLIN)) {
            std::uint8_t buf[256];
            const ssize_t n = ::read(term.master, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                const std::uint8_t b = buf[i];
                log.write("received %s", describe(b).c_str());
                if (o.silent)
                    continue;
                if (b == 'A') {
                    active = true;
                    sending.restart();
                    sendStart = Clock::now();
                    log.write("sending %zu bytes%s", answerSize,
                              sending.endless() ? " and more" : "");
                } else if (b == 'C' && active && o.ignoreStop) {
                    log.write("going on after %zu bytes", sending.total());
                } else if (b == 'C' && active) {
                    active = false;
                    if (sending.endless())
                        log.write("stopped after %zu bytes", sending.total());
                    else
                        log.write("stopped after %zu of %zu bytes", sending.total(), answerSize);
                }
            }
        }
        if (!active)
            continue;
        std::size_t room = sending.left();
        if (!o.fast) {
            const double seconds = std::chrono::duration<double>(Clock::now() - sendStart).count();
            const auto due = static_cast<std::size_t>(seconds * o.rate) + 1;
            room = std::min(room, due > sending.total() ? due - sending.total() : 0);
        }
        if (o.exitAfter >= 0)
            room = std::min(room, static_cast<std::size_t>(std::max(0L, o.exitAfter - sentTotal)));
        if (room > 0) {
            const ssize_t n = ::write(term.master, sending.data(), room);
            if (n > 0) {
                sending.written(static_cast<std::size_t>(n));
                sentTotal += n;
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                log.write("write failed: %s", std::strerror(errno));
            }
        }
        if (o.exitAfter >= 0 && sentTotal >= o.exitAfter) {
            log.write("vanishing after %ld bytes", sentTotal);
            break;
        }
        if (sending.left() == 0) {
            active = false;
            log.write("sent all %zu bytes", sending.total());
        }
    }
    if (!o.link.empty())
        removeLink(o.link, term.path);
    log.write("end");
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!parseArgs(argc, argv, o))
        return 2;
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::string error;
    std::optional<handset::Generator> continuation;
    const auto answer = buildAnswer(o, continuation, error);
    if (!answer) {
        std::fprintf(stderr, "handset-sim: %s\n", error.c_str());
        return 2;
    }
    if (o.printHex) {
        std::printf("%s\n", handset::toHex(*answer).c_str());
        return 0;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    Sending sending(*answer, std::move(continuation));
    return run(o, sending);
}
