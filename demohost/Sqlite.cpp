#include "Sqlite.h"

#include <sqlite3.h>

namespace demohost::sql {

bool Error::busy() const
{
    const int primary = m_code & 0xff; // extended result codes keep the primary one in the low byte
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

Connection::Connection(const std::string& fileUtf8, Mode mode)
{
    const int flags =
        mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(fileUtf8.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw Error(message, rc);
    }
    sqlite3_extended_result_codes(m_db, 1);
    // Another program (the sqlite3 tool) may hold the file for a moment.
    sqlite3_busy_timeout(m_db, 2000);
}

Connection::~Connection()
{
    sqlite3_close_v2(m_db);
}

void Connection::execute(std::string_view script)
{
    const std::string text(script); // sqlite3_exec needs a terminated string
    char* message = nullptr;
    if (const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message); rc != SQLITE_OK) {
        const std::string error = message ? message : lastMessage();
        sqlite3_free(message);
        throw Error(error, rc);
    }
}

std::string Connection::lastMessage() const
{
    return sqlite3_errmsg(m_db);
}

Statement::Statement(Connection& connection, std::string_view sqlText) : m_connection(connection)
{
    if (const int rc =
            sqlite3_prepare_v3(connection.handle(), sqlText.data(), static_cast<int>(sqlText.size()),
                               SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr);
        rc != SQLITE_OK)
        throw Error(connection.lastMessage(), rc);
}

Statement::~Statement()
{
    sqlite3_finalize(m_statement);
}

Statement& Statement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text)
{
    if (sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        throw Error(m_connection.lastMessage());
    return *this;
}

Statement& Statement::bind(int index, long long value)
{
    if (sqlite3_bind_int64(m_statement, index, value) != SQLITE_OK)
        throw Error(m_connection.lastMessage());
    return *this;
}

Statement& Statement::bindNull(int index)
{
    if (sqlite3_bind_null(m_statement, index) != SQLITE_OK)
        throw Error(m_connection.lastMessage());
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const std::string message = m_connection.lastMessage();
    sqlite3_reset(m_statement);
    throw Error(message, rc);
}

std::string Statement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (!data)
        return {};
    return std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
}

std::optional<std::string> Statement::optionalText(int column) const
{
    if (sqlite3_column_type(m_statement, column) == SQLITE_NULL)
        return std::nullopt;
    return text(column);
}

long long Statement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

} // namespace demohost::sql
