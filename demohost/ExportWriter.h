#pragma once
// The essential-data export "publ_dati_essenziali" of one patient, written as UTF-8 XML.

#include "DemoDatabase.h"

#include <filesystem>
#include <string>
#include <vector>

namespace demohost {

struct EssentialDataExport
{
    PatientRecord patient;
    std::string birthTownCode; // cadastral code of the birth town, "" when the town table lacks it
    std::vector<SectionEntry> sections;
    User doctor;
    std::string generatedAt; // "yyyy-mm-ddThh:mm:ssZ"
};

// The document's text. Line breaks inside values come out as CR LF (CR as a character reference, so an
// XML parser keeps it); characters XML cannot carry are left out.
std::string exportXml(const EssentialDataExport& data);

// Writes the document to a temporary file beside `path` and renames it into place, so the file at `path`
// is complete whenever it exists. Throws host::AutomationError naming the file on failure.
void writeExport(const std::filesystem::path& path, const EssentialDataExport& data);

} // namespace demohost
