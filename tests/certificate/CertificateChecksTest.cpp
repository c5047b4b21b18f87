// The two check phases rule by rule at their boundaries, their order, and the message prefixes.
#include "certificate/CertificateChecks.h"
#include "support/QtPrinters.h"
#include "support/SampleData.h"

#include <gtest/gtest.h>

#include <functional>

using namespace certificate;
using testing_support::completeCertificate;

namespace {

// "Milano" is F205; the test may change the answer.
struct Towns
{
    QString code = QStringLiteral("F205");
    int asked = 0;
    CadastralLookup lookup()
    {
        return [this](const QString& town) {
            ++asked;
            return town == QStringLiteral("Milano") ? code : QString();
        };
    }
};

QString chars(int n, char c = 'a')
{
    return QString(n, QLatin1Char(c));
}

struct Case
{
    const char* name;
    std::function<void(CertificateFields&, Towns&)> change;
    Failures expected;
};

class FormatRule : public testing::TestWithParam<Case>
{
};

TEST_P(FormatRule, PassesOrFailsAtItsBoundary)
{
    CertificateFields f = completeCertificate();
    Towns towns;
    GetParam().change(f, towns);
    EXPECT_EQ(CheckFormat(f, towns.lookup()), GetParam().expected);
    EXPECT_EQ(towns.asked, 1);
}

const Failures none;
Failures item(Field field)
{
    return {field};
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FormatRule,
    testing::Values(
        Case{"complete", [](auto&, auto&) {}, none},
        Case{"cognome50", [](auto& f, auto&) { f.cognome = chars(50); }, none},
        Case{"cognome51", [](auto& f, auto&) { f.cognome = chars(51); }, item(Field::Cognome)},
        Case{"cfLowerCase", [](auto& f, auto&) { f.codiceFiscale = QStringLiteral("rssmra50c07f205m"); },
             none},
        Case{"cfOmocodia", [](auto& f, auto&) { f.codiceFiscale = QStringLiteral("RSSMRARQC0TF2LRA"); },
             none},
        Case{"cfOtherLetterForDigit",
             [](auto& f, auto&) { f.codiceFiscale = QStringLiteral("RSSMRA5AC07F205X"); },
             item(Field::CodiceFiscale)},
        // The right form with a wrong check character: the last letter of the right one, M, is X.
        Case{"cfCheckCharacter", [](auto& f, auto&) { f.codiceFiscale = QStringLiteral("RSSMRA50C07F205X"); },
             item(Field::CodiceFiscale)},
        Case{"cfPreceded", [](auto& f, auto&) { f.codiceFiscale = QStringLiteral("XRSSMRA50C07F205M"); },
             item(Field::CodiceFiscale)},
        Case{"cfFollowed", [](auto& f, auto&) { f.codiceFiscale = QStringLiteral("RSSMRA50C07F205MY"); },
             item(Field::CodiceFiscale)},
        Case{"cf15", [](auto& f, auto&) { f.codiceFiscale = QStringLiteral("RSSMRA50C07F205"); },
             item(Field::CodiceFiscale)},
        Case{"cfEmpty", [](auto& f, auto&) { f.codiceFiscale.clear(); }, item(Field::CodiceFiscale)},
        Case{"townUnknown", [](auto& f, auto&) { f.luogoDiNascita = QStringLiteral("Atlantide"); },
             item(Field::LuogoDiNascita)},
        Case{"townCode3", [](auto&, auto& t) { t.code = QStringLiteral("F20"); }, item(Field::LuogoDiNascita)},
        Case{"townCodeDigitFirst", [](auto&, auto& t) { t.code = QStringLiteral("1205"); },
             item(Field::LuogoDiNascita)},
        Case{"tessera20", [](auto& f, auto&) { f.codTesSanitaria = chars(20, '1'); }, none},
        Case{"tessera21", [](auto& f, auto&) { f.codTesSanitaria = chars(21, '1'); },
             item(Field::CodTesSanitaria)},
        Case{"iscrizioneEmpty", [](auto& f, auto&) { f.numIscrizione.clear(); }, none},
        Case{"iscrizione2", [](auto& f, auto&) { f.numIscrizione = chars(2, '1'); },
             item(Field::NumIscrizione)},
        Case{"iscrizione3", [](auto& f, auto&) { f.numIscrizione = chars(3, '1'); }, none},
        Case{"iscrizione51", [](auto& f, auto&) { f.numIscrizione = chars(51, '1'); },
             item(Field::NumIscrizione)},
        Case{"alboEmpty", [](auto& f, auto&) { f.provAlbo.clear(); }, none},
        Case{"alboLower", [](auto& f, auto&) { f.provAlbo = QStringLiteral("mi"); }, none},
        Case{"alboDigit", [](auto& f, auto&) { f.provAlbo = QStringLiteral("M1"); }, item(Field::ProvAlbo)},
        Case{"alboThree", [](auto& f, auto&) { f.provAlbo = QStringLiteral("MIL"); }, item(Field::ProvAlbo)},
        Case{"aslEmpty", [](auto& f, auto&) { f.aslDiAppartenenza.clear(); }, none},
        Case{"asl5", [](auto& f, auto&) { f.aslDiAppartenenza = chars(5, '1'); },
             item(Field::AslDiAppartenenza)},
        Case{"asl7", [](auto& f, auto&) { f.aslDiAppartenenza = chars(7, '1'); },
             item(Field::AslDiAppartenenza)},
        // A memo's CR LF counts two characters.
        Case{"anamnesi1000", [](auto& f, auto&) { f.anamnesi = chars(998) + QStringLiteral("\r\n"); }, none},
        Case{"anamnesi1001", [](auto& f, auto&) { f.anamnesi = chars(999) + QStringLiteral("\r\n"); },
             item(Field::Anamnesi)},
        Case{"terapia1001", [](auto& f, auto&) { f.terapia = chars(1001); }, item(Field::Terapia)},
        // A character outside the BMP is one character.
        Case{"terapiaEmoji",
             [](auto& f, auto&) { f.terapia = chars(999) + QString::fromUtf8("\xF0\x9F\x98\x80"); }, none},
        Case{"luogo50", [](auto& f, auto&) { f.luogo = chars(50); }, none},
        Case{"luogo51", [](auto& f, auto&) { f.luogo = chars(51); }, item(Field::Luogo)},
        Case{"icd5",
             [](auto& f, auto&) {
                 f.codiciIcd9 = {chars(5, '1'), chars(5, '2')};
             },
             none},
        Case{"icdOneLong", [](auto& f, auto&) { f.codiciIcd9[3] = chars(6, '1'); },
             item(Field::CodiciIcd9)},
        Case{"icdAllLong",
             [](auto& f, auto&) {
                 for (auto& c : f.codiciIcd9)
                     c = chars(6, '1');
             },
             item(Field::CodiciIcd9)}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(FormatPhase, ReportsEveryFailureInRuleOrder)
{
    CertificateFields f = completeCertificate();
    f.cognome = f.nome = f.cognomeMedico = f.nomeMedico = f.luogo = chars(51);
    f.codiceFiscale = QStringLiteral("x");
    f.luogoDiNascita.clear();
    f.codTesSanitaria = chars(21);
    f.numIscrizione = QStringLiteral("1");
    f.provAlbo = QStringLiteral("1");
    f.aslDiAppartenenza = QStringLiteral("1");
    f.anamnesi = f.obiettivita = f.diagnosi = f.terapia = chars(1001);
    f.codiciIcd9[0] = chars(6);
    Towns towns;
    EXPECT_EQ(CheckFormat(f, towns.lookup()),
              (Failures{Field::Cognome, Field::Nome, Field::CodiceFiscale, Field::LuogoDiNascita,
                        Field::CodTesSanitaria, Field::CognomeMedico, Field::NomeMedico, Field::NumIscrizione,
                        Field::ProvAlbo, Field::AslDiAppartenenza, Field::Anamnesi, Field::Obiettivita,
                        Field::Diagnosi, Field::Terapia, Field::Luogo, Field::CodiciIcd9}));
}

TEST(MandatoryPhase, ReportsEveryMissingValueInGroupOrder)
{
    Towns towns;
    EXPECT_TRUE(CheckMandatory(completeCertificate(), towns.lookup()).empty());

    CertificateFields empty;
    EXPECT_EQ(CheckMandatory(empty, towns.lookup()),
              (Failures{Field::Cognome, Field::Nome, Field::Sesso, Field::CodiceFiscale, Field::DataDiNascita,
                        Field::LuogoDiNascita, Field::CognomeMedico, Field::NomeMedico, Field::NumIscrizione,
                        Field::ProvAlbo, Field::AslDiAppartenenza, Field::Data, Field::Luogo,
                        Field::CodiciIcd9, Field::Domanda}));
}

TEST(MandatoryPhase, SingleRules)
{
    Towns towns;
    const auto failures = [&towns](const std::function<void(CertificateFields&)>& change) {
        CertificateFields f = completeCertificate();
        change(f);
        return CheckMandatory(f, towns.lookup());
    };
    // Day 0 of the day count is no date.
    EXPECT_EQ(failures([](auto& f) { f.data = QDate(1899, 12, 30); }), item(Field::Data));
    EXPECT_TRUE(failures([](auto& f) { f.data = QDate(1899, 12, 31); }).empty());
    // Only the first ICD-9 row counts.
    EXPECT_EQ(failures([](auto& f) {
                  f.codiciIcd9 = {QString(), QStringLiteral("25000")};
              }),
              item(Field::CodiciIcd9));
    for (const clinical::Purpose purpose : clinical::kPurposes) {
        EXPECT_TRUE(failures([purpose](auto& f) {
                        f.domanda = {};
                        f.domanda[purpose] = true;
                    }).empty())
            << clinical::purposeSigla(purpose);
    }
    EXPECT_EQ(failures([](auto& f) { f.domanda = {}; }), item(Field::Domanda));
    towns.code.clear();
    EXPECT_EQ(failures([](auto&) {}), item(Field::LuogoDiNascita));
}

TEST(CheckMessage, PrefixByKindAndCount)
{
    const QStringList one{QStringLiteral("NOME")};
    const QStringList two{QStringLiteral("COGNOME"), QStringLiteral("Anamnesi")};
    EXPECT_EQ(checkMessage(CheckKind::Format, one),
              QStringLiteral("Il seguente dato non è formalmente corretto: NOME"));
    EXPECT_EQ(checkMessage(CheckKind::Format, two),
              QStringLiteral("I seguenti dati non sono formalmente corretti: COGNOME, Anamnesi"));
    EXPECT_EQ(checkMessage(CheckKind::Mandatory, one),
              QStringLiteral("Il seguente dato obbligatorio non è stato inserito: NOME"));
    EXPECT_EQ(checkMessage(CheckKind::Mandatory, two),
              QStringLiteral("I seguenti dati obbligatori non sono stati inseriti: COGNOME, Anamnesi"));
    EXPECT_EQ(checkMessage(CheckKind::Format, {}), QString());
}

TEST(CheckMessage, FixedItemTexts)
{
    EXPECT_EQ(CheckItemText(CheckKind::Mandatory, Field::Domanda),
              QStringLiteral("Tipo domanda(INVALIDITA', CECITA', ...)"));
    EXPECT_EQ(CheckItemText(CheckKind::Format, Field::CodiciIcd9),
              QStringLiteral("Codice ICD-9 non corretto"));
    EXPECT_EQ(CheckItemText(CheckKind::Mandatory, Field::CodiciIcd9),
              QStringLiteral("Deve essere presente almeno un CODICE ICD-9"));
    EXPECT_EQ(fieldCaption(Field::Domanda), QString());
}

TEST(MatchesPattern, IsASearchAnchoredOnlyByItsOwnAnchors)
{
    EXPECT_TRUE(MatchesPattern(kProvinciaPattern, QStringLiteral("1MI2")));
    EXPECT_TRUE(MatchesPattern(kCadastralCodePattern, QStringLiteral("xxF205")));
    EXPECT_FALSE(MatchesPattern(kCadastralCodePattern, QStringLiteral("F20")));
    // Only ASCII digits count as digits.
    EXPECT_FALSE(MatchesPattern(kCadastralCodePattern, QString::fromUtf8("F\u0662\u0660\u0665")));
    EXPECT_FALSE(MatchesPattern(QStringLiteral("("), QStringLiteral("(")));
}

} // namespace
