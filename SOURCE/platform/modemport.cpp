#include "platform/modemport.h"

#include "platform/serialports.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr u8 kMagic[4] = {'T', 'M', 'D', '1'};
constexpr u32 kSpeeds[] = {9600, 19200, 38400, 57600, 115200};

speed_t SpeedCode(u32 speed)
{
    switch (speed) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    default:
        return B115200;
    }
}

// A program of this user that has the port open, by its command name.
std::string HolderOf(const std::string& path)
{
    char target[PATH_MAX];
    if (!::realpath(path.c_str(), target))
        return {};
    const std::string self = std::to_string(::getpid());
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return {};
    std::string holder;
    while (const dirent* process = ::readdir(proc)) {
        if (process->d_name[0] < '0' || process->d_name[0] > '9' || self == process->d_name)
            continue;
        const std::string folder = std::string("/proc/") + process->d_name;
        DIR* fds = ::opendir((folder + "/fd").c_str());
        if (!fds)
            continue;
        bool holds = false;
        while (const dirent* fd = ::readdir(fds)) {
            char link[PATH_MAX];
            const ssize_t length = ::readlinkat(::dirfd(fds), fd->d_name, link, sizeof link - 1);
            if (length > 0 && std::string_view(link, std::size_t(length)) == target) {
                holds = true;
                break;
            }
        }
        ::closedir(fds);
        if (!holds)
            continue;
        std::FILE* comm = std::fopen((folder + "/comm").c_str(), "r");
        char name[64] = {};
        if (comm && std::fgets(name, sizeof name, comm))
            name[std::strcspn(name, "\n")] = '\0';
        if (comm)
            std::fclose(comm);
        holder = name[0] ? name : "another program";
        break;
    }
    ::closedir(proc);
    return holder;
}

bool ValidSpeed(u32 speed)
{
    for (const u32 known : kSpeeds) {
        if (known == speed)
            return true;
    }
    return false;
}

}  // namespace

std::span<const u32> ModemSpeeds()
{
    return kSpeeds;
}

bool IsValidInitString(std::string_view init)
{
    if (init.empty())
        return true;
    if (init.size() < 2 || init.size() > ModemConfig::kMaxInitLength
        || (init.substr(0, 2) != "AT" && init.substr(0, 2) != "at"))
        return false;
    for (const char c : init) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    // A dial belongs to the number, never to the initialisation. ";" would
    // let a second command follow an extended one ("+FCLASS=8;D5551234"),
    // so it is refused wherever it stands; without it an extended command
    // runs to the end, and a D before one is a dial unless it follows a
    // prefix ("&D2").
    if (init.find(';') != std::string_view::npos)
        return false;
    for (std::size_t i = 2; i < init.size(); ++i) {
        const char c = init[i];
        if (c == '+')
            break;
        const char before = init[i - 1];
        if ((c == 'D' || c == 'd') && before != '&' && before != '%' && before != '\\')
            return false;
    }
    return true;
}

std::vector<u8> EncodeModemConfig(const ModemConfig& config)
{
    std::vector<u8> bytes(std::begin(kMagic), std::end(kMagic));
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(u8(config.speed >> shift));
    bytes.push_back(u8(config.flow));
    bytes.push_back(u8(config.init.size()));
    bytes.insert(bytes.end(), config.init.begin(), config.init.end());
    return bytes;
}

bool DecodeModemConfig(std::span<const u8> bytes, ModemConfig& config)
{
    constexpr std::size_t kHeader = 4 + 4 + 1 + 1;
    if (bytes.size() < kHeader || !std::equal(std::begin(kMagic), std::end(kMagic), bytes.begin()))
        return false;
    ModemConfig read;
    read.speed = u32(bytes[4]) | u32(bytes[5]) << 8 | u32(bytes[6]) << 16 | u32(bytes[7]) << 24;
    const u8 flow = bytes[8];
    const std::size_t length = bytes[9];
    if (!ValidSpeed(read.speed) || flow > ModemConfig::kSoftwareFlow || bytes.size() != kHeader + length)
        return false;
    read.flow = ModemConfig::Flow(flow);
    read.init.assign(bytes.begin() + kHeader, bytes.end());
    if (!IsValidInitString(read.init))
        return false;
    config = std::move(read);
    return true;
}

