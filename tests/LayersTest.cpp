// The product's folders are layers: each includes only the folders below it (README, Layout). This test
// reads every #include "folder/..." line and fails naming the file and line of one that reaches up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What each folder may include besides itself. The one table of the layering; sub-folders are layers
// of their own (host/win is the COM backend below the session, demohost/com the COM server over the
// demo host).
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"text", {}},
    {"platform/win", {}},
    {"platform", {"text", "platform/win"}},
    {"widgets", {"text", "platform"}},
    {"host/win", {"host"}},
    {"host", {"text", "platform"}},
    {"demohost", {"host"}},
    {"demohost/com", {"platform/win", "host", "host/win", "demohost"}},
    {"clinical", {"text", "platform", "host"}},
    {"pdf", {"text", "platform"}},
    {"fdf", {"text", "platform", "host", "clinical", "pdf"}},
    {"certificate", {"text", "platform", "widgets", "host", "clinical", "pdf", "fdf"}},
    {"app", {"text", "platform", "platform/win", "widgets", "host", "host/win", "demohost", "demohost/com", "clinical", "pdf",
             "fdf", "certificate"}},
};

// The layer a path inside the repository belongs to: its longest folder prefix in the table.
std::string layerOf(const std::string& path)
{
    std::string best;
    for (const auto& [layer, allowed] : kAllowed)
        if (path.rfind(layer + "/", 0) == 0 && layer.size() > best.size())
            best = layer;
    return best;
}

TEST(Layers, NoFolderIncludesOneAboveIt)
{
    const fs::path root = INVCIV_SOURCE_DIR;
    const std::regex include(R"(^\s*#\s*include\s*"([a-z]+(/[a-z]+)*/[^"/]+)\")");
    std::vector<std::string> faults;
    int files = 0;
    std::vector<fs::directory_entry> entries;
    for (const auto& [layer, allowed] : kAllowed)
        if (layer.find('/') == std::string::npos && fs::is_directory(root / layer))
            for (const auto& entry : fs::recursive_directory_iterator(root / layer))
                entries.push_back(entry);
    for (const auto& entry : entries) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        const std::string rel = fs::relative(entry.path(), root).generic_string();
        const std::string from = layerOf(rel);
        if (from.empty())
            continue; // tests, tools, benchmarks and fuzz targets use what they need
        ++files;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch m;
            if (!std::regex_search(line, m, include))
                continue;
            const std::string to = layerOf(m[1].str());
            if (!to.empty() && to != from && !kAllowed.at(from).count(to))
                faults.push_back(rel + ":" + std::to_string(number) + ": " + from + "/ includes " + to + "/");
        }
    }
    EXPECT_GT(files, 50) << "the product's folders were not found under " << root;
    for (const auto& fault : faults)
        ADD_FAILURE() << fault;
}

TEST(Layers, EveryProductFolderHasALayer)
{
    // A new folder must join the table, or it escapes the check.
    const fs::path root = INVCIV_SOURCE_DIR;
    const std::set<std::string> notProduct = {"build", "bench", "cmake", "docs", "forms", "fuzz", "packaging",
                                              "scripts", "tests", "tools"};
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name[0] != '.' && !notProduct.count(name)) {
            EXPECT_TRUE(kAllowed.count(name)) << name << "/ has no row in the table of layers";
        }
    }
}

} // namespace
