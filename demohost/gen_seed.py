#!/usr/bin/env python3
"""Writes seed.sql, the demo host's invented data, beside this script.

Deterministic: the same script always writes the same file (its own small random generator, no clock).
Run it after changing the lists below and commit both files together:

    python3 demohost/gen_seed.py
"""

import os
import unicodedata

# --- a small deterministic generator (independent of Python's random module) --------------------------


class Rng:
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def next(self):
        # xorshift64*
        x = self.state
        x ^= (x >> 12)
        x ^= (x << 25) & 0xFFFFFFFFFFFFFFFF
        x ^= (x >> 27)
        self.state = x
        return ((x * 0x2545F4914F6CDD1D) & 0xFFFFFFFFFFFFFFFF) >> 11

    def below(self, n):
        return self.next() % n

    def between(self, low, high):
        return low + self.below(high - low + 1)

    def choice(self, items):
        return items[self.below(len(items))]

    def chance(self, percent):
        return self.below(100) < percent


rng = Rng(0x1DEA5EED2026)

# --- towns: name, cadastral code, province, postal code, telephone area code ---------------------------

TOWNS = [
    ("ROMA", "H501", "RM", "00185", "06"),
    ("MILANO", "F205", "MI", "20121", "02"),
    ("NAPOLI", "F839", "NA", "80121", "081"),
    ("TORINO", "L219", "TO", "10121", "011"),
    ("PALERMO", "G273", "PA", "90121", "091"),
    ("GENOVA", "D969", "GE", "16121", "010"),
    ("BOLOGNA", "A944", "BO", "40121", "051"),
    ("FIRENZE", "D612", "FI", "50121", "055"),
    ("BARI", "A662", "BA", "70121", "080"),
    ("CATANIA", "C351", "CT", "95121", "095"),
    ("VENEZIA", "L736", "VE", "30121", "041"),
    ("VERONA", "L781", "VR", "37121", "045"),
    ("MESSINA", "F158", "ME", "98121", "090"),
    ("PADOVA", "G224", "PD", "35121", "049"),
    ("TRIESTE", "L424", "TS", "34121", "040"),
    ("BRESCIA", "B157", "BS", "25121", "030"),
    ("PARMA", "G337", "PR", "43121", "0521"),
    ("TARANTO", "L049", "TA", "74121", "099"),
    ("PRATO", "G999", "PO", "59100", "0574"),
    ("MODENA", "F257", "MO", "41121", "059"),
    ("REGGIO CALABRIA", "H224", "RC", "89121", "0965"),
    ("PERUGIA", "G478", "PG", "06121", "075"),
    ("CAGLIARI", "B354", "CA", "09121", "070"),
    ("LIVORNO", "E625", "LI", "57121", "0586"),
    ("SALERNO", "H703", "SA", "84121", "089"),
    ("BERGAMO", "A794", "BG", "24121", "035"),
    ("PESCARA", "G482", "PE", "65121", "085"),
    ("ANCONA", "A271", "AN", "60121", "071"),
    ("L'AQUILA", "A345", "AQ", "67100", "0862"),
    ("FORLÌ", "D704", "FC", "47121", "0543"),
]

# The practice is in Rome: most patients live there, many were born elsewhere.
HOME_TOWN = TOWNS[0]

# --- names --------------------------------------------------------------------------------------------

SURNAMES = [
    "ABATE", "ALBANESE", "AMATO", "ARENA", "ÁLVAREZ",
    "BARBIERI", "BELLINI", "BENEDETTI", "BERNARDI", "BERTÈ", "BIANCHI", "BRUNO",
    "CAFIERO", "CANTÙ", "CARUSO", "CATTANEO", "COLOMBO", "CONTI", "COSTA", "ÇELIK",
    "D'AMICO", "D'ANGELO", "DE LUCA", "DE SANTIS", "DELL'ACQUA", "DI STEFANO",
    "EMANUELLI", "ESPOSITO",
    "FABBRI", "FARINA", "FERRARA", "FERRARI", "FONTANA",
    "GALLO", "GATTI", "GENTILE", "GRASSO", "GRECO", "GUERRA",
    "HOFER",
    "IACONO", "INGRAO",
    "JOVINE",
    "KOFLER",
    "LA ROSA", "LEONE", "LO PRESTI", "LOMBARDI", "LONGO",
    "MANCINI", "MARINO", "MARTINI", "MAZZA", "MONTI", "MORELLI", "MORETTI",
    "NEGRI", "NERI", "NGUYỄN",
    "OLIVIERI", "ORLANDO", "ÖZTÜRK",
    "PALUMBO", "PARISI", "PELLEGRINI", "PIRAS", "POLITO",
    "QUARTA",
    "RICCI", "RIZZO", "ROMANO", "ROMEO", "ROSSETTI", "ROSSI", "RUSSO",
    "SALA", "SANNA", "SANTORO", "SERRA", "SILVESTRI",
    "TESTA", "TOSCANO", "TRAVERSO",
    "UGOLINI",
    "VALENTINI", "VILLA", "VITALE",
    "WALLNER",
    "XHAFERI",
    "YILMAZ",
    "ZANETTI", "ZANONI",
]

