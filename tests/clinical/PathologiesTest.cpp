// The pathology list: sections in a fixed order, escaped or plain, every entry kept.

#include "clinical/TPatologia.h"

#include "support/ExportBuilder.h"

#include <QStringList>

#include <gtest/gtest.h>

using testing_support::ExportSection;
using testing_support::PatientExport;

namespace {

QStringList items(const std::vector<clinical::TPatologia>& list)
{
    QStringList out;
    for (const auto& item : list)
        out << item.PatCodice + QLatin1Char('|') + item.PatDescrizione;
    return out;
}

clinical::EssentialDataDocument documentWith(std::vector<ExportSection> sections)
{
    PatientExport patient;
    patient.sections = std::move(sections);
    return clinical::EssentialDataDocument::fromText(patient.toXml());
}

TEST(ReadPathologies, TakesProstheses_ThenActiveProblems_ThenAlertsWhateverTheDocumentOrder)
{
    const auto document = documentWith({
        {QStringLiteral("allarmi"), {{"V1", "allarme"}}},
        {QStringLiteral("continuativi"), {{"T", "terapia"}}},
        {QStringLiteral("problemi_attivi"), {{"250.00", "Diabete"}, {"401", "Ipertensione"}}},
        {QStringLiteral("protesi_ausili"), {{"P1", "protesi 1"}, {"P2", "protesi 2"}}},
        {QStringLiteral("altro"), {{"Z", "ignorato"}}},
        {QStringLiteral("protesi_ausili"), {{"P3", "protesi 3"}}},
        {QStringLiteral("problemi_attivi"), {{"V2", "seconda sezione"}}},
    });
    EXPECT_EQ(items(clinical::ReadPathologies(document, false)),
              QStringList({"P1|protesi 1", "P2|protesi 2", "P3|protesi 3", "250.00|Diabete",
                           "401|Ipertensione", "V2|seconda sezione", "V1|allarme"}));
}

TEST(ReadPathologies, ALimitCutsTheListAcrossSections)
{
    const auto document = documentWith({
        {QStringLiteral("allarmi"), {{"A1", "a"}, {"A2", "b"}}},
        {QStringLiteral("problemi_attivi"), {{"B1", "c"}, {"B2", "d"}}},
        {QStringLiteral("protesi_ausili"), {{"P1", "e"}, {"P2", "f"}}},
    });
    const QStringList all = items(clinical::ReadPathologies(document, false));
    EXPECT_EQ(all, QStringList({"P1|e", "P2|f", "B1|c", "B2|d", "A1|a", "A2|b"}));
    for (std::size_t limit : {0, 1, 2, 3, 5, 6, 100})
        EXPECT_EQ(items(clinical::ReadPathologies(document, false, limit)), all.mid(0, qsizetype(limit)))
            << limit;
}

TEST(ReadPathologies, KeepsEveryEntryEvenWithoutChildren)
{
    const auto document = documentWith({
        {QStringLiteral("protesi_ausili"), {{std::nullopt, "senza codice"}, {"C1", std::nullopt}, {}}},
        {QStringLiteral("allarmi"), {}},
    });
    EXPECT_EQ(items(clinical::ReadPathologies(document, true)), QStringList({"|senza codice", "C1|", "|"}));
}

TEST(ReadPathologies, EmptyDocumentGivesAnEmptyList)
{
    EXPECT_TRUE(clinical::ReadPathologies(clinical::EssentialDataDocument(), true).empty());
    EXPECT_TRUE(clinical::ReadPathologies(documentWith({}), false).empty());
}

TEST(ReadPathologies, EscapesForFdfOnlyWhenAsked)
{
    const auto document = documentWith({
        {QStringLiteral("problemi_attivi"),
         {{"250.00", "Diabete (tipo 2)"}, {"C:\\dati", "riga uno\r\nriga due\nterza)"}}},
    });
    EXPECT_EQ(items(clinical::ReadPathologies(document, true)),
              QStringList({"250.00|Diabete \\(tipo 2\\)", "C:\\\\dati|riga uno\\nriga due\nterza\\)"}));
    EXPECT_EQ(items(clinical::ReadPathologies(document, false)),
              QStringList({"250.00|Diabete (tipo 2)", "C:\\dati|riga uno\r\nriga due\nterza)"}));
}

} // namespace
