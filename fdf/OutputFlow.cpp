#include "OutputFlow.h"

#include "Ap42Ss3Map.h"
#include "Ap68Map.h"
#include "FilledPdf.h"
#include "FontSetting.h"
#include "OutputFiles.h"
#include "clinical/EssentialData.h"
#include "host/tc_GenTools.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// The blank form's bytes; "" when they were read, otherwise why not.
QString readBlankForm(const QString& blankForm, QByteArray& bytes)
{
    using platform::FileAccess;
    QFile source(blankForm);
    if (!source.exists())
        return QStringLiteral("il modulo vuoto %1 non esiste").arg(native(blankForm));
    if (!source.open(QIODevice::ReadOnly))
        return QStringLiteral("il modulo vuoto non si può leggere: %1 (%2)")
            .arg(platform::fileErrorText(source, FileAccess::Read), native(blankForm));
    bytes = source.readAll();
    return {};
}

// A fresh copy of the blank form each time; "" when it was made, otherwise why not. A plain write, not
// QFile::copy, which syncs the copy to disk: a few milliseconds more on a busy disk for a file that the
// next run replaces anyway.
QString copyBlankForm(const QByteArray& bytes, const QString& desktopCopy)
{
    QFile copy(desktopCopy);
    if (!platform::openOwnerOnly(copy, QIODevice::WriteOnly | QIODevice::Truncate) ||
        copy.write(bytes) != bytes.size() || !copy.flush()) {
        const QString reason = platform::fileErrorText(copy, platform::FileAccess::Write);
        if (copy.isOpen()) {
            copy.close();
            copy.remove(); // no half copy left behind
        }
        return QStringLiteral("impossibile copiare il modulo vuoto sul desktop: %1 (%2)")
            .arg(reason, native(desktopCopy));
    }
    return {};
}

// True when the earlier copy holds nothing but what the program puts in a copy: the blank form's
// values, or those of this very fill. Anything else (a value the doctor typed or ticked in a viewer,
// a copy that is not a readable form) means it holds the doctor's work.
bool holdsOnlyTheProgramsValues(const QString& earlierCopy, const QString& blankForm,
                                const std::vector<FdfEntry>& entries)
{
    const std::optional<FormValues> earlier = readFormValues(earlierCopy);
    if (!earlier)
        return false;
    const FormValues blank = readFormValues(blankForm).value_or(FormValues{});
    return *earlier == blank || *earlier == filledValues(blank, entries);
}

// Makes the copy's name free for a fresh copy: an earlier copy that holds only the program's values
// goes, any other is kept under a dated name (`kept`). "" when the name is free, otherwise why not; the
// earlier copy then stays as it is and no fresh copy may be made.
QString makeRoomForCopy(const QString& copyPath, const QString& blankForm,
                        const std::vector<FdfEntry>& entries, QString& kept)
{
    if (!QFileInfo::exists(copyPath))
        return {};
    if (holdsOnlyTheProgramsValues(copyPath, blankForm, entries)) {
        QFile::remove(copyPath);
        return {};
    }
    const platform::KeptFile moved =
        platform::keepUnderDatedName(copyPath, QFileInfo(copyPath).completeBaseName());
    kept = moved.path;
    if (!moved.failure.isEmpty())
        return QStringLiteral("la copia precedente, che contiene dati inseriti, non si può rinominare: ") +
               moved.failure;
    return {};
}

// A fresh copy of the blank form at `copyPath`, filled with `entries`. Either way the copy is whole: the
// blank copy, or the filled form. A note on letters the copy may not show is the one message shown.
FilledCopy fillFreshCopy(const QString& blankForm, const QString& copyPath,
                         const std::vector<FdfEntry>& entries, platform::Platform& platform)
{
    FilledCopy copy;
    // The blank form first: without one, an earlier copy has no reason to step aside.
    QByteArray blank;
    QString failure = readBlankForm(blankForm, blank);
    if (failure.isEmpty())
        failure = refusedOutput(copyPath);
    if (failure.isEmpty())
        failure = makeRoomForCopy(copyPath, blankForm, entries, copy.keptPath);
    if (failure.isEmpty())
        failure = copyBlankForm(blank, copyPath);
    if (failure.isEmpty()) {
        try {
            const QString warning = unprintedLettersWarning(
                QFileInfo(copyPath).fileName(), fillPdfForm(copyPath, entries, unicodeFontPath(platform)),
                platform.userSettingsLocation());
            if (!warning.isEmpty())
                platform.showMessage(platform::MessageKind::Information, warning);
            copy.path = copyPath;
            return copy;
        } catch (const FormFillError& error) {
            failure = QString::fromUtf8(error.what());
        }
    }
    copy.failure = failure;
    return copy;
}

PdfFlowResult runFlow(Certificate certificate, Reader reader, FdfClosing closing,
                      const clinical::PatientRow& row, FlowContext& context)
{
    const QString work = platform::preparedWorkFolder(context.platform);
    if (context.showStatus)
        context.showStatus(statusText(certificate, row.cognome, row.nome));
    processEvents(context);

    // The field list first: the files are named after it, an earlier desktop copy is judged against
    // it, and a reader that stops leaves every file untouched.
    const Prefill prefill = reader(row, context.session, clinical::freshExportPath(work));
    const OutputFileSet files =
        outputFileSet(certificate, context.platform.programFolder(), work, GetDesktopFolder(context.platform),
                      {row.cognome, row.nome, QStringList{prefill.codiceFiscale} + hostCodes(row)});
    // The FDF names the desktop copy: not one that stands where a link is.
    if (const QString refused = refusedOutput(files.desktopCopyPath); !refused.isEmpty())
        throw std::runtime_error((QStringLiteral("Impossibile creare il modulo PDF sul desktop: ") + refused +
                                  QStringLiteral(". Nessun file è stato scritto."))
                                     .toStdString());
    const std::vector<FdfEntry>& entries = prefill.entries;
    writeFormFdf(files.fdfPath, files.desktopCopyPath, entries, closing);
    processEvents(context);

    const FilledCopy copy =
        fillFreshCopy(files.blankFormPath, files.desktopCopyPath, entries, context.platform);
    // A warning: the FDF, the flow's own result, stands.
    if (!copy.failure.isEmpty())
        context.platform.showMessage(
            platform::MessageKind::Error,
            platform::kWarningPrefix +
                QStringLiteral(
                    "impossibile compilare il modulo PDF %1: %2. Il file FDF è stato comunque creato.")
                    .arg(QFileInfo(files.desktopCopyPath).fileName(), copy.failure));
    processEvents(context);
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
    const std::vector<FdfEntry> entries = ap68Entries(values, checkBoxOnStates(files.blankFormPath));
    return fillFreshCopy(files.blankFormPath, files.completedCopyPath, entries, platform);
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