MALE_NAMES = [
    "MARCO", "GIUSEPPE", "GIOVANNI", "ANTONIO", "MARIO", "LUIGI", "FRANCESCO", "ANDREA", "NICOLÒ",
    "GIAN LUCA", "PIER PAOLO", "SALVATORE", "VINCENZO", "ROBERTO", "STEFANO", "ALESSANDRO", "LUCA",
    "MATTEO", "DAVIDE", "PAOLO", "CARLO", "ENZO", "FABIO", "GIORGIO", "RAFFAELE", "UMBERTO",
]
FEMALE_NAMES = [
    "MARIA", "ANNA", "GIUSEPPINA", "ROSA", "MARIA ROSA", "ANNA MARIA", "FRANCESCA", "CHIARA", "LUCIA",
    "ELENA", "GIULIA", "SARA", "PAOLA", "TERESA", "CONCETTA", "ASSUNTA", "IRENE", "SIMONA", "NOEMI",
    "MARIA GRAZIA", "ROSARIA", "CARMELA", "ADA", "ORNELLA", "ZOE", "ÈLIA",
]

# A few people whose names are longer than most forms allow, and a few from abroad.
SPECIAL_PATIENTS = [
    ("SANSEVERINO DI BISIGNANO E D'ARAGONA", "FERDINANDO", "M"),
    ("ROSSI", "MARIA GIOVANNA FRANCESCA ADDOLORATA CONCETTA", "F"),
    ("DELLA ROCCA DI MONTEFELTRO CASTIGLIONI", "MARIA ROSA", "F"),
    ("D'ANGELO", "MARIA ROSA", "F"),
    ("ÖZTÜRK", "MEHMET", "M"),
    ("NGUYỄN", "THỊ LAN", "F"),
    ("WÓJCIK", "ŁUKASZ", "M"),
    ("O'CONNOR", "SEÁN", "M"),
]

FOREIGN_CITIZENSHIP = {
    "ÖZTÜRK": "TURCA", "NGUYỄN": "VIETNAMITA", "WÓJCIK": "POLACCA", "O'CONNOR": "IRLANDESE",
    "XHAFERI": "ALBANESE", "YILMAZ": "TURCA", "ÇELIK": "TURCA", "ÁLVAREZ": "SPAGNOLA",
}

# --- clinical data ------------------------------------------------------------------------------------

CRLF = "\r\n"

PROTESI_AUSILI = [
    ("V43.64", "Articolazione dell'anca sostituita da protesi"),
    ("V43.65", "Articolazione del ginocchio sostituita da protesi"),
    ("V45.01", "Portatore di pacemaker cardiaco"),
    ("V43.3", "Valvola cardiaca sostituita da protesi (protesi valvolare aortica meccanica)"),
    ("V43.1", "Cristallino sostituito da protesi (pseudofachia bilaterale)"),
    ("V53.2", "Apparecchio acustico (protesi acustica bilaterale)"),
    ("V46.2", "Dipendenza da ossigeno supplementare" + CRLF + "(ossigenoterapia domiciliare a lungo termine, 2 l/min)"),
    ("V49.84", "Paziente allettato"),
    ("V52.1", "Protesi di arto inferiore (amputazione transtibiale sinistra)"),
    ("V53.8", "Carrozzina (sedia a rotelle)"),
    ("V44.3", "Colostomia"),
    ("V45.11", "Dialisi renale (emodialisi trisettimanale)"),
]

