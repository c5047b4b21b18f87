#!/usr/bin/python3
"""Makes the two stand-in blank forms, "cert med INPS.pdf" (AP68) and "AP42_SS3.pdf".

They are facsimiles for development and demonstration, not the official INPS forms: AcroForm PDFs
whose fields carry exactly the names the program's FDF files fill in. Field fonts are the standard
Helvetica with reportlab's PDFDocEncoding differences, which hold the Italian letters, ’ and €.

Run from anywhere: /usr/bin/python3 forms/make_forms.py  (needs python3-reportlab)
"""

import os

from reportlab.lib.colors import Color, black, red, white
from reportlab.lib.pagesizes import A4
from reportlab.pdfgen import canvas

HERE = os.path.dirname(os.path.abspath(__file__))
MARK = "FACSIMILE \u2014 non \u00e8 il modulo ufficiale INPS"
WIDTH, HEIGHT = A4
LEFT = 40
RIGHT = WIDTH - 40
FIELD_FONT = "Helvetica"
FIELD_BORDER = Color(0.35, 0.35, 0.55)
FIELD_FILL = Color(0.93, 0.95, 1.0)


class Form:
    """A canvas with a cursor running down the page; every field gets its caption above it."""

    def __init__(self, path, title, subtitle):
        self.c = canvas.Canvas(path, pagesize=A4, invariant=1)
        self.c.setTitle(title + " \u2014 facsimile")
        self.title = title
        self.subtitle = subtitle
        self.page = 0
        self.names = []
        self.new_page()

    # Page furniture -------------------------------------------------------------------------
    def new_page(self):
        if self.page:
            self.c.showPage()
        self.page += 1
        c = self.c
        # A light diagonal watermark behind everything, and the mark in clear at the top and bottom.
        c.saveState()
        c.setFillColor(Color(0.85, 0.85, 0.85))
        c.setFont("Helvetica-Bold", 24)
        c.translate(WIDTH / 2, HEIGHT / 2)
        c.rotate(35)
        c.drawCentredString(0, 0, MARK)
        c.restoreState()
        c.setFillColor(red)
        c.rect(LEFT, HEIGHT - 38, RIGHT - LEFT, 18, stroke=0, fill=1)
        c.setFillColor(white)
        c.setFont("Helvetica-Bold", 11)
        c.drawCentredString(WIDTH / 2, HEIGHT - 33, MARK)
        c.setFillColor(red)
        c.setFont("Helvetica-Bold", 8)
        c.drawCentredString(WIDTH / 2, 22, MARK + " \u2014 pagina %d" % self.page)
        c.setFillColor(black)
        c.setFont("Helvetica-Bold", 13)
        c.drawString(LEFT, HEIGHT - 58, self.title)
        c.setFont("Helvetica", 8)
        c.drawString(LEFT, HEIGHT - 70, self.subtitle)
        self.y = HEIGHT - 84

    def section(self, caption):
        self.y -= 8
        c = self.c
        c.setFillColor(Color(0.2, 0.2, 0.45))
        c.rect(LEFT, self.y - 12, RIGHT - LEFT, 14, stroke=0, fill=1)
        c.setFillColor(white)
        c.setFont("Helvetica-Bold", 9)
        c.drawString(LEFT + 4, self.y - 8, caption)
        c.setFillColor(black)
        self.y -= 16

    def need(self, height):
        if self.y - height < 40:
            self.new_page()

    # Fields ---------------------------------------------------------------------------------
    def _caption(self, x, y, text):
        self.c.setFont("Helvetica", 7)
        self.c.drawString(x, y, text)

    def row(self, fields, height=16):
        """One row of text fields: (name, caption, width[, multiline]) placed left to right."""
        self.need(height + 12)
        x = LEFT
        top = self.y
        for field in fields:
            name, caption, width = field[:3]
            multiline = len(field) > 3 and field[3]
            self._caption(x, top - 8, caption)
            self.text(name, x, top - 10 - height, width, height, multiline)
            x += width + 8
        self.y = top - height - 14

    def text(self, name, x, y, width, height, multiline=False):
        self.names.append(name)
        self.c.acroForm.textfield(
            name=name, x=x, y=y, width=width, height=height, value="",
            fontName=FIELD_FONT, fontSize=8 if multiline else 9, maxlen=0,
            fieldFlags="multiline" if multiline else "", borderWidth=0.6,
            borderColor=FIELD_BORDER, fillColor=FIELD_FILL, textColor=black, forceBorder=True)

    def box(self, name, x):
        """One check box on the current line."""
        self.names.append(name)
        self.c.acroForm.checkbox(
            name=name, x=x, y=self.y - 13, size=11, checked=False, fieldFlags="",
            buttonStyle="cross", borderWidth=0.6, borderColor=FIELD_BORDER, fillColor=FIELD_FILL,
            textColor=black, forceBorder=True)

    def checks(self, boxes):
        """A row of check boxes, each with its caption at its right: (name, caption)."""
        self.need(18)
        x = LEFT
        for name, caption in boxes:
            self.box(name, x)
            self.c.setFont("Helvetica", 8)
            self.c.drawString(x + 15, self.y - 11, caption)
            x += 15 + self.c.stringWidth(caption, "Helvetica", 8) + 16
        self.y -= 20

    def check_lines(self, boxes):
        """Check boxes one under the other, each with its caption of one or more lines at its right:
        (name, [line, ...])."""
        for name, lines in boxes:
            self.need(8 + 10 * len(lines))
            self.box(name, LEFT)
            self.c.setFont("Helvetica", 8)
            for i, line in enumerate(lines):
                self.c.drawString(LEFT + 15, self.y - 11 - 10 * i, line)
            self.y -= 6 + 10 * len(lines) + 4

    def radios(self, name, caption, states):
        """One radio group: states are (export state, caption)."""
        self.need(18)
        self.names.append(name)
        self.c.setFont("Helvetica", 8)
        self.c.drawString(LEFT, self.y - 11, caption)
        x = LEFT + self.c.stringWidth(caption, "Helvetica", 8) + 10
        for state, label in states:
            self.c.acroForm.radio(
                name=name, value=state, x=x, y=self.y - 13, size=11, selected=False,
                fieldFlags="radio noToggleToOff", buttonStyle="circle", borderWidth=0.6,
                borderColor=FIELD_BORDER, fillColor=FIELD_FILL, textColor=black, forceBorder=True)
            self.c.drawString(x + 15, self.y - 11, label)
            x += 15 + self.c.stringWidth(label, "Helvetica", 8) + 16
        self.y -= 20

    def save(self):
        self.c.showPage()
        self.c.save()
        return self.names


