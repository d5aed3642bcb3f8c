#include "data_file.h"

#include "jusho_line.h"
#include "jusho_parser.h"
#include "user_copy.h"

Result<qint16> LoadJushoTable(JushoTable &table, const DataFileLocation &location) {
    const auto used = fileToUse(location, DataFolder::Access::Read);
    if (!used.ok())
        return used.error();
    const auto file = readDataFile(used.value());
    if (!file.ok())
        return file.error();
    return parseJushoTable(table, file.value(), used.value().path);
}

AppendResult AppendJushoRecord(const JushoRecord &record, const DataFileLocation &location,
                               Repairs agreed) {
    const auto line = formatJushoLine(record, location.path);
    if (!line.ok())
        return line.error();
    const auto used = fileToUse(location, DataFolder::Access::Append);
    if (!used.ok())
        return used.error();
    return appendToDataFile(used.value(), [&](QByteArrayView existing) {
        return planAppend(line.value(), existing, used.value().path, agreed);
    });
}