PROBLEMI_ATTIVI = [
    ("250.00", "Diabete mellito tipo II o non specificato, senza menzione di complicanze, non definito se scompensato"),
    ("250.40", "Diabete mellito tipo II con complicanze renali," + CRLF + "non definito se scompensato"),
    ("401.9", "Ipertensione essenziale non specificata"),
    ("401.1", "Ipertensione essenziale benigna"),
    ("272.0", "Ipercolesterolemia pura"),
    ("272.4", "Altre e non specificate iperlipidemie"),
    ("427.31", "Fibrillazione atriale"),
    ("428.0", "Insufficienza cardiaca congestizia non specificata"),
    ("414.01", "Aterosclerosi coronarica (di arteria coronarica nativa)"),
    ("V45.81", "Stato di bypass aortocoronarico"),
    ("496", "Ostruzioni croniche delle vie respiratorie, non classificate altrove (BPCO)"),
    ("493.90", "Asma, non specificata, senza menzione di stato di male asmatico"),
    ("585.3", "Malattia renale cronica, stadio III (moderata)"),
    ("715.96", "Osteoartrosi non specificata se generalizzata o localizzata, gamba (ginocchio)"),
    ("714.0", "Artrite reumatoide"),
    ("332.0", "Morbo di Parkinson"),
    ("331.0", "Malattia di Alzheimer"),
    ("290.0", "Demenza senile, non complicata"),
    ("438.20", "Postumi di malattie cerebrovascolari: emiplegia" + CRLF + "(esiti di ictus ischemico con emiparesi destra e afasia)"),
    ("434.91", "Occlusione di arteria cerebrale non specificata, con infarto cerebrale"),
    ("244.9", "Ipotiroidismo non specificato"),
    ("296.32", "Disturbo depressivo maggiore, episodio ricorrente, moderato"),
    ("295.30", "Schizofrenia paranoide, non specificata"),
    ("345.90", "Epilessia non specificata, senza menzione di epilessia non trattabile"),
    ("340", "Sclerosi multipla"),
    ("162.9", "Tumori maligni dei bronchi e del polmone, non specificato"),
    ("174.9", "Tumori maligni della mammella della donna, non specificato"),
    ("185", "Tumori maligni della prostata"),
    ("153.9", "Tumori maligni del colon, non specificato"),
    ("571.5", "Cirrosi epatica senza menzione di alcol"),
    ("733.00", "Osteoporosi, non specificata"),
    ("362.01", "Retinopatia diabetica di fondo"),
    ("365.11", "Glaucoma primario ad angolo aperto"),
    ("389.10", "Ipoacusia neurosensoriale, non specificata"),
    ("278.01", "Obesità grave"),
    ("443.9", "Malattia vascolare periferica, non specificata" + CRLF + "(arteriopatia obliterante degli arti inferiori, II stadio di Leriche-Fontaine)"),
]

ALLARMI = [
    ("V14.0", "Anamnesi personale di allergia alla penicillina"),
    ("V14.6", "Anamnesi personale di allergia ad analgesici (FANS)"),
    ("V15.01", "Anamnesi personale di allergia alle arachidi"),
    ("V15.07", "Anamnesi personale di allergia al lattice"),
    ("V58.61", "Uso prolungato (attuale) di anticoagulanti" + CRLF + "(warfarin: controllo INR ogni 4 settimane)"),
    ("V58.67", "Uso prolungato (attuale) di insulina"),
    ("V15.81", "Anamnesi personale di non aderenza al trattamento medico"),
    ("V12.51", "Anamnesi personale di trombosi venosa profonda ed embolia"),
    ("995.27", "Altra allergia a farmaci (mezzo di contrasto iodato)"),
]

