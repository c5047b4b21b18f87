#pragma once
// The installation's self-check ("Verifica installazione…", invciv-cli diagnose): one line per check,
// each OK or the problem and, in Italian, what to do about it. It asks the host for nothing but its
// creation (no login), reads no patient's data and writes nothing but a test file it removes.

#include "HostChoice.h"

#include <QString>

#include <vector>

namespace platform {
class Platform;
}

namespace app {

struct DiagnosisLine
{
    QString subject; // what was checked: "Modulo AP68 (cert med INPS.pdf)"
    bool ok = true;
    QString finding; // what was found; for a problem, what is wrong and what to do
};

struct Diagnosis
{
    std::vector<DiagnosisLine> lines;

    bool allOk() const;
    // "OK        subject: finding" or "PROBLEMA  subject: finding", one line each, then a last line that
    // counts the problems.
    QString text() const;
};

// Runs every check: program version and bitness, the system; the host server as `host` chooses it
// (registered, where and which file on Windows, created without logging in); each blank form beside the
// program (present, filled in memory with the pre-fill's fields, size and SHA-256); the work folder
// (exists or can be made, writable, owner-only), the desktop, free space; the Unicode font of the filled
// copy; the applications that open .pdf and .fdf files.
Diagnosis diagnose(const platform::Platform& platform, const HostSelection& host);

} // namespace app
