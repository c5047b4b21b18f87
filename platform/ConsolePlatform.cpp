#include "ConsolePlatform.h"

#include "text/Messages.h"

#include <cstdio>

namespace platform {

QString printableText(const QString& text, QStringView keep)
{
    const QList<uint> characters = text.toUcs4();
    QString printable;
    printable.reserve(text.size());
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const char32_t c = characters[i];
        const QChar::Category category = QChar::category(c);
        const bool control = category == QChar::Other_Control || category == QChar::Other_Format ||
                             category == QChar::Separator_Line || category == QChar::Separator_Paragraph;
        // A carriage return stays only as the start of a line break: alone it would overwrite the line.
        const bool kept = c <= 0xFFFF && keep.contains(QChar(char16_t(c))) &&
                          (c != '\r' || (i + 1 < characters.size() && characters[i + 1] == '\n'));
        if (control && !kept)
            printable += QLatin1Char(' ');
        else
            printable += QString::fromUcs4(&c, 1);
    }
    return printable;
}

ConsolePlatform::ConsolePlatform(QString desktopFolder, QString programFolder, QString workFolder)
    : m_desktop(std::move(desktopFolder)), m_program(std::move(programFolder)), m_work(std::move(workFolder)),
      m_log(logFolderBeside(m_work))
{
}

bool ConsolePlatform::openFile(const QString&)
{
    return false; // the windowless front end prints its paths instead
}

QString ConsolePlatform::machineSetting(const QString& keyPath, const QString& name) const
{
    return readSystemSetting(keyPath, name);
}

QString ConsolePlatform::userSetting(const QString& name) const
{
    return readUserSetting(name);
}

void ConsolePlatform::setUserSetting(const QString& name, const QString& value)
{
    writeUserSetting(name, value);
}

QString ConsolePlatform::userSettingsLocation() const
{
    return userSettingsPath();
}

void ConsolePlatform::showMessage(MessageKind kind, const QString& text)
{
    m_messages << text;
    if (kind != MessageKind::Information && !text.startsWith(text::kWarningPrefix))
        m_failureShown = true;
    const QByteArray line = printableText(text, u"\r\n\t").toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

QDateTime ConsolePlatform::now() const
{
    return QDateTime::currentDateTime();
}

} // namespace platform