CONTINUATIVI = [
    ("A10BA02", "METFORMINA 500 mg cpr - 1 cpr a colazione e 1 a cena"),
    ("C09AA05", "RAMIPRIL 5 mg cps - 1 cps al mattino"),
    ("C10AA05", "ATORVASTATINA 20 mg cpr - 1 cpr la sera"),
    ("B01AC06", "ACIDO ACETILSALICILICO 100 mg cpr gastroresistenti - 1 cpr a pranzo"),
    ("C07AB07", "BISOPROLOLO 2,5 mg cpr - 1 cpr al mattino"),
    ("C03CA01", "FUROSEMIDE 25 mg cpr - 1 cpr al mattino (a giorni alterni)"),
    ("B01AA03", "WARFARIN 5 mg cpr - secondo schema INR" + CRLF + "(prossimo controllo come da diario)"),
    ("H03AA01", "LEVOTIROXINA 75 mcg cpr - 1 cpr a digiuno"),
    ("N06AB06", "SERTRALINA 50 mg cpr - 1 cpr al giorno"),
    ("R03AK06", "SALMETEROLO/FLUTICASONE 50/250 mcg polvere per inalazione - 1 inalazione x 2/die"),
    ("A02BC01", "OMEPRAZOLO 20 mg cps - 1 cps prima di colazione"),
    ("C08CA01", "AMLODIPINA 5 mg cpr - 1 cpr la sera"),
    ("N04BA02", "LEVODOPA/CARBIDOPA 100/25 mg cpr - 1 cpr x 3/die"),
    ("A10AE04", "INSULINA GLARGINE 100 U/ml penna - 18 U alle ore 22"),
    ("M05BA04", "ACIDO ALENDRONICO 70 mg cpr - 1 cpr alla settimana (domenica, a digiuno)"),
    ("N02BE01", "PARACETAMOLO 1000 mg cpr - al bisogno, massimo 3 cpr al giorno"),
]

# Classes the readers ignore: a real export holds more sections than the four they read.
FATTORI_RISCHIO = [
    ("V15.82", "Anamnesi personale di uso di tabacco (ex fumatore, 20 pacchetti/anno)"),
    ("V17.3", "Anamnesi familiare di cardiopatia ischemica"),
]

DOCUMENT_TYPES = ["CARTA D'IDENTITÀ", "CARTA D'IDENTITÀ ELETTRONICA", "PATENTE DI GUIDA", "PASSAPORTO"]
CITIZENSHIP_ITALIAN = "ITALIANA"
STREETS = [
    "VIA ROMA", "VIA GARIBALDI", "CORSO VITTORIO EMANUELE II", "PIAZZA DELL'UNITÀ", "VIA DEI MILLE",
    "VIALE EUROPA", "VIA G. MAZZINI", "LARGO SANT'ANDREA", "VIA XX SETTEMBRE", "VIA DANTE ALIGHIERI",
    "VIA DELLE ROSE", "VIA NAZIONALE", "VIA CAVOUR", "VIA SAN FRANCESCO D'ASSISI",
]

# --- codice fiscale -----------------------------------------------------------------------------------

MONTH_LETTERS = "ABCDEHLMPRST"
ODD_VALUES = {
    **dict(zip("0123456789", [1, 0, 5, 7, 9, 13, 15, 17, 19, 21])),
    **dict(zip("ABCDEFGHIJKLMNOPQRSTUVWXYZ",
               [1, 0, 5, 7, 9, 13, 15, 17, 19, 21, 2, 4, 18, 20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23])),
}
OMOCODIA_LETTERS = "LMNPQRSTUV"
OMOCODIA_POSITIONS = [14, 13, 12, 10, 9, 7, 6]  # digit places, from the right


def plain_letters(text):
    # Letters whose mark does not come off by decomposition.
    for marked, plain in (("Ł", "L"), ("ł", "l"), ("Ø", "O"), ("ø", "o"), ("Đ", "D"), ("đ", "d")):
        text = text.replace(marked, plain)
    decomposed = unicodedata.normalize("NFD", text)
    return "".join(c for c in decomposed if "A" <= c.upper() <= "Z" and c.isascii()).upper()


def surname_code(surname):
    letters = plain_letters(surname)
    consonants = [c for c in letters if c not in "AEIOU"]
    vowels = [c for c in letters if c in "AEIOU"]
    return "".join(consonants + vowels + ["X", "X", "X"])[:3]


def name_code(name):
    letters = plain_letters(name)
    consonants = [c for c in letters if c not in "AEIOU"]
    vowels = [c for c in letters if c in "AEIOU"]
    if len(consonants) >= 4:
        return consonants[0] + consonants[2] + consonants[3]
    return "".join(consonants + vowels + ["X", "X", "X"])[:3]


def check_letter(first15):
    total = 0
    for i, c in enumerate(first15):
        if i % 2 == 0:
            total += ODD_VALUES[c]
        else:
            total += int(c) if c.isdigit() else ord(c) - ord("A")
    return chr(ord("A") + total % 26)


