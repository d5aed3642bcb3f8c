#pragma once

#include <QString>

#include <array>
#include <linux/capability.h>
#include <sys/resource.h>

// Real conditions under which the data file cannot be used, each undone when it ends.

// A small tmpfs of its own at an existing folder (needs root).
class TmpfsMount {
public:
    TmpfsMount() = default;
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;
    ~TmpfsMount();

    bool mount(const QString &folder, const char *options);
    bool setReadOnly(bool readOnly);

private:
    QString m_folder;
};

// Writes into the folder until nothing more fits.
void fillDisk(const QString &folder);

// Files may not grow beyond the given size while this lives. SIGXFSZ must be ignored,
// as the program does, for the write to fail instead of the process being killed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    ~FileSizeLimit();

    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    bool m_active = false;
};

// Root reads and writes past mode bits; while this lives, the calling thread (the one that
// runs the windows) is held to them like any other user.
class ModeBitsApply {
public:
    ModeBitsApply();
    ModeBitsApply(const ModeBitsApply &) = delete;
    ModeBitsApply &operator=(const ModeBitsApply &) = delete;
    ~ModeBitsApply();

    bool active() const { return m_active; }

private:
    std::array<__user_cap_data_struct, 2> m_saved{};
    bool m_dropped = false;
    bool m_active = false;
};
