#pragma once
// The schema and seed of a new demo-host database, built into the library from schema.sql and
// seed.sql (see EmbedSql.cmake).

#include <string_view>

namespace demohost {

std::string_view schemaSql();
std::string_view seedSql();

} // namespace demohost
