#pragma once
// One row of the patient table tblDati: the patient every output flow works on.

#include <QDate>
#include <QString>

namespace clinical {

struct PatientRow
{
    QString id;         // string2hex of the host's "codice": what is passed back to the host
    QString cognome;    // surname, as the host gave it
    QString nome;       // first name, as the host gave it
    QDate data_nascita; // null when the host gave no (valid) date
};

} // namespace clinical
