#pragma once

#include "data_error.h"

#include <QList>

#include <optional>
#include <utility>
#include <variant>

// What an operation on the data file gives back: its value, or why it failed; a success may
// carry warnings besides (a book read only in part, bytes shown as substitutes). Every step of
// reading, showing, encoding and appending, on every platform, answers in this one shape.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_outcome(std::in_place_index<0>, std::move(value)) {}
    Result(DataError error)
        : m_outcome(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_outcome.index() == 0; }
    T &value() { return std::get<0>(m_outcome); }
    const T &value() const { return std::get<0>(m_outcome); }
    const DataError &error() const { return std::get<1>(m_outcome); }

    const QList<DataError> &warnings() const { return m_warnings; }
    void warn(DataError warning) { m_warnings.append(std::move(warning)); }
    // The warning of that kind, if the success carries one.
    std::optional<DataError> warning(DataError::Kind kind) const {
        for (const DataError &warning : m_warnings) {
            if (warning.kind == kind)
                return warning;
        }
        return std::nullopt;
    }

private:
    std::variant<T, DataError> m_outcome;
    QList<DataError> m_warnings;
};

// The same for a step that gives back nothing but whether it worked.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(DataError error)
        : m_error(std::move(error)) {}

    bool ok() const { return !m_error; }
    const DataError &error() const { return *m_error; }

private:
    std::optional<DataError> m_error;
};

using Status = Result<void>;
