// A FIFO for tests of code that must never block on one. Should the code
// wait in open() for a writer after all, the watch comes as that writer
// after a few seconds, so the test fails instead of hanging.
#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class FifoWatch {
public:
    explicit FifoWatch(const QString& path)
        : m_path(path.toStdString())
    {
        m_made = ::mkfifo(m_path.c_str(), 0600) == 0;
        m_thread = std::thread([this] {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, std::chrono::seconds(3), [this] { return m_done; }))
                return;
            m_blocked = true;
            const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
    }
    ~FifoWatch() { Stop(); }

    bool Made() const { return m_made; }
    // Whether anything waited on the FIFO; ends the watch.
    bool Blocked()
    {
        Stop();
        return m_blocked;
    }

private:
    void Stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    std::string m_path;
    bool m_made = false;
    bool m_done = false;
    bool m_blocked = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};
