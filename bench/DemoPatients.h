#pragma once
// Fills a fresh demo-host database with one doctor and many patients, for the benchmarks that read
// patient lists through the host.

#include "demohost/DemoHost.h"

#include <sqlite3.h>

#include <functional>
#include <string>

namespace bench_support {

// Adds the doctor `login` (password the same, user id `doctorId`) with `count` patients under agreement
// type "S": surnameOf(i) names each one; every 25th has no birth date.
inline void addDemoPatients(const std::string& file, int doctorId, const std::string& login, int count,
                            const std::function<std::string(int)>& surnameOf)
{
    static const char* const names[] = {"MARIA ROSA", "ANNA", "NICOLETTA", "GIULIA", "ÈLIA"};
    demohost::DemoHost::ensureDatabase(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
    sqlite3_stmt* doctor = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO utenti (id, login, password, cognome, nome) VALUES (?1, ?2, ?2, 'BENCH', 'MEDICO')",
                       -1, &doctor, nullptr);
    sqlite3_bind_int(doctor, 1, doctorId);
    sqlite3_bind_text(doctor, 2, login.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(doctor);
    sqlite3_finalize(doctor);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO pazienti (codice, codice_medico, cognome, nome, data_nascita, sesso) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, 'F')",
                       -1, &insert, nullptr);
    for (int i = 0; i < count; ++i) {
        const std::string code = std::to_string(doctorId * 100000 + i);
        const std::string surname = surnameOf(i);
        const std::string birth = std::to_string(1930 + i % 70) + "-0" + std::to_string(1 + i % 9) + "-15";
        sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, doctorId);
        sqlite3_bind_text(insert, 3, surname.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, names[i % 5], -1, SQLITE_STATIC);
        if (i % 25 == 0)
            sqlite3_bind_null(insert, 5);
        else
            sqlite3_bind_text(insert, 5, birth.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace bench_support