def codice_fiscale(surname, name, sex, year, month, day, cadastral, omocodia=0):
    code = surname_code(surname) + name_code(name) + f"{year % 100:02d}" + MONTH_LETTERS[month - 1]
    code += f"{day + (40 if sex == 'F' else 0):02d}" + cadastral
    chars = list(code)
    for place in OMOCODIA_POSITIONS[:omocodia]:
        chars[place] = OMOCODIA_LETTERS[int(chars[place])]
    code = "".join(chars)
    return code + check_letter(code)


# --- SQL writing --------------------------------------------------------------------------------------


def sql_text(value):
    """An SQL literal; CR LF inside a text becomes char(13, 10) so the file itself has plain lines."""
    if value is None:
        return "NULL"
    if isinstance(value, int):
        return str(value)
    parts = value.split(CRLF)
    quoted = ["'" + p.replace("'", "''") + "'" for p in parts]
    return " || char(13, 10) || ".join(quoted)


def values_row(values):
    return "(" + ", ".join(sql_text(v) for v in values) + ")"


def insert(out, table, columns, rows):
    if not rows:
        return
    out.append(f"INSERT INTO {table} ({', '.join(columns)}) VALUES")
    out.append(",\n".join("  " + values_row(r) for r in rows) + ";")


# --- the data -----------------------------------------------------------------------------------------

DEMO_ID, SECOND_ID, THIRD_ID = 42, 57, 63

USERS = [
    (DEMO_ID, "demo", "demo", "MARCHETTI", "LAURA", ("F", 1971, 3, 12, "H501"), "laura.marchetti@example.org"),
    (SECOND_ID, "ferri", "ferri", "FERRI", "PAOLO", ("M", 1965, 8, 10, "F205"), "paolo.ferri@example.org"),
    (THIRD_ID, "galli", "galli", "GALLI", "ROBERTO", ("M", 1980, 1, 1, "A944"), None),
]


# The demo doctor's patients whose fiscal codes are wrong on purpose: code, surname, name, sex, birth
# date, birth town, and the mistake ("check": the check character; a number: the code was made for
# that day of the birth month).
WRONG_CODES = [
    ("1321", "ERRANTE", "GIORGIO", "M", (1958, 6, 14), "BOLOGNA", "check"),
    ("1322", "ERRICO", "ANNA", "F", (1947, 11, 3), "NAPOLI", 8),
]
WRONG_CODES_HISTORY = [
    ("problemi_attivi", "401.9", "Ipertensione essenziale non specificata"),
    ("problemi_attivi", "250.00", "Diabete mellito tipo II o non specificato, senza menzione di complicanze, "
                                  "non definito se scompensato"),
    ("continuativi", "C09AA05", "RAMIPRIL 5 mg cps - 1 cps al mattino"),
]


def user_rows():
    return [(uid, login, pwd, surname, name, codice_fiscale(surname, name, *birth), mail)
            for uid, login, pwd, surname, name, birth, mail in USERS]


def make_people(count, first_code, with_special):
    """Invented people; with_special puts the long and foreign names among them, every 37th place."""
    people = []
    special = list(SPECIAL_PATIENTS) if with_special else []
    for i in range(count):
        if special and i % 37 == 5:
            surname, name, sex = special.pop(0)
        else:
            surname = rng.choice(SURNAMES)
            sex = "F" if rng.chance(52) else "M"
            name = rng.choice(FEMALE_NAMES if sex == "F" else MALE_NAMES)
        people.append((str(first_code + i), surname, name, sex))
    return people


def entries_for(pool, low, high):
    """Between low and high entries of the pool, at most one per ICD-9 category (the code before the dot)."""
    count = rng.between(low, high)
    picked, categories = [], set()
    for _ in range(count * 3):
        if len(picked) == count:
            break
        item = rng.choice(pool)
        category = item[0].split(".")[0]
        if category not in categories:
            picked.append(item)
            categories.add(category)
    return picked


