#pragma once
// The demo host: a stand-in for the host application's automation server over an SQLite file, so the
// program runs end to end where the real host is not installed.

#include "host/AutomationFactory.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace demohost {

class DemoHost : public host::AutomationObject
{
public:
    // Opens the database file, creating it from the bundled seed when it does not exist.
    // Throws host::AutomationError naming the file when it cannot be used.
    explicit DemoHost(const std::string& databaseFile);
    ~DemoHost() override;

    host::Result invoke(const std::string& method, host::Arguments& arguments) override;

    // The names of the server methods it answers, as callers invoke them (it finds them without regard
    // to case, as automation does).
    static std::vector<std::string_view> methodNames();

    // Checks that the file is (or can be created as) a demo-host database; throws host::AutomationError
    // with a message naming the file otherwise. The front ends call it once at start.
    static void ensureDatabase(const std::string& databaseFile);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Creation by ProgID with the demo host over `databaseFile` standing for the host: kHostProgId gives a
// DemoHost; the demo serves no other ProgID.
host::AutomationFactory automationFactory(std::string databaseFile);

} // namespace demohost
