// The fiscal code's check character and its agreement with the person's data, over invented codes of
// the real shape.

#include "clinical/FiscalCode.h"

#include <gtest/gtest.h>

using clinical::FiscalCodePerson;

namespace {

FiscalCodePerson person(const char* cognome, const char* nome, const char* sesso, QDate nascita,
                        const char* comune)
{
    return {QString::fromUtf8(cognome), QString::fromUtf8(nome), QString::fromUtf8(sesso), nascita,
            QString::fromUtf8(comune)};
}

std::string disagreements(const char* code, const FiscalCodePerson& p)
{
    return clinical::fiscalCodePartNames(clinical::fiscalCodeDisagreements(QString::fromUtf8(code), p))
        .toStdString();
}

const FiscalCodePerson kAnna = person("BIANCHI", "ANNA", "F", QDate(1975, 5, 12), "F205");

TEST(FiscalCode, ValidCodesPassBothChecks)
{
    const struct
    {
        const char* code;
        FiscalCodePerson person;
    } cases[] = {
        {"RSSMRA80A01H501U", person("ROSSI", "MARIO", "M", QDate(1980, 1, 1), "H501")},
        {"BNCNNA75E52F205L", kAnna}, // a woman: day 12 + 40
        {"SPSGFR62T31F839B", person("ESPOSITO", "GIANFRANCO", "M", QDate(1962, 12, 31), "F839")},
        {"FOXLIX01B41L219T", person("FO", "LI", "F", QDate(2001, 2, 1), "L219")},
        {"DMCNCL49L09A944A", person("D'AMICO", "NICOLÒ", "M", QDate(1949, 7, 9), "A944")},
        {"WJCLSZ88R25Z127W", person("WÓJCIK", "ŁUKASZ", "M", QDate(1988, 10, 25), "z127")},
        {"NGYTLN90C48Z251O", person("NGUYỄN", "THỊ LAN", "F", QDate(1990, 3, 8), "Z251")},
        {"ngytln90c48z251o", person("Nguyễn", "Thị Lan", "F", QDate(1990, 3, 8), "Z251")},
        // Omocodic codes, one to seven digits replaced from the right.
        {"BNCNNA75E52F20RG", kAnna},
        {"BNCNNA75E52F2LRR", kAnna},
        {"BNCNNA75E52FNLRG", kAnna},
        {"BNCNNA75E5NFNLRV", kAnna},
        {"BNCNNA75ERNFNLRH", kAnna},
        {"BNCNNA7RERNFNLRT", kAnna},
        {"BNCNNATRERNFNLRQ", kAnna},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_TRUE(clinical::hasValidCheckCharacter(QString::fromUtf8(c.code)));
        EXPECT_EQ(disagreements(c.code, c.person), "");
    }
}

TEST(FiscalCode, OnlyTheRightCheckCharacterPasses)
{
    const QString first15 = QStringLiteral("BNCNNA75ERNFNLR");
    EXPECT_EQ(clinical::fiscalCodeCheckCharacter(first15), QLatin1Char('H'));
    for (char16_t last = u'A'; last <= u'Z'; ++last)
        EXPECT_EQ(clinical::hasValidCheckCharacter(first15 + QChar(last)), last == u'H') << char(last);
    for (const char* code :
         {"BNCNNA75ERNFNLRH ", "NCNNA75ERNFNLRH", "BNCNNA75ERNFNL-H", "BNCNNA75ERNFNLR7", ""})
        EXPECT_FALSE(clinical::hasValidCheckCharacter(QString::fromUtf8(code))) << code;
    EXPECT_TRUE(clinical::fiscalCodeCheckCharacter(u"BNCNNA75ERNFNL").isNull());
    EXPECT_TRUE(clinical::fiscalCodeCheckCharacter(u"BNCNNA75ERNFNLÈ").isNull());
}

TEST(FiscalCode, EachDisagreeingPartIsNamed)
{
    const struct
    {
        FiscalCodePerson person;
        std::string expected;
    } cases[] = {
        {person("BIONDI", "ANNA", "F", QDate(1975, 5, 12), "F205"), "cognome"},
        {person("BIANCHI", "ANNAMARIA", "F", QDate(1975, 5, 12), "F205"), "nome"},
        {person("BIANCHI", "ANNA", "M", QDate(1975, 5, 12), "F205"), "sesso"},
        {person("BIANCHI", "ANNA", "F", QDate(1976, 5, 12), "F205"), "data di nascita"},
        {person("BIANCHI", "ANNA", "F", QDate(1975, 6, 12), "F205"), "data di nascita"},
        {person("BIANCHI", "ANNA", "F", QDate(1975, 5, 13), "F205"), "data di nascita"},
        {person("BIANCHI", "ANNA", "F", QDate(1975, 5, 12), "F206"), "comune di nascita"},
        {person("ROSSI", "MARIA", "M", QDate(1975, 5, 11), "H501"),
         "cognome, nome, sesso, data di nascita, comune di nascita"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(disagreements("BNCNNA75E52F205L", c.person), c.expected);
        EXPECT_EQ(disagreements("BNCNNATRERNFNLRQ", c.person), c.expected); // the same code, omocodic
    }
    // A man's day in a woman's code names the sex alone; the right day with the wrong sex too.
    EXPECT_EQ(disagreements("BNCNNA75E12F205H", kAnna), "sesso");
    // Four consonants give the 1st, 3rd and 4th in a first name, the first three in a surname.
    EXPECT_EQ(disagreements("SPSGNF62T31F839W", person("ESPOSITO", "GIANFRANCO", "M", {}, "")), "nome");
    EXPECT_EQ(disagreements("GNFGFR62T31F839D", person("GIANFRANCO", "GIANFRANCO", "M", {}, "")), "");
}

TEST(FiscalCode, WhatCannotBeComparedIsNeverReported)
{
    // Nothing known about the person: a code of the right form agrees.
    EXPECT_EQ(disagreements("RSSMRA80A01H501U", person("", " '", "", {}, "")), "");
    // Sex other than exactly M or F: only the day is compared (12, with or without the 40).
    for (const char* sesso : {"", "m", "f", "X"}) {
        EXPECT_EQ(disagreements("BNCNNA75E52F205L", person("BIANCHI", "ANNA", sesso, QDate(1975, 5, 12), "")),
                  "");
        EXPECT_EQ(disagreements("BNCNNA75E12F205H", person("BIANCHI", "ANNA", sesso, QDate(1975, 5, 12), "")),
                  "");
    }
    // A town without a proper code.
    EXPECT_EQ(disagreements("BNCNNA75E52F205L", person("BIANCHI", "ANNA", "F", QDate(1975, 5, 12), "F2055")),
              "");
    // A code without the fiscal-code form names nothing, however far it is from the person.
    for (const char* code : {"BNCNNA75E52F205", "BNCNNA7XE52F205L", "BNCNN475E52F205L", "BNCNNA75E52F20WL"})
        EXPECT_EQ(disagreements(code, person("ROSSI", "MARIO", "M", QDate(2000, 1, 1), "H501")), "") << code;
}

} // namespace
