// invciv-icon: writes the program's icon, the logo's emblem at every size Windows shows, as an .ico
// file. The Linux build makes it; the Windows build runs it and puts the icon into the programs'
// resources (cmake/WindowsIdentity.cmake) and scripts/package-windows into the setup.
//
//   invciv-icon OUTPUT.ico

#include "IcoFile.h"
#include "widgets/ZantoLogo.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <stdexcept>

int main(int argc, char** argv)
{
    // Drawing needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: invciv-icon OUTPUT.ico\n", stderr);
        return 2;
    }
    QList<QImage> images;
    for (const int side : widgets::zantoIconSizes())
        images.append(widgets::zantoEmblem(side));
    try {
        const QByteArray bytes = tools::icoFile(images);
        QSaveFile file(arguments[1]);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            throw std::runtime_error(file.errorString().toStdString());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "invciv-icon: %s: %s\n", qPrintable(arguments[1]), e.what());
        return 1;
    }
    return 0;
}