def make_ap68(path):
    f = Form(path, "Certificato medico introduttivo \u2014 Mod. AP68",
             "Domanda di invalidit\u00e0 civile, handicap e disabilit\u00e0: certificato del medico curante")
    f.row([("nomefile", "Nome del file", 170), ("descrizione", "Modello", 60),
           ("dataversione", "Data e versione", 110), ("protocollo", "Protocollo", 147)])
    f.section("Dati anagrafici del paziente")
    f.row([("cognome", "Cognome", 250), ("nome", "Nome", 257)])
    f.radios("sesso", "Sesso:", [("1", "M (maschio)"), ("2", "F (femmina)")])
    f.row([("datanascita", "Data di nascita (gg/mm/aaaa)", 110), ("comune_nasc", "Comune di nascita", 300),
           ("prov_nasc", "Provincia", 89)])
    f.row([("codfisc", "Codice fiscale", 170), ("cod_tess_san", "Codice tessera sanitaria", 200),
           ("asl_app", "ASL di appartenenza", 129)])
    f.section("Il presente certificato \u00e8 rilasciato ai fini della domanda di")
    f.checks([("inv", "Invalidit\u00e0 civile"), ("cieco", "Cecit\u00e0 civile"), ("sordo", "Sordit\u00e0 civile"),
              ("hand", "Handicap (L. 104/92)"), ("disab", "Disabilit\u00e0 (L. 68/99)")])
    f.section("Certifico che la persona \u00e8")
    f.check_lines([
        ("cert_1", ["impossibilitata a deambulare senza l'aiuto permanente di un accompagnatore / non in grado "
                    "di compiere", "gli atti quotidiani della vita senza assistenza continua"]),
        ("cert_2", ["affetta da malattia neoplastica in atto"]),
        ("cert_3", ["affetta da patologia in situazione di gravit\u00e0 ai sensi del D.M. 2 agosto 2007"])])
    f.row([("num_cert", "Numero certificato", 150), ("data/mod", "Data (gg/mm/aaaa)", 110),
           ("luogo", "Luogo", 231)])
    f.section("Patologie (codice di diagnosi ICD-9 e descrizione)")
    for k in range(1, 6):
        f.row([("cod_%d" % k, "Codice %d" % k, 80), ("descr_%d" % k, "Descrizione %d" % k, 427, True)],
              height=30)
    f.section("Anamnesi")
    f.row([("anamnesi", "Anamnesi patologica", RIGHT - LEFT, True)], height=70)
    f.new_page()
    f.section("Esame obiettivo")
    f.row([("obiettivit\u00e0", "Obiettivit\u00e0", RIGHT - LEFT, True)], height=110)
    f.section("Diagnosi")
    f.row([("diagnosi", "Diagnosi", RIGHT - LEFT, True)], height=90)
    f.section("Terapia in corso")
    f.row([("terapia", "Terapia continuativa", RIGHT - LEFT, True)], height=150)
    f.section("Medico certificatore")
    f.row([("cognome_2", "Cognome del medico", 220), ("nome_2", "Nome del medico", 170),
           ("num_iscr", "N. iscrizione all'Ordine", 101)])
    return f.save()


