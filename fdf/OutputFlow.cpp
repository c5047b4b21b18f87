#include "OutputFlow.h"

#include "host/Tzantopat.h"

#include "Ap42Ss3Map.h"
#include "Ap68Map.h"
#include "OutputFiles.h"
#include "clinical/EssentialData.h"
#include "host/tc_GenTools.h"
#include "pdf/FilledPdf.h"
#include "pdf/FontSetting.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/SupportLog.h"
#include "text/Messages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace fdf {

namespace {

// What a pre-fill read from the host: the field list, and what the files are named after.
struct Prefill
{
    std::vector<FdfEntry> entries;
    QString codiceFiscale;
    clinical::FiscalCodeParts disagreements;
};

using Reader = Prefill (*)(const clinical::PatientRow&, Tzantopat&, const QString& exportPath);

Prefill readAp68(const clinical::PatientRow& row, Tzantopat& session, const QString& exportPath)
{
    const Ap68Values values = readAp68Values(row, session, exportPath);
    return {ap68Entries(values), values.codiceFiscale, values.fiscalCodeDisagreements};
}

Prefill readAp42Ss3(const clinical::PatientRow& row, Tzantopat& session, const QString& exportPath)
{
    const Ap42Ss3Values values = readAp42Ss3Values(row, session, exportPath);
    return {ap42Ss3Entries(values), values.codiceFiscale, values.fiscalCodeDisagreements};
}

// The host's own code of the row's patient, and the id itself, for names that clean to nothing.
QStringList hostCodes(const clinical::PatientRow& row)
{
    QString code;
    return tc_GenTools::hex2string(row.id, code) ? QStringList{code, row.id} : QStringList{row.id};
}

void processEvents(FlowContext& context)
{
    if (context.processEvents)
        context.processEvents();
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Why no output may be written at `path`, naming it; "" when it may.
QString refusedOutput(const QString& path)
{
    const QString reason = platform::unsafeOutputReason(path);
    return reason.isEmpty() ? reason : reason + QStringLiteral(" (") + native(path) + QLatin1Char(')');
}

// The copy of a blank form that goes on the desktop, made in memory before anything there is touched.
struct PreparedCopy
{
    QString blankForm;
    QByteArray blank; // the blank form's bytes; empty when there is none
    QByteArray bytes; // the filled form, or the blank form itself when it does not take the entries
    std::vector<pdf::UnprintedLetters> unprinted;
    QString failure;      // why the entries are not in `bytes`; "" when they are
    bool damaged = false; // the blank form cannot be read or is no PDF form: nothing may come of it
};

PreparedCopy prepareCopy(const QString& blankForm, const std::vector<FdfEntry>& entries,
                         const QString& unicodeFont)
{
    PreparedCopy copy{blankForm, {}, {}, {}, {}, false};
    const auto damaged = [&copy](const QString& reason) {
        copy.failure = QStringLiteral("il modulo vuoto %1 è danneggiato o illeggibile (%2)")
                           .arg(native(copy.blankForm), reason);
        copy.damaged = true;
        return copy;
    };
    // A missing form has nothing to copy: the FDF may still stand, and any earlier copy stays.
    QFile source(blankForm);
    if (!source.exists()) {
        copy.failure = QStringLiteral("il modulo vuoto %1 non esiste").arg(native(blankForm));
        return copy;
    }
    if (!source.open(QIODevice::ReadOnly))
        return damaged(platform::fileErrorText(source, platform::FileAccess::Read));
    copy.blank = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return damaged(platform::fileErrorText(source, platform::FileAccess::Read));
    try {
        copy.bytes = pdf::filledPdfForm(copy.blank, blankForm, entries, unicodeFont, copy.unprinted);
    } catch (const pdf::FormFillError& error) {
        if (error.damaged())
            return damaged(QString::fromUtf8(error.what()));
        // A form that lacks a field still takes the FDF in a viewer: the plain copy goes on the desktop.
        copy.bytes = copy.blank;
        copy.failure = QString::fromUtf8(error.what());
    }
    return copy;
}

QString hexDigest(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Where the user's settings remember the digest of the copy last written at `path`: one entry per path,
// named by the path's own digest, which no settings store reads as a group or a separator.
QString writtenCopySetting(const QString& path)
{
    QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
#ifdef Q_OS_WIN
    absolute = absolute.toLower(); // one file, however its name is cased
#endif
    return QStringLiteral("copie_pdf/") + hexDigest(absolute.toUtf8());
}

// Whether the earlier copy at `path` is one the program wrote there and nobody changed since: its bytes
// are those of the copy last written, as the user's settings remember them. Any change, values or not
// (a note, a signature, another program's rewrite), makes it the doctor's. A copy with no digest on
// record (written before the program kept them) is judged by what it shows: nothing but the blank
// form's values or those of this fill, and no note or mark beyond the blank form's. In doubt (it
// cannot be read, or is no PDF form) it is the doctor's.
bool isProgramsOwnCopy(const QString& path, const PreparedCopy& copy, const std::vector<FdfEntry>& entries,
                       const platform::Platform& platform)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (const QString written = platform.userSetting(writtenCopySetting(path)); !written.isEmpty())
        return written == hexDigest(bytes);
    const std::optional<pdf::FormReading> earlier = pdf::readForm(bytes, path);
    if (!earlier)
        return false;
    const pdf::FormReading blank = pdf::readForm(copy.blank, copy.blankForm).value_or(pdf::FormReading{});
    return earlier->otherAnnotations <= blank.otherAnnotations &&
           (earlier->values == blank.values || earlier->values == pdf::filledValues(blank.values, entries));
}

// Puts the prepared copy at `copyPath`, written whole beside it first: only then is an earlier copy
// replaced, when it is the program's own, or moved to a dated name (`kept`). "" when the copy is in
// place, otherwise why not. The digest of the copy written is remembered for the next time.
QString placeCopy(const QString& copyPath, const PreparedCopy& copy, const std::vector<FdfEntry>& entries,
                  platform::Platform& platform, QString& kept)
{
    QString keepFailure;
    const QString failure = platform::writeFileWhole(copyPath, copy.bytes, [&]() -> QString {
        if (!QFileInfo::exists(copyPath) || isProgramsOwnCopy(copyPath, copy, entries, platform))
            return {};
        const platform::KeptFile moved =
            platform::keepUnderDatedName(copyPath, QFileInfo(copyPath).completeBaseName());
        kept = moved.path;
        if (!moved.failure.isEmpty())
            keepFailure =
                QStringLiteral("la copia precedente, che contiene dati inseriti, non si può rinominare: ") +
                moved.failure;
        return keepFailure;
    });
    if (!keepFailure.isEmpty())
        return keepFailure;
    if (!failure.isEmpty())
        return QStringLiteral("impossibile scrivere la copia sul desktop: %1 (%2)")
            .arg(failure, native(copyPath));
    platform.setUserSetting(writtenCopySetting(copyPath), hexDigest(copy.bytes));
    return {};
}

// The prepared copy on the desktop at `copyPath`; nothing is touched when there is none (no blank form,
// or a damaged one). A note on letters the copy may not show is the one message shown.
FilledCopy putOnDesktop(const QString& copyPath, const PreparedCopy& prepared,
                        const std::vector<FdfEntry>& entries, platform::Platform& platform)
{
    FilledCopy copy;
    copy.failure = prepared.failure;
    if (prepared.bytes.isEmpty())
        return copy;
    if (const QString failure = placeCopy(copyPath, prepared, entries, platform, copy.keptPath);
        !failure.isEmpty())
        copy.failure = failure;
    if (!copy.failure.isEmpty())
        return copy;
    const QString warning = pdf::unprintedLettersWarning(QFileInfo(copyPath).fileName(), prepared.unprinted,
                                                         platform.userSettingsLocation());
    if (!warning.isEmpty())
        platform.showMessage(platform::MessageKind::Information, warning);
    copy.path = copyPath;
    return copy;
}

PdfFlowResult runFlow(Certificate certificate, Reader reader, FdfClosing closing,
                      const clinical::PatientRow& row, FlowContext& context)
{
    platform::LoggedFlow logged(context.platform,
                                certificate == Certificate::Ap68 ? QStringLiteral("AP68")
                                                                 : QStringLiteral("AP42 SS3"),
                                platform::patientTag(context.platform, row.id));
    const QString work = platform::preparedWorkFolder(context.platform);
    if (context.showStatus)
        context.showStatus(statusText(certificate, row.cognome, row.nome));
    processEvents(context);

    // The field list first: the files are named after it, an earlier desktop copy is judged against
    // it, and a reader that stops leaves every file untouched.
    const Prefill prefill = reader(row, context.session, clinical::freshExportPath(work));
    // A host lost, or given up as busy, while the values were read: they are not the patient's, and
    // nothing is written (the session has said why).
    if (context.session.interrupted())
        throw platform::FailureShown();
    const OutputFileSet files =
        outputFileSet(certificate, context.platform.programFolder(), work, GetDesktopFolder(context.platform),
                      {row.cognome, row.nome, QStringList{prefill.codiceFiscale} + hostCodes(row)});
    // The FDF names the desktop copy: not one that stands where a link is.
    if (const QString refused = refusedOutput(files.desktopCopyPath); !refused.isEmpty())
        throw std::runtime_error((QStringLiteral("Impossibile creare il modulo PDF sul desktop: ") + refused +
                                  QStringLiteral(". Nessun file è stato scritto."))
                                     .toStdString());
    const std::vector<FdfEntry>& entries = prefill.entries;
    // Then the copy filled from it in memory, then the FDF: a blank form that cannot be read or filled
    // leaves the FDF and the desktop as they were.
    const PreparedCopy prepared =
        prepareCopy(files.blankFormPath, entries, pdf::unicodeFontPath(context.platform));
    if (prepared.damaged) {
        QString message = prepared.failure + QStringLiteral(": il file FDF non è stato creato e la copia sul "
                                                            "desktop non è stata toccata.");
        message[0] = message[0].toUpper();
        throw std::runtime_error(message.toStdString());
    }
    writeFormFdf(files.fdfPath, files.desktopCopyPath, entries, closing);
    processEvents(context);

    const FilledCopy copy = putOnDesktop(files.desktopCopyPath, prepared, entries, context.platform);
    // A warning: the FDF, the flow's own result, stands.
    if (!copy.failure.isEmpty())
        context.platform.showMessage(
            platform::MessageKind::Error,
            text::kWarningPrefix +
                QStringLiteral(
                    "impossibile compilare il modulo PDF %1: %2. Il file FDF è stato comunque creato.")
                    .arg(QFileInfo(files.desktopCopyPath).fileName(), copy.failure));
    processEvents(context);
    logged.finished(copy.path.isEmpty() ? QStringLiteral("FDF scritto, copia non compilata")
                                        : QStringLiteral("FDF e copia compilata scritti"));
    return {files.fdfPath, copy.path, copy.keptPath, clinical::fiscalCodeWarning(prefill.disagreements)};
}

} // namespace

PdfFlowResult runAp68Flow(const clinical::PatientRow& row, FlowContext& context)
{
    return runFlow(Certificate::Ap68, &readAp68, FdfClosing::AfterLastEntry, row, context);
}

PdfFlowResult runAp42Ss3Flow(const clinical::PatientRow& row, FlowContext& context)
{
    return runFlow(Certificate::Ap42Ss3, &readAp42Ss3, FdfClosing::OwnLine, row, context);
}

FilledCopy completeAp68Form(const Ap68Values& values, platform::Platform& platform)
{
    const OutputFileSet files =
        outputFileSet(Certificate::Ap68, platform.programFolder(), platform.workFolder(),
                      GetDesktopFolder(platform), {values.cognome, values.nome, {values.codiceFiscale}});
    const std::vector<FdfEntry> entries = ap68Entries(values, pdf::checkBoxOnStates(files.blankFormPath));
    return putOnDesktop(files.completedCopyPath,
                        prepareCopy(files.blankFormPath, entries, pdf::unicodeFontPath(platform)), entries,
                        platform);
}

QString blankFormProblem(Certificate certificate, const QString& programFolder)
{
    const QString blankForm =
        outputFileSet(certificate, programFolder, QString(), QString(), {}).blankFormPath;
    const std::vector<FdfEntry> entries =
        certificate == Certificate::Ap68 ? ap68Entries(Ap68Values{}) : ap42Ss3Entries(Ap42Ss3Values{});
    return prepareCopy(blankForm, entries, QString()).failure;
}

QString CreateAp68Pdf(const clinical::PatientRow& row, FlowContext& context)
{
    return runAp68Flow(row, context).fdfPath;
}

QString CreateAp42Ss3Pdf(const clinical::PatientRow& row, FlowContext& context)
{
    return runAp42Ss3Flow(row, context).fdfPath;
}

} // namespace fdf
