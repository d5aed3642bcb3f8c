#pragma once

#include "data_error.h"
#include "data_file_location.h"

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// A file descriptor that is closed on every way out.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1)
        : m_fd(fd) {}
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept {
        reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    void reset(int fd = -1);

private:
    int m_fd;
};

// The folder that holds the data file, held open and locked for one read or one append.
// The file is opened through it, so that the file used is the one in the folder checked.
struct DataFolder {
    UniqueFd fd;
    QString path;     // the folder
    QString fileName; // the data file's name in it
    QString filePath; // the data file

    enum class Lock { Shared, Exclusive };

    // Opens the folder of the data file, refuses it if another user owns it (or a link to
    // it), takes it private if others may look in, and locks it. A folder that does not
    // exist is FolderMissing.
    static std::variant<DataFolder, DataError> open(const QString &filePath, Lock lock);

    // Opens the data file in the folder with open(2) flags, refusing a link or a file that
    // another user owns and anything that is not a plain file, and taking it private.
    // With O_CREAT, created tells whether this call made the file.
    std::variant<UniqueFd, DataError> openFile(int flags, bool *created = nullptr) const;
};

// Makes sure the folder holding the data file exists, creating it (owner-only, 0700)
// only when it is the program's own folder.
std::optional<DataError> ensureDataFolder(const DataFileLocation &location);
