#pragma once
// A demo host over a throwaway database file, driven through the host session as the program does.

#include "host/Tzantopat.h"
#include "support/RecordingPlatform.h"

#include "demohost/DemoHost.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

namespace demohost_test {

// The demo doctor of the seed and her login.
inline constexpr int kDemoUserId = 42;
inline const QString kDemoUser = QStringLiteral("demo");

class DemoHostTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::string databaseFile = (dir.path() + QStringLiteral("/demo host.sqlite")).toStdString();
    testing_support::RecordingPlatform platform;
    std::unique_ptr<Tzantopat> session;

    // Creates the database from the seed; SQL given runs on it before any session opens it.
    void prepareDatabase(const char* extraSql = nullptr)
    {
        demohost::DemoHost::ensureDatabase(databaseFile);
        if (extraSql)
            runSql(databaseFile, extraSql);
    }

    static void runSql(const std::string& file, const char* sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }

    Tzantopat& open()
    {
        session = std::make_unique<Tzantopat>(platform, demohost::automationFactory(databaseFile));
        return *session;
    }

    Tzantopat& login(const QString& user = kDemoUser, const QString& password = kDemoUser)
    {
        Tzantopat& s = open();
        s.s_utente = user;
        s.s_password = password;
        EXPECT_TRUE(s.start()) << platform.messageTexts().join(u'\n').toStdString();
        return s;
    }

    QStringList messages() const { return platform.messageTexts(); }
};

} // namespace demohost_test
