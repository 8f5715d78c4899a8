#include "faultoperations.h"

#include "atomicwrite.h"
#include "candidatefile.h"
#include "journal.h"
#include "programpaths.h"
#include "reportfile.h"
#include "settingsfile.h"
#include "textcodec.h"

namespace {

const QString Status = QStringLiteral("          已抽取：3等奖9名，2等奖0名，1等奖0名，特等奖0名");

QByteArray bytesPayload(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

// A results log of whole lines, at least `size` bytes once encoded.
QString reportLog(qsizetype size)
{
    QString log;
    for (qsizetype n = 0, bytes = 0; bytes < size; ++n) {
        const QString line = QStringLiteral("3等奖:张伟%1\r\n").arg(n);
        log += line;
        bytes += encodeText(line).size();
    }
    return log;
}

std::array<QString, 5> settingsTexts(qsizetype size)
{
    return {QString(size / 2, u'奖'), QStringLiteral("5"), QStringLiteral("3"), QStringLiteral("2"),
            QStringLiteral("1")};
}

} // namespace

QStringList faultWriteOperations()
{
    return {QStringLiteral("write-bytes"), QStringLiteral("write-report"),
            QStringLiteral("write-settings")};
}

QByteArray expectedFileBytes(const QString &operation, qsizetype size)
{
    if (operation == QLatin1String("write-bytes"))
        return bytesPayload(size);
    if (operation == QLatin1String("write-report"))
        return encodeText(reportText(reportLog(size), Status));
    if (operation == QLatin1String("write-settings")) {
        QString text;
        for (const QString &line : settingsTexts(size))
            text += line + QStringLiteral("\r\n");
        return encodeText(text);
    }
    return {};
}

std::optional<QString> runFaultOperation(const QString &operation, const QString &path,
                                         qsizetype size)
{
    if (operation == QLatin1String("write-bytes"))
        return writeFileAtomically(path, bytesPayload(size)).error;
    if (operation == QLatin1String("write-report"))
        return writeReportFile(path, reportLog(size), Status).error;
    if (operation == QLatin1String("write-settings"))
        return writeSettingsFile(path, settingsTexts(size)).error;
    if (operation == QLatin1String("read-candidates"))
        return readCandidatePool(path).result.error;
    if (operation == QLatin1String("read-settings"))
        return readSettingsFile(path).result.error;
    if (operation == QLatin1String("append-journal"))
        return Journal(path)
            .append({JournalEvent::Winner, QStringLiteral("3等奖:"), QString(size, u'长')})
            .error;
    if (operation == QLatin1String("program-directory"))
        return programDirectory() ? QString() : noProgramDirectoryText(path);
    return std::nullopt;
}