def clinical_profile(age):
    """(class, pool, fewest, most) per section: older patients have more conditions and therapies."""
    if age < 40:
        return [("problemi_attivi", PROBLEMI_ATTIVI, 0, 2), ("allarmi", ALLARMI, 0, 1),
                ("continuativi", CONTINUATIVI, 0, 2), ("fattori_di_rischio", FATTORI_RISCHIO, 0, 1)]
    if age < 65:
        return [("protesi_ausili", PROTESI_AUSILI, 0, 1), ("problemi_attivi", PROBLEMI_ATTIVI, 0, 4),
                ("allarmi", ALLARMI, 0, 2), ("continuativi", CONTINUATIVI, 0, 4),
                ("fattori_di_rischio", FATTORI_RISCHIO, 0, 1)]
    profile = [("protesi_ausili", PROTESI_AUSILI, 0, 2), ("problemi_attivi", PROBLEMI_ATTIVI, 1, 5),
               ("allarmi", ALLARMI, 0, 2), ("continuativi", CONTINUATIVI, 1, 6),
               ("fattori_di_rischio", FATTORI_RISCHIO, 0, 1)]
    if rng.chance(25):  # a long history: more than five pathologies
        profile[1] = ("problemi_attivi", PROBLEMI_ATTIVI, 6, 9)
    return profile


def main():
    out = [
        "-- Invented demo data for the demo host. Written by gen_seed.py; do not edit by hand.",
        "-- Every person, number and document here is invented.",
        "",
    ]
    insert(out, "utenti", ["id", "login", "password", "cognome", "nome", "codice_fiscale", "e_mail"],
           user_rows())

    insert(out, "tabella_comuni", ["codice_catastale", "denominazione", "sigla_provincia"],
           [(code, name, prov) for name, code, prov, _, _ in TOWNS])

    # Doctor 42: 320 patients under "S" (and the two of WRONG_CODES below), and a few private ("P") and
    # temporary ("T") ones.
    # Doctor 57: patients under "P" only. Doctor 63: none.
    groups = [(DEMO_ID, "S", 320, 1001, True), (DEMO_ID, "P", 5, 1401, False),
              (DEMO_ID, "T", 3, 1451, False), (SECOND_ID, "P", 24, 5001, False)]

    patients, attributes, entries, measurements = [], [], [], []
    omocodic_left = 2
    for doctor, convention, count, first_code, special in groups:
        for code, surname, name, sex in make_people(count, first_code, special):
            birth_town = rng.choice(TOWNS) if rng.chance(55) else HOME_TOWN
            year, month, day = rng.between(1926, 2008), rng.between(1, 12), rng.between(1, 28)
            omocodia = 0
            if doctor == DEMO_ID and convention == "S" and omocodic_left and int(code) % 97 == 0:
                omocodia = 1 if omocodic_left == 2 else 3
                omocodic_left -= 1
            cf = codice_fiscale(surname, name, sex, year, month, day, birth_town[1], omocodia)
            birth = None if rng.chance(4) else f"{year:04d}-{month:02d}-{day:02d}"
            card = "80380" + "".join(str(rng.below(10)) for _ in range(15))
            asl = rng.choice(["201", "202", "203", "120", "123", "012"])
            patients.append((code, doctor, convention, surname, name, birth, sex, cf, birth_town[0],
                             birth_town[2], card, asl))

            attributes.extend(person_attributes(code, surname, name))

            order = 0
            # No clinical data at all for some; the others by age (as of 2026).
            sections = [] if rng.chance(8) else clinical_profile(2026 - year)
            for classe, pool, low, high in sections:
                for item_code, description in entries_for(pool, low, high):
                    order += 1
                    first_year = max(2000, year + 18 if 2026 - year >= 30 else year + 1)
                    started = (f"{rng.between(first_year, 2026):04d}-{rng.between(1, 12):02d}-"
                               f"{rng.between(1, 28):02d}")
                    entries.append((code, classe, order, item_code, description, started))

            for _ in range(rng.choice([0, 0, 1, 1, 2, 3, 5])):
                when = (f"{rng.between(2019, 2026):04d}-{rng.between(1, 12):02d}-{rng.between(1, 28):02d} "
                        f"{rng.between(8, 18):02d}:{rng.choice([0, 15, 30, 45]):02d}")
                heart = None if rng.chance(10) else rng.between(55, 100)
                systolic = rng.between(110, 175)
                diastolic = None if rng.chance(5) else rng.between(65, min(105, systolic - 30))
                measurements.append((code, when, heart, systolic, diastolic))

    # Last, so that every patient above stays as it was: the demo doctor's patients whose fiscal codes
    # are wrong on purpose, with fixed data and a clinical history, so the certificate can be tried.
    for code, surname, name, sex, birth, town, mistake in WRONG_CODES:
        birth_town = next(t for t in TOWNS if t[0] == town)
        year, month, day = birth
        if mistake == "check":  # a typo in the check character
            cf = codice_fiscale(surname, name, sex, year, month, day, birth_town[1])
            cf = cf[:15] + chr(ord("A") + (ord(cf[15]) - ord("A") + 1) % 26)
        else:  # a right code, but for another day of birth
            cf = codice_fiscale(surname, name, sex, year, month, mistake, birth_town[1])
        patients.append((code, DEMO_ID, "S", surname, name, f"{year:04d}-{month:02d}-{day:02d}", sex, cf,
                         birth_town[0], birth_town[2], "80380000000000013" + code[-2:] + "0", "201"))
        attributes.extend(person_attributes(code, surname, name))
        for order, (classe, item_code, description) in enumerate(WRONG_CODES_HISTORY, start=1):
            entries.append((code, classe, order, item_code, description, "2015-03-10"))

    insert(out, "pazienti", ["codice", "codice_medico", "tipo_di_convenzione", "cognome", "nome", "data_nascita",
                             "sesso", "codice_fiscale", "comune_nascita", "sigla_provincia_nascita",
                             "codice_sanitario", "codice_asl"], patients)
    insert(out, "attributi_persona", ["codice_paziente", "attributo", "valore"], attributes)
    insert(out, "dati_essenziali", ["codice_paziente", "classe", "ordine", "codice", "descrizione_estesa",
                                    "data_inizio"], entries)
    insert(out, "pressione", ["codice_paziente", "data", "frequenza_cardiaca", "pressione_massima",
                              "pressione_minima"], measurements)

    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seed.sql")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")


