// invciv-screenshots: renders the login window, the self-check's report, the patient search window (logged in
// to the demo host, with a list loaded) and the three pages of the certificate editor for the first patient
// listed into PNG files, from the real windows. With --desktop, it then saves that certificate there, which
// also completes the AP68 form. Used by scripts/screenshots.
//
//   invciv-screenshots --demo-host FILE --out DIR [--desktop DIR] [--user NAME --password PW --initials TEXT]

#include "app/HostChoice.h"
#include "app/Login.h"
#include "app/TFormMain.h"
#include "app/TfrmDiagnosis.h"
#include "app/TfrmLogin.h"
#include "certificate/TFormGestCertMedINPS.h"
#include "platform/ConsolePlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>

#include <cstdio>

namespace {

bool save(QWidget& widget, const QString& file)
{
    QApplication::processEvents();
    if (widget.grab().save(file))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app::setApplicationIdentity();

    QCommandLineParser parser;
    const QCommandLineOption demoHost(QStringLiteral("demo-host"), QStringLiteral("Demo host file."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Output folder."),
                                 QStringLiteral("DIR"), QStringLiteral("."));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Host user."),
                                  QStringLiteral("NAME"), QStringLiteral("demo"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Password."),
                                      QStringLiteral("PW"), QStringLiteral("demo"));
    const QCommandLineOption initials(QStringLiteral("initials"), QStringLiteral("Surname initials."),
                                      QStringLiteral("TEXT"), QStringLiteral("RO"));
    const QCommandLineOption desktop(QStringLiteral("desktop"),
                                     QStringLiteral("Desktop folder to save the certificate in."),
                                     QStringLiteral("DIR"));
    parser.addOptions({demoHost, out, desktop, user, password, initials});
    parser.process(application);

    platform::ConsolePlatform console(parser.value(desktop),
                                      QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + '/'));
    const app::HostSelection selection{true, parser.value(demoHost).isEmpty()
                                                 ? app::defaultDemoHostFile().toStdString()
                                                 : parser.value(demoHost).toStdString()};
    if (!app::prepareHost(selection, console))
        return 1;
    const QDir folder(parser.value(out));
    QDir().mkpath(folder.path());

    app::TFormMain window(console, app::automationFactoryFor(selection), nullptr);
    {
        app::TfrmLogin login(window.Session(), window.platform(), &window);
        login.findChild<QLineEdit*>(QStringLiteral("txtUtente"))->setText(parser.value(user));
        login.findChild<QLineEdit*>(QStringLiteral("txtPw"))->setText(parser.value(password));
        login.show();
        if (!save(login, folder.filePath(QStringLiteral("login.png"))))
            return 1;
    }
    {
        // The report "Verifica installazione…" opens, for this installation.
        app::TfrmDiagnosis report(app::diagnose(window.platform(), selection), &window);
        report.show();
        if (!save(report, folder.filePath(QStringLiteral("diagnosis.png"))))
            return 1;
    }

    if (!app::CheckLogin(window.Session(), window.platform(), parser.value(user), parser.value(password)))
        return 1;
    window.show();
    window.findChild<QLineEdit*>(QStringLiteral("editCognome"))->setText(parser.value(initials));
    window.LoadPatients();
    auto* grid = window.findChild<QTableView*>(QStringLiteral("gridDati"));
    if (grid->model()->rowCount() == 0)
        return 1;
    grid->selectRow(0);
    if (!save(window, folder.filePath(QStringLiteral("main.png"))))
        return 1;

    // The editor for the first patient listed, with what a doctor might have typed.
    certificate::TFormGestCertMedINPS editor(window.Session(), window.platform(), &window);
    editor.SetPatientId(grid->model()->index(0, 0).data().toString());
    editor.show();
    const auto type = [&](const char* name, const QString& text) {
        if (auto* memo = editor.findChild<QPlainTextEdit*>(QLatin1String(name)))
            memo->setPlainText(text);
        else if (auto* edit = editor.findChild<QLineEdit*>(QLatin1String(name)))
            edit->setText(text);
    };
    type("MemoAnamnesi", QStringLiteral("Ipertensione arteriosa dal 2004, diabete mellito tipo 2 dal 2010."));
    type("MemoObiettivita", QStringLiteral("Deambulazione autonoma con ausilio. PA 150/90 mmHg."));
    type("MemoDiagnosi", QStringLiteral("Cardiopatia ipertensiva; diabete mellito tipo 2."));
    type("EditLuogo", QStringLiteral("Forlì"));
    type("EditNumIscrizione", QStringLiteral("12345"));
    type("EditProvAlbo", QStringLiteral("FC"));
    auto* pages = editor.findChild<QTabWidget*>(QStringLiteral("PageControlCertMedINPS"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        if (!save(editor, folder.filePath(QStringLiteral("editor-%1.png").arg(page + 1))))
            return 1;
    }
    if (!parser.isSet(desktop))
        return 0;
    // Purposes and a declaration ticked, then "Salva": the XML and the completed AP68 form.
    for (const char* box : {"CheckBoxInvalidita", "CheckBoxHandicap", "CheckBoxCert01B"})
        editor.findChild<QCheckBox*>(QLatin1String(box))->setChecked(true);
    return editor.SaveCertificate() ? 0 : 1;
}