PortOpening OpenModemPort(const std::string& path, const ModemConfig& config, bool findHolders)
{
    PortOpening opening;
    if (!SerialDeviceAllowed(path)) {
        opening.outcome = PortOpening::kDenied;
        opening.detail = "refused";
        return opening;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        opening.detail = std::strerror(error);
        opening.outcome = error == ENOENT || error == ENODEV || error == ENXIO ? PortOpening::kGone
            : error == EBUSY                                                   ? PortOpening::kBusy
            : error == EACCES || error == EPERM                                ? PortOpening::kDenied
                                                                               : PortOpening::kFailed;
        if (opening.outcome == PortOpening::kBusy)
            opening.detail = "another program";
        return opening;
    }
    const auto fail = [&](PortOpening::Outcome outcome, std::string detail) {
        ::close(fd);
        opening.outcome = outcome;
        opening.detail = std::move(detail);
        return opening;
    };
    if (!::isatty(fd))
        return fail(PortOpening::kFailed, "not a serial port");
    // Terminal programs lock the port; a modem manager or a shell only
    // keeps it open, which the process table tells.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(PortOpening::kBusy, "another program");
    if (const std::string holder = findHolders ? HolderOf(path) : std::string(); !holder.empty())
        return fail(PortOpening::kBusy, holder);

    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return fail(PortOpening::kFailed, std::strerror(errno));
    opening.original = settings;
    // Whether closing drops DTR stays as the system set it: a modem set to
    // hang up on DTR still does, and no other device is reset by this
    // program's choice.
    const tcflag_t hangUpOnClose = settings.c_cflag & HUPCL;
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~HUPCL;
    settings.c_cflag |= CLOCAL | CREAD | hangUpOnClose;
    settings.c_cflag &= ~CRTSCTS;
    settings.c_iflag &= ~(IXON | IXOFF);
    if (config.flow == ModemConfig::kHardwareFlow)
        settings.c_cflag |= CRTSCTS;
    else if (config.flow == ModemConfig::kSoftwareFlow)
        settings.c_iflag |= IXON | IXOFF;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, SpeedCode(config.speed));
    ::cfsetospeed(&settings, SpeedCode(config.speed));
    if (::tcsetattr(fd, TCSANOW, &settings) != 0)
        return fail(PortOpening::kFailed, std::strerror(errno));
    ::tcflush(fd, TCIOFLUSH);
    opening.outcome = PortOpening::kOpened;
    opening.fd = fd;
    return opening;
}

void CloseModemPort(int fd, const termios& original)
{
    if (fd < 0)
        return;
    // Output a modem holding CTS low never takes would make close wait for
    // it; what is left is dropped, and the port gets back the settings it
    // had for the next program.
    ::tcflush(fd, TCIOFLUSH);
    ::tcsetattr(fd, TCSANOW, &original);
    ::close(fd);
}

bool WriteModemCommand(int fd, std::string_view command)
{
    std::string line(command);
    line += '\r';
    const ssize_t written = ::write(fd, line.data(), line.size());
    return written == ssize_t(line.size());
}

