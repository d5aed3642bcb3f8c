#pragma once

#include "data_error.h"
#include "data_file_location.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

// The data file's bytes as the operating system gives them. Both operations check that the
// folder and the file are the user's own (making them private if others could look in),
// and hold a lock on the folder, shared or exclusive, for as long as they run.

struct FileBytes {
    QByteArray bytes;
    std::optional<DataError> error;
};

// Makes a file size limit show up as a failed append the user is told about, not as a
// killed program. Called once at start-up.
void reportFileSizeLimitAsError();

// The whole content of the data file, read under a shared lock and closed again.
[[nodiscard]] FileBytes readDataFile(const QString &path);

// What to do with the data file as it stands: keep its first `keep` bytes, setting the rest
// aside in a file of its own, and append `bytes`.
struct AppendPlan {
    QByteArray bytes;
    qsizetype keep = 0;
};
using AppendDecision = std::variant<AppendPlan, DataError>;

struct AppendResult {
    std::optional<DataError> error; // why nothing was added; the file is as it was
    QString setAside = {};          // the file the cut-off bytes went to, if any did
};

// Under an exclusive lock: reads the file (created owner-only if missing), lets `decide`
// judge its bytes, and carries out the plan all or nothing. Success means the bytes have
// reached the disk.
[[nodiscard]] AppendResult
appendToDataFile(const DataFileLocation &location,
                 const std::function<AppendDecision(QByteArrayView existing)> &decide);
