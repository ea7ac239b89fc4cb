#pragma once
// The outcome of a database call: a value, or the database's own error text. Callers outside start-up
// show the text through the message facade and abandon the action; nothing throws.

#include <QString>
#include <optional>
#include <utility>
#include <variant>

namespace vorlane::store {

template <typename T> class DbResult {
public:
    DbResult(T value) : m_value(std::move(value)) {}
    static DbResult failure(QString error) { return DbResult(std::move(error), 0); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    const QString& error() const { return m_error; }

private:
    DbResult(QString error, int) : m_error(std::move(error)) {}
    std::optional<T> m_value;
    QString m_error;
};

// A call that yields nothing but success or the error.
using DbStatus = DbResult<std::monostate>;
inline DbStatus dbOk() {
    return DbStatus(std::monostate{});
}

} // namespace vorlane::store
