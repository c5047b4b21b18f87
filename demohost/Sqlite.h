#pragma once
// A thin RAII layer over the SQLite C API: one connection, prepared statements with bound values.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace demohost::sql {

// Raised for every SQLite failure; what() carries SQLite's own message.
class Error : public std::runtime_error
{
public:
    explicit Error(const std::string& message, int code = 0) : std::runtime_error(message), m_code(code) {}
    // True when another connection holds the file locked: the same call may succeed later.
    bool busy() const;

private:
    int m_code; // SQLite's result code, 0 when the failure is not SQLite's own
};

class Statement;

class Connection
{
public:
    enum class Mode { ReadOnly, Create };

    Connection(const std::string& fileUtf8, Mode mode);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs SQL text that takes no parameters (schema and seed scripts, pragmas).
    void execute(std::string_view script);
    sqlite3* handle() const { return m_db; }
    std::string lastMessage() const;

private:
    sqlite3* m_db = nullptr;
};

class Statement
{
public:
    Statement(Connection& connection, std::string_view sqlText);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Clears the previous run and its bindings; the statement is ready to be bound again.
    Statement& reset();
    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, long long value);
    Statement& bindNull(int index);

    // Advances to the next row; false when there are no more.
    bool step();
    // The column of the current row as UTF-8 text; "" for NULL.
    std::string text(int column) const;
    std::optional<std::string> optionalText(int column) const;
    long long integer(int column) const;

private:
    Connection& m_connection;
    sqlite3_stmt* m_statement = nullptr;
};

// One run of a statement: fresh on entry, reset on exit so no read stays open between calls.
class Run
{
public:
    explicit Run(Statement& statement) : m_statement(statement) { m_statement.reset(); }
    ~Run() { m_statement.reset(); }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    Statement* operator->() const { return &m_statement; }

private:
    Statement& m_statement;
};

} // namespace demohost::sql