namespace {

// Reads until a result code comes, the time is up or the port fails.
// Information lines go to info.
ModemResult AwaitResult(int fd, ModemAnswerReader& reader, int timeoutMs, const std::atomic<bool>& stop,
    std::vector<std::string>* info, bool& gone)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        ModemAnswer answer;
        while (reader.Next(answer)) {
            if (answer.echo)
                continue;
            if (answer.result != ModemResult::None)
                return answer.result;
            if (info && info->size() < 16)
                info->push_back(answer.text);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || stop)
            return ModemResult::None;
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, int(std::min<long long>(left.count(), 50)));
        if (ready < 0 && errno != EINTR)
            return ModemResult::None;
        if (ready <= 0)
            continue;
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        // A raw terminal reads 0 when nothing waits; a hang-up ends the wait.
        if (got > 0) {
            reader.Feed(std::string_view(buffer, std::size_t(got)));
        } else if ((got < 0 && errno != EAGAIN && errno != EINTR)
            || (watched.revents & (POLLHUP | POLLERR))) {
            gone = true;
            return ModemResult::None;
        }
    }
}

// Writes the bytes as the port takes them; false when it failed, or took
// not all of them within timeoutMs (the modem held the line all along).
bool WriteWithin(int fd, std::string_view bytes, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(std::size_t(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd watched{fd, POLLOUT, 0};
        if (::poll(&watched, 1, int(std::min<long long>(left.count(), 50))) > 0
            && (watched.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return false;
    }
    return true;
}

}  // namespace

ModemProbe ProbeModemPort(
    const std::string& path, const ModemConfig& config, int timeoutMs, const std::atomic<bool>& stop)
{
    ModemProbe probe;
    // A look that waited its turn until its program no longer wants it
    // opens nothing: by now the path may name another program's terminal
    // (the number of a pseudo-terminal, or of a USB port pulled out and
    // another plugged in, is given out again at once).
    if (stop)
        return probe;
    const PortOpening opening = OpenModemPort(path, config, true);
    switch (opening.outcome) {
    case PortOpening::kOpened:
        break;
    case PortOpening::kBusy:
        probe.state = ModemProbe::kBusy;
        probe.detail = opening.detail;
        return probe;
    case PortOpening::kGone:
        probe.state = ModemProbe::kGone;
        return probe;
    case PortOpening::kDenied:
        probe.state = ModemProbe::kDenied;
        probe.detail = opening.detail;
        return probe;
    case PortOpening::kFailed:
        probe.state = ModemProbe::kSilent;
        probe.detail = opening.detail;
        return probe;
    }
    const int fd = opening.fd;
    ModemAnswerReader reader;
    bool gone = false;
    ModemResult result = ModemResult::None;
    if (WriteModemCommand(fd, "AT"))
        result = AwaitResult(fd, reader, timeoutMs, stop, nullptr, gone);
    std::vector<std::string> info;
    if (result == ModemResult::Ok && WriteModemCommand(fd, "ATI"))
        result = AwaitResult(fd, reader, timeoutMs, stop, &info, gone);
    CloseModemPort(fd, opening.original);
    if (gone) {
        probe.state = ModemProbe::kGone;
        return probe;
    }
    if (result != ModemResult::Ok && result != ModemResult::Error) {
        probe.state = ModemProbe::kSilent;
        return probe;
    }
    probe.state = ModemProbe::kModem;
    // Many modems answer ATI with a product number first: a line with a
    // letter in it names the modem better.
    for (const std::string& line : info) {
        const bool named = std::any_of(
            line.begin(), line.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
        if (named || probe.name.empty())
            probe.name = line;
        if (named)
            break;
    }
    if (probe.name.empty())
        probe.name = "Modem";
    return probe;
}

void HangUpModemPort(int fd, const termios& original, bool stopDial, int timeoutMs)
{
    const std::atomic<bool> stop{false};
    ModemAnswerReader reader;
    bool gone = false;
    // Any character stops a modem dialing; ATH follows its answer, or the
    // time allowed for one.
    if (stopDial && WriteWithin(fd, "\r", timeoutMs))
        AwaitResult(fd, reader, timeoutMs, stop, nullptr, gone);
    if (!gone && WriteWithin(fd, "ATH\r", timeoutMs))
        AwaitResult(fd, reader, timeoutMs, stop, nullptr, gone);
    CloseModemPort(fd, original);
}
