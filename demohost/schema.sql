-- Demo host database: the tables behind the stand-in for "Korvalis.Server".
-- docs/demo-host.md describes every table and column, with an example of adding a patient.
-- The program only reads this file; edit it with the sqlite3 tool while the program is closed.

-- Marks the file as a demo-host database. The program refuses a file without this row.
CREATE TABLE demohost_info (
    chiave TEXT PRIMARY KEY,
    valore TEXT NOT NULL
);
INSERT INTO demohost_info (chiave, valore) VALUES ('formato', 'invciv-demohost'), ('versione', '1');

-- Host users (the doctors who log in). id is what leggi_attributo("userid_utente") answers.
CREATE TABLE utenti (
    id INTEGER PRIMARY KEY,
    login TEXT NOT NULL UNIQUE COLLATE NOCASE,
    password TEXT NOT NULL,
    cognome TEXT NOT NULL,
    nome TEXT NOT NULL,
    codice_fiscale TEXT,
    e_mail TEXT
);

-- Patients, each under one doctor (codice_medico) and one agreement type.
CREATE TABLE pazienti (
    codice TEXT PRIMARY KEY,
    codice_medico INTEGER NOT NULL REFERENCES utenti (id),
    tipo_di_convenzione TEXT NOT NULL DEFAULT 'S',
    cognome TEXT NOT NULL,
    nome TEXT NOT NULL,
    data_nascita TEXT CHECK (data_nascita IS NULL OR data_nascita = ''
                             OR data_nascita GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]'),
    sesso TEXT CHECK (sesso IS NULL OR sesso IN ('M', 'F')),
    codice_fiscale TEXT,
    comune_nascita TEXT,
    sigla_provincia_nascita TEXT,
    codice_sanitario TEXT,
    codice_asl TEXT,
    CHECK (codice <> '' AND codice NOT GLOB '*[^ -~]*')
);
CREATE INDEX pazienti_medico ON pazienti (codice_medico, tipo_di_convenzione);

-- Person attributes read by backslash path, e.g. 'persona\residenza\indirizzo\comune'.
CREATE TABLE attributi_persona (
    codice_paziente TEXT NOT NULL REFERENCES pazienti (codice),
    attributo TEXT NOT NULL COLLATE NOCASE,
    valore TEXT NOT NULL,
    PRIMARY KEY (codice_paziente, attributo),
    CHECK (attributo <> 'persona\documento_identita\data_rilascio' OR valore = ''
           OR valore GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]')
);

-- Entries of the essential-data sections; classe is the section ('protesi_ausili', 'problemi_attivi',
-- 'allarmi', 'continuativi' or any other class, which the export writes after those four).
CREATE TABLE dati_essenziali (
    id INTEGER PRIMARY KEY,
    codice_paziente TEXT NOT NULL REFERENCES pazienti (codice),
    classe TEXT NOT NULL,
    ordine INTEGER NOT NULL DEFAULT 0,
    codice TEXT NOT NULL DEFAULT '',
    descrizione_estesa TEXT NOT NULL DEFAULT '',
    data_inizio TEXT
);
CREATE INDEX dati_essenziali_paziente ON dati_essenziali (codice_paziente, classe, ordine);

-- Blood-pressure measurements: the rows of the dataset "pressione".
CREATE TABLE pressione (
    id INTEGER PRIMARY KEY,
    codice_paziente TEXT NOT NULL REFERENCES pazienti (codice),
    data TEXT NOT NULL CHECK (data GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]*'),
    frequenza_cardiaca INTEGER,
    pressione_massima INTEGER,
    pressione_minima INTEGER
);
CREATE INDEX pressione_paziente ON pressione (codice_paziente, data);

-- Towns with their cadastral codes.
CREATE TABLE tabella_comuni (
    codice_catastale TEXT PRIMARY KEY,
    denominazione TEXT NOT NULL,
    sigla_provincia TEXT NOT NULL
);
