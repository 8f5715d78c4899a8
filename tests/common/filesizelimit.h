#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

// Lets no file of this process grow past `bytes` while it is in scope, as a full disk
// would: a write that reaches the limit is cut short there, the next one fails.
class FileSizeLimit {
public:
#ifdef Q_OS_UNIX
    static bool available()
    {
        return true;
    }

    explicit FileSizeLimit(qint64 bytes)
    {
        // Without this the kernel ends the process instead of failing the write.
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &before_);
        rlimit limited = before_;
        limited.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, signal_);
    }

private:
    rlimit before_{};
    void (*signal_)(int) = nullptr;
#else
    static bool available()
    {
        return false;
    }
    explicit FileSizeLimit(qint64) {}
#endif
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
};
