#pragma once

#include "data_file_location.h"
#include "result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

// The data file's bytes, read and appended the same way on every platform; only the calls
// to the operating system differ (data_folder.h). Both operations check that the place of
// the file is the user's own and hold the file against other copies of the program for as
// long as they run.

class DataFolder;

// The whole content of the data file, read under a shared hold and closed again. No folder
// for it is as empty as no file.
[[nodiscard]] Result<QByteArray> readDataFile(const DataFileLocation &location);

// Writes the bytes to a new owner-only file under a passing name beside `name`, on the disk,
// then has `putInPlace` give it that name in one step, and that name reach the disk too. The
// passing file is never left behind, nor what an earlier attempt that was cut short left under
// its name.
[[nodiscard]] Status writeInPlace(const DataFolder &folder, const QString &name,
                                  QByteArrayView bytes,
                                  const std::function<Status(const QString &passing)> &putInPlace);

// What to do with the data file as it stands: keep its first `keep` bytes, setting the rest
// aside in a file of its own, and append `bytes`; or, to replace it, set it aside whole and
// make `bytes` the whole file in one step.
struct AppendPlan {
    QByteArray bytes;
    qsizetype keep = 0;
    bool replace = false;
};

// What an append did besides adding its bytes.
struct Appended {
    QString setAside = {}; // the file the cut-off bytes, or the replaced file, went to
    bool replaced = false; // the file was written anew (from UTF-8 into Shift-JIS)
};
using AppendResult = Result<Appended>;

// Under an exclusive hold: reads the file (created owner-only if missing), lets `decide`
// judge its bytes, and carries out the plan all or nothing. Success means the bytes have
// reached the disk; on failure the file is as it was. Only an append that goes ahead makes
// the program's folder and the file private.
[[nodiscard]] AppendResult
appendToDataFile(const DataFileLocation &location,
                 const std::function<Result<AppendPlan>(QByteArrayView existing)> &decide);
