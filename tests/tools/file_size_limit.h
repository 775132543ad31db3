#pragma once
// A full disk for the writes of this process: while the limit is set, a write() that would make a file larger
// than the limit fails with EFBIG, as writes on a full disk fail with ENOSPC (SIGXFSZ, which would end the
// process, is ignored). Deleting and renaming still work. The old limit comes back with lift(), or at the
// end of the scope when a failed check returns early.

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &saved_) != 0)
            return;
        rlimit small = saved_;
        small.rlim_cur = bytes;
        set_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool set() const { return set_; }
    // Restores the limit from before; false when that fails.
    bool lift()
    {
        if (!set_)
            return true;
        set_ = false;
        return setrlimit(RLIMIT_FSIZE, &saved_) == 0;
    }

private:
    rlimit saved_{};
    bool set_ = false;
};
