#include "data_file_io.h"

#include "data_file_size.h"
#include "data_folder.h"

#include <QDateTime>

namespace {

using Kind = DataError::Kind;

// The whole file from its start; never more than an address book can hold, however large
// the file is or grows while it is read.
Result<QByteArray> readWhole(const DataFile &file) {
    const qint64 size = file.sizeWhenOpened();
    const auto tooBig = [&](qint64 bytes) {
        return DataError{.kind = Kind::FileTooBig, .path = file.path(), .bytes = bytes};
    };
    if (size > kMaxDataFileBytes)
        return tooBig(size);

    // One byte more than the size, so that a file that has not grown is read in one pass.
    QByteArray bytes(qsizetype(size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > kMaxDataFileBytes)
                return tooBig(used);
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, kMaxDataFileBytes + 1));
        }
        const qsizetype wanted = bytes.size() - used;
        const auto read = file.read(used, bytes.data() + used, wanted);
        if (!read.ok())
            return read.error();
        used += read.value();
        if (read.value() < wanted) // the end of the file
            break;
    }
    bytes.truncate(used);
    return bytes;
}

// Copies the bytes to a new owner-only file beside the data file, named after it and the
// time, and has it and its name reach the disk; the data file is not touched. Returns the
// new file's name.
Result<QString> setAside(const DataFolder &folder, const QString &dataFileName,
                         QByteArrayView bytes) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = dataFileName + QStringLiteral(".broken-") + stamp;
    for (int attempt = 2; folder.contains(name) && attempt <= 100; ++attempt)
        name = dataFileName + QStringLiteral(".broken-%1-%2").arg(stamp).arg(attempt);

    const auto failed = [&](const DataError &why) {
        return DataError{.kind = Kind::CannotSetAside, .path = folder.path(), .detail = why.detail};
    };
    auto copy = folder.createFile(name);
    if (!copy.ok())
        return failed(copy.error());
    Status written = copy.value().append(bytes);
    if (written.ok())
        written = copy.value().flush();
    if (written.ok())
        written = folder.flush();
    if (!written.ok()) {
        folder.remove(name);
        return failed(written.error());
    }
    return name;
}

} // namespace

Result<QByteArray> readDataFile(const DataFileLocation &location) {
    auto folder = DataFolder::open(location, DataFolder::Access::Read);
    if (!folder.ok()) {
        if (folder.error().kind == Kind::FolderMissing)
            return DataError{.kind = Kind::FileMissing, .path = location.path};
        return folder.error();
    }
    const auto file = folder.value().openDataFile();
    if (!file.ok())
        return file.error();
    return readWhole(file.value());
}

AppendResult appendToDataFile(const DataFileLocation &location,
                              const std::function<Result<AppendPlan>(QByteArrayView)> &decide) {
    const auto opened = DataFolder::open(location, DataFolder::Access::Append);
    if (!opened.ok())
        return opened.error();
    const DataFolder &folder = opened.value();
    bool created = false;
    const auto opening = folder.openDataFile(&created);
    if (!opening.ok())
        return opening.error();
    const DataFile &file = opening.value();
    const auto refuse = [&](const DataError &error) -> AppendResult {
        if (created)
            folder.remove(file);
        return error;
    };

    const auto existing = readWhole(file);
    if (!existing.ok())
        return refuse(existing.error());
    const QByteArray &before = existing.value();
    const auto decision = decide(before);
    if (!decision.ok())
        return refuse(decision.error());
    const AppendPlan &plan = decision.value();
    const QByteArrayView tail = QByteArrayView(before).sliced(plan.keep);

    // The cut-off bytes are safe in a file of their own before the data file loses them.
    QString aside;
    if (!tail.isEmpty()) {
        auto copied = setAside(folder, file.name(), tail);
        if (!copied.ok())
            return copied.error();
        aside = copied.value();
        if (Status cut = file.truncate(plan.keep); !cut.ok()) {
            folder.remove(aside);
            return cut.error();
        }
    }

    Status written = tail.isEmpty() ? Status() : file.flush();
    if (written.ok())
        written = file.append(plan.bytes);
    if (written.ok())
        written = file.flush();
    if (written.ok()) {
        if (created) // a new file's name reaches the disk with its folder
            (void)folder.flush();
        return Appended{aside.isEmpty() ? QString() : folder.filePath(aside)};
    }

    // Back as it was: the kept bytes and the tail, whose copy is then not needed.
    DataError error = written.error();
    error.fileChanged = !file.truncate(plan.keep).ok() ||
                        (!tail.isEmpty() && !(file.append(tail).ok() && file.flush().ok()));
    if (error.fileChanged)
        return error;
    if (!aside.isEmpty())
        folder.remove(aside);
    return refuse(error);
}
