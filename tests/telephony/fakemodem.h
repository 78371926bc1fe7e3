// A modem played on the far side of a pseudo-terminal: the program opens
// the terminal's path as it opens a serial port, and the test decides what
// the modem answers to each command, how slowly, or that it says nothing.
// It runs on a thread of its own, as a real modem runs beside the program.
#pragma once

#include "support/machine.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

class FakeModem {
public:
    // A piece of an answer: bytes sent after a pause.
    struct Say {
        int afterMs = 0;
        std::string bytes;
    };
    using Script = std::function<std::vector<Say>(const std::string& command)>;

    // A modem that names itself and says OK to everything, voice dials
    // included, without reporting the far end.
    static std::vector<Say> Plain(const std::string& command)
    {
        if (command == "ATI")
            return {{0, "\r\n56000\r\nTolva Test Voice Modem\r\n\r\nOK\r\n"}};
        return {{0, "\r\nOK\r\n"}};
    }

    explicit FakeModem(Script script = Plain)
        : m_script(std::move(script))
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0) {
            m_path = ::ptsname(m_master);
            AllowTestDevice(m_path);
        }
        ::fcntl(m_master, F_SETFL, O_NONBLOCK);
        m_thread = std::thread([this] { Run(); });
    }

    ~FakeModem() { Unplug(); }

    const std::string& Path() const { return m_path; }
    // The terminal's line settings are read and set through this side too.
    int Master() const { return m_master; }

    void SetScript(Script script)
    {
        const std::lock_guard lock(m_mutex);
        m_script = std::move(script);
    }

    std::vector<std::string> Commands()
    {
        const std::lock_guard lock(m_mutex);
        return m_commands;
    }

    // Sends bytes unasked, as a modem reports the far end.
    void Send(const std::string& bytes)
    {
        const std::lock_guard lock(m_mutex);
        m_unasked += bytes;
    }

    // Holds the line by software flow control (XOFF), or lets it go (XON).
    // The terminal honours it as a port set to software flow control does,
    // also while nobody has the port open, until the modem lets go.
    void HoldLine(bool hold)
    {
        termios settings{};
        ::tcgetattr(m_master, &settings);
        settings.c_iflag |= IXON;
        ::tcsetattr(m_master, TCSANOW, &settings);
        Send(hold ? "\x13" : "\x11");
    }

    // Whether the port would take a byte now.
    bool PortTakesBytes() const
    {
        const int port = ::open(m_path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (port < 0)
            return false;
        pollfd watched{port, POLLOUT, 0};
        const bool takes = ::poll(&watched, 1, 0) > 0 && (watched.revents & POLLOUT);
        ::close(port);
        return takes;
    }

    // The modem goes: its terminal closes and its path disappears.
    void Unplug()
    {
        m_stop = true;
        if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
            m_thread.join();
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    void Run()
    {
        std::string line;
        while (!m_stop) {
            {
                std::string unasked;
                {
                    const std::lock_guard lock(m_mutex);
                    unasked.swap(m_unasked);
                }
                Write(unasked);
            }
            pollfd watched{m_master, POLLIN, 0};
            if (::poll(&watched, 1, 10) <= 0 || !(watched.revents & POLLIN)) {
                // No terminal side open yet: the master reports a hang-up.
                if (watched.revents & POLLHUP)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            char buffer[256];
            const ssize_t got = ::read(m_master, buffer, sizeof buffer);
            if (got <= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            for (ssize_t i = 0; i < got; ++i) {
                if (buffer[i] != '\r') {
                    line += buffer[i];
                    continue;
                }
                Script script;
                {
                    const std::lock_guard lock(m_mutex);
                    m_commands.push_back(line);
                    script = m_script;
                }
                const std::vector<Say> answer = script(line);
                line.clear();
                for (const Say& say : answer) {
                    for (int waited = 0; waited < say.afterMs && !m_stop; waited += 10)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    Write(say.bytes);
                }
            }
        }
    }

    void Write(const std::string& bytes)
    {
        if (!bytes.empty() && m_master >= 0) {
            [[maybe_unused]] const ssize_t written = ::write(m_master, bytes.data(), bytes.size());
        }
    }

    std::mutex m_mutex;
    Script m_script;
    std::vector<std::string> m_commands;
    std::string m_unasked;
    std::string m_path;
    int m_master = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
