#include "data_folder.h"
#include "lock_patience.h"
#include "system_error.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

// Who may reach the folder is Windows' access control lists' business, so nothing on the way
// is checked; the folder is looked at only when the file cannot be opened in it. The lock is
// the file's share mode: 開く opens the data file letting others read but not write, an
// append lets no one else open it at all, and a copy that is refused
// (ERROR_SHARING_VIOLATION) tries again for a while. Share modes hold against every
// program, earlier versions of this one and editors included, where LockFileEx would bind only
// those that ask for it, and they end with the handle even if the process is killed.

namespace {

using Kind = DataError::Kind;

std::wstring native(const QString &path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

int lastError() {
    return int(::GetLastError());
}

struct Opened {
    UniqueHandle handle;
    DWORD error = ERROR_SUCCESS; // why it failed
};

// Opens the file, waiting while another program holds it open in a way that excludes ours.
Opened openSharing(const QString &path, DWORD access, DWORD share, DWORD disposition) {
    const std::wstring name = native(path);
    Opened opened;
    patiently([&] {
        const HANDLE file = ::CreateFileW(name.c_str(), access, share, nullptr, disposition,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        opened.error = ::GetLastError();
        if (file != INVALID_HANDLE_VALUE)
            opened.handle.reset(file);
        const bool held = !opened.handle.valid() && opened.error == ERROR_SHARING_VIOLATION;
        return held ? Attempt::Held : Attempt::Done;
    });
    return opened;
}

// Why the data file could not be opened, looking closer only once it has failed.
DataError whyNotOpened(const QString &path, int code) {
    if (code == ERROR_SHARING_VIOLATION)
        return DataError{.kind = Kind::Busy, .path = path};
    const QString folder = QFileInfo(path).absolutePath();
    const DWORD attributes = ::GetFileAttributesW(native(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DataError{.kind = Kind::NotAFile, .path = path};
    if (code == ERROR_FILE_NOT_FOUND)
        return DataError{.kind = Kind::FileMissing, .path = path};
    if (code == ERROR_PATH_NOT_FOUND) {
        const DWORD above = ::GetFileAttributesW(native(folder).c_str());
        if (above != INVALID_FILE_ATTRIBUTES && !(above & FILE_ATTRIBUTE_DIRECTORY))
            return systemFailure(Kind::CannotOpenFolder, QDir::toNativeSeparators(folder),
                                 ERROR_DIRECTORY);
        return DataError{.kind = Kind::FolderMissing, .path = QDir::toNativeSeparators(folder)};
    }
    return systemFailure(Kind::CannotOpen, path, code);
}

} // namespace

void reportFileSizeLimitAsError() {} // Windows has no signal for it: a write just fails

bool mayWrite(const QString &path) {
    const std::wstring name = native(path);
    HANDLE file = ::CreateFileW(name.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_NOT_FOUND)
        file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError() != ERROR_ACCESS_DENIED;
    ::CloseHandle(file);
    return true;
}

void UniqueHandle::reset(NativeHandle handle) {
    if (m_handle != kNoHandle)
        ::CloseHandle(m_handle);
    m_handle = handle;
}

Result<qsizetype> DataFile::read(qint64 offset, char *into, qsizetype length) const {
    qsizetype done = 0;
    while (done < length) {
        OVERLAPPED at{};
        at.Offset = DWORD(quint64(offset + done));
        at.OffsetHigh = DWORD(quint64(offset + done) >> 32);
        DWORD n = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(length - done, 1 << 30));
        if (!::ReadFile(handle(), into + done, chunk, &n, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            return systemFailure(Kind::ReadFailed, m_path, lastError());
        }
        done += n;
        if (n < chunk) // the end of the file
            break;
    }
    return done;
}

Status DataFile::append(QByteArrayView bytes) const {
    // No one else has the file open, so its end is where the bytes go.
    LARGE_INTEGER end{};
    DWORD written = 0;
    if (!::SetFilePointerEx(handle(), end, nullptr, FILE_END) ||
        !::WriteFile(handle(), bytes.data(), DWORD(bytes.size()), &written, nullptr))
        return systemFailure(Kind::WriteFailed, m_path, lastError());
    if (qsizetype(written) != bytes.size())
        return systemFailure(Kind::WriteFailed, m_path, ERROR_DISK_FULL);
    return {};
}

Status DataFile::truncate(qint64 size) const {
    // Wine fails to set a file to the size it has on a full disk.
    LARGE_INTEGER at{};
    if (::GetFileSizeEx(handle(), &at) && at.QuadPart == size)
        return {};
    at.QuadPart = size;
    if (!::SetFilePointerEx(handle(), at, nullptr, FILE_BEGIN) || !::SetEndOfFile(handle()))
        return systemFailure(Kind::WriteFailed, m_path, lastError());
    return {};
}

Status DataFile::flush() const {
    if (!::FlushFileBuffers(handle()))
        return systemFailure(Kind::WriteFailed, m_path, lastError());
    return {};
}

Result<DataFolder> DataFolder::open(const DataFileLocation &location, Access access) {
    // The folder is checked when the file is opened in it; the program's own is made first.
    const QFileInfo file(location.path);
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    if (location.folders == FolderCreation::CreateOwnFolder && access == Access::Append &&
        !QDir().mkpath(folder))
        return systemFailure(Kind::CannotCreateFolder, folder, lastError());
    return DataFolder(UniqueHandle(), folder, file.fileName(), access, false);
}

QString DataFolder::filePath(const QString &name) const {
    return m_path.endsWith(u'\\') ? m_path + name : m_path + u'\\' + name;
}

Result<DataFile> DataFolder::openDataFile() const {
    const QString path = filePath(m_fileName);
    const bool append = m_access == Access::Append;

    // Readers share with readers; an append shares with no one, and may delete the file it
    // made if the append fails.
    const DWORD access = append ? GENERIC_READ | GENERIC_WRITE | DELETE : GENERIC_READ;
    const DWORD share = append ? 0 : FILE_SHARE_READ;
    Opened opened = append ? openSharing(path, access, share, CREATE_NEW)
                           : Opened{UniqueHandle(), ERROR_FILE_EXISTS};
    const bool made = opened.handle.valid();
    if (!made && opened.error == ERROR_FILE_EXISTS)
        opened = openSharing(path, access, share, OPEN_EXISTING);
    UniqueHandle &file = opened.handle;
    if (!file.valid())
        return whyNotOpened(path, int(opened.error));

    FILE_STANDARD_INFO info{};
    if (!::GetFileInformationByHandleEx(file.get(), FileStandardInfo, &info, sizeof info))
        return systemFailure(Kind::ReadFailed, path, lastError());
    if (info.Directory)
        return DataError{.kind = Kind::NotAFile, .path = path};
    return DataFile(std::move(file), m_fileName, path, info.EndOfFile.QuadPart, made);
}

Result<DataFile> DataFolder::createFile(const QString &name) const {
    // Others may delete it by name while it is open, as remove() does.
    const HANDLE file =
        ::CreateFileW(native(filePath(name)).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return systemFailure(Kind::CannotOpen, filePath(name), lastError());
    return DataFile(UniqueHandle(file), name, filePath(name), 0);
}

bool DataFolder::contains(const QString &name) const {
    return ::GetFileAttributesW(native(filePath(name)).c_str()) != INVALID_FILE_ATTRIBUTES ||
           ::GetLastError() != ERROR_FILE_NOT_FOUND;
}

void DataFolder::remove(const QString &name) const {
    ::DeleteFileW(native(filePath(name)).c_str());
}

void DataFolder::remove(const DataFile &created) const {
    // The file is open and shared with no one: it goes when its handle is closed.
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    ::SetFileInformationByHandle(created.handle(), FileDispositionInfo, &dispose, sizeof dispose);
}

void DataFile::makePrivate() const {} // who may read it is for its access lists to say

void DataFolder::makePrivate() const {}

Status DataFolder::replaceDataFile(const QString &name, DataFile &dataFile) const {
    // The data file, held open and shared with no one, cannot be replaced until it is closed:
    // for that moment, another program may open it first, which the patience rides out.
    dataFile.close();
    const std::wstring from = native(filePath(name));
    const std::wstring to = native(filePath(m_fileName));
    DWORD error = ERROR_SUCCESS;
    patiently([&] {
        error = ::MoveFileExW(from.c_str(), to.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                    ? ERROR_SUCCESS
                    : ::GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
        return held ? Attempt::Held : Attempt::Done;
    });
    if (error != ERROR_SUCCESS)
        return systemFailure(Kind::WriteFailed, filePath(m_fileName), int(error));
    return {};
}

Status DataFolder::moveUnlessThere(const QString &from, const QString &to) const {
    if (::MoveFileExW(native(filePath(from)).c_str(), native(filePath(to)).c_str(),
                      MOVEFILE_WRITE_THROUGH) ||
        ::GetLastError() == ERROR_ALREADY_EXISTS || ::GetLastError() == ERROR_FILE_EXISTS)
        return {};
    return systemFailure(Kind::WriteFailed, filePath(to), lastError());
}

// NTFS and FAT write a new file's name with the file's own metadata; a folder cannot be
// flushed on its own.
Status DataFolder::flush() const {
    return {};
}