def person_attributes(code, surname, name):
    town = HOME_TOWN if rng.chance(80) else rng.choice(TOWNS)
    attrs = []

    def put(path, value):
        if value is not None:
            attrs.append((code, "persona\\" + path, value))

    put("attributi_persona\\cittadinanza", FOREIGN_CITIZENSHIP.get(surname, CITIZENSHIP_ITALIAN))
    put("residenza\\indirizzo\\comune", town[0])
    put("residenza\\indirizzo\\sigla_provincia", town[2])
    street = f"{rng.choice(STREETS)} {rng.between(1, 180)}"
    if rng.chance(15):
        street += f" (INT. {rng.between(1, 20)})"
    put("residenza\\indirizzo\\via_piazza", street)
    put("residenza\\indirizzo\\cap", town[3])
    if rng.chance(85):
        put("telefono\\numero_telefono", f"{town[4]} 5550{rng.between(100, 999)}")
    if rng.chance(70):
        put("telefono_cellulare", f"3{rng.between(20, 49)} 555 0{rng.between(100, 999)}")
    if rng.chance(45):
        local = (plain_letters(name.split(" ")[0]) + "." + plain_letters(surname)).lower()
        put("e-mail", f"{local}@example.org")
    if rng.chance(88):
        kind = rng.choice(DOCUMENT_TYPES)
        letters = "".join(chr(ord("A") + rng.below(26)) for _ in range(2))
        if kind == "CARTA D'IDENTITÀ ELETTRONICA":
            number = f"CA{rng.between(10000, 99999)}{letters}"
            issuer = f"COMUNE DI {town[0]}"
        elif kind == "CARTA D'IDENTITÀ":
            number = f"A{letters[0]}{rng.between(1000000, 9999999)}"
            issuer = f"COMUNE DI {town[0]}"
        elif kind == "PATENTE DI GUIDA":
            number = f"{town[2]}{rng.between(1000000, 9999999)}{letters[0]}"
            issuer = f"MOTORIZZAZIONE CIVILE DI {town[0]}"
        else:
            number = f"Y{letters[0]}{rng.between(1000000, 9999999)}"
            issuer = f"QUESTURA DI {town[0]}"
        put("documento_identita\\tipo_documento", kind)
        put("documento_identita\\numero_documento", number)
        put("documento_identita\\rilasciato_da", issuer)
        put("documento_identita\\data_rilascio",
            f"{rng.between(2014, 2026):04d}-{rng.between(1, 12):02d}-{rng.between(1, 28):02d}")
    return attrs


if __name__ == "__main__":
    main()
