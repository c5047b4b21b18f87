#include "QtPlatform.h"

#include "Settings.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include "platform/win/MachineRegistry.h"

#include <windows.h>
#endif

namespace platform {

QString QtPlatform::desktopFolder() const
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

QString QtPlatform::programFolder() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

QString QtPlatform::workFolder() const
{
    return standardWorkFolder();
}

bool QtPlatform::openFile(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString QtPlatform::machineSetting(const QString& keyPath, const QString& name) const
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(win::readMachineString(keyPath.toStdWString(), name.toStdWString()));
#else
    return readSystemSetting(keyPath, name);
#endif
}

QString QtPlatform::userSetting(const QString& name) const
{
    return readUserSetting(name);
}

void QtPlatform::setUserSetting(const QString& name, const QString& value)
{
    writeUserSetting(name, value);
}

QString QtPlatform::userSettingsLocation() const
{
    return userSettingsPath();
}

void QtPlatform::showMessage(MessageKind kind, const QString& text)
{
    const auto icon = kind == MessageKind::Error         ? QMessageBox::Critical
                      : kind == MessageKind::Information ? QMessageBox::Information
                                                         : QMessageBox::NoIcon;
    QMessageBox box(icon, kApplicationTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool QtPlatform::askYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::Question, kApplicationTitle, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    // Qt's own captions would be English without a translation installed.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Sì"));
    box.button(QMessageBox::No)->setText(QStringLiteral("No"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QDateTime QtPlatform::now() const
{
    return QDateTime::currentDateTime();
}

void QtPlatform::rememberForegroundWindow()
{
#ifdef Q_OS_WIN
    m_foreground = reinterpret_cast<quintptr>(GetForegroundWindow());
#endif
}

void QtPlatform::restoreForegroundWindow()
{
#ifdef Q_OS_WIN
    if (m_foreground != 0)
        SetForegroundWindow(reinterpret_cast<HWND>(m_foreground));
#endif
}

} // namespace platform