SS3_ROWS = [
    ("01", "abc"), ("02", "ab"), ("03", "ab"), ("04", "acb"), ("05", "bca"), ("06", ""), ("07", ""),
    ("08", "abcdefgh"), ("09", "abcdefgh"), ("10", "abcde"), ("11", "abcde"), ("12", "abc"),
    ("13", "abc"), ("14", "abc"), ("15", "abc"), ("16", "ab"), ("17", "abc"), ("18", "abc"),
    ("19", "abc"), ("20", "abc"), ("21", "abc"), ("22", "abc"), ("23", "abc"), ("24", "abcdef"),
]
SS3_CAPTIONS = {"SS3_09f": "f) freq. card.", "SS3_09h": "h) press. art."}


def make_ap42(path):
    f = Form(path, "Modulo AP42 \u2014 Sezione SS3",
             "Dati anagrafici e accertamenti sanitari (sezione SS3)")
    f.row([("nomefile", "Nome del file", 150), ("descrizione", "Modello", 60),
           ("sede/inps", "Sede INPS", 281)])
    f.section("Dati anagrafici")
    f.row([("cognome", "Cognome", 250), ("nome", "Nome", 257)])
    f.row([("cod_fisc", "Codice fiscale", 170), ("data_nasc", "Data di nascita (gg/mm/aaaa)", 110),
           ("cittadinanza", "Cittadinanza", 211)])
    f.row([("luogo_nasc", "Comune di nascita", 250), ("prov_nasc", "Provincia", 70),
           ("stato_nasc", "Stato di nascita", 171)])
    f.section("Residenza e recapiti")
    f.row([("indirizzo", "Indirizzo (via, piazza, numero civico)", 400), ("cap", "CAP", 99)])
    f.row([("luogo_res", "Comune di residenza", 250), ("prov_res", "Provincia", 70),
           ("stato_res", "Stato di residenza", 171)])
    f.row([("tel", "Telefono", 130), ("tel_cell", "Cellulare", 130), ("e-mail", "Posta elettronica", 231)])
    f.section("Documento di riconoscimento")
    f.row([("doc_tipo", "Tipo di documento", 130), ("doc_num", "Numero", 120),
           ("doc/ril", "Rilasciato da", 160), ("doc_data", "Data di rilascio", 73)])
    f.checks([("hand", "Persona con handicap in situazione di gravit\u00e0")])
    f.section("Esame obiettivo")
    f.row([("obiettivit\u00e0", "Obiettivit\u00e0", RIGHT - LEFT, True)], height=150)
    f.new_page()
    f.section("Sezione SS3 \u2014 accertamenti sanitari")
    for number, letters in SS3_ROWS:
        if not letters:
            f.row([("SS3_%s" % number, "Quesito %d" % int(number), 200)], height=14)
            continue
        width = int((RIGHT - LEFT - 8 * (len(letters) - 1)) / max(len(letters), 3))
        width = min(width, 150)
        fields = []
        for letter in letters:
            name = "SS3_%s%s" % (number, letter)
            caption = SS3_CAPTIONS.get(name, "%s)" % letter)
            fields.append((name, ("%d. " % int(number) if letter == letters[0] else "") + caption, width))
        f.row(fields, height=14)
    return f.save()


def main():
    for path, make in ((os.path.join(HERE, "cert med INPS.pdf"), make_ap68),
                       (os.path.join(HERE, "AP42_SS3.pdf"), make_ap42)):
        names = make(path)
        if len(names) != len(set(names)):
            raise SystemExit("duplicate field names in " + path)
        print("%s: %d fields" % (os.path.basename(path), len(names)))


if __name__ == "__main__":
    main()
