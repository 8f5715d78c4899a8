#include "reportkeeping.h"

#include "atomicwrite.h"
#include "fileaccess.h"
#include "textcodec.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

// "<name>（上一份，<stamp>[-n]）.<suffix>" beside the file, a name no file has yet.
QString keptName(const QString &path, const QString &stamp)
{
    const QFileInfo info(path);
    for (int n = 1;; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral("-%1").arg(n);
        const QString kept = QDir::toNativeSeparators(info.dir().filePath(
            info.completeBaseName() + QStringLiteral("（上一份，%1%2）.").arg(stamp, suffix) +
            info.suffix()));
        if (!QFileInfo::exists(kept))
            return kept;
    }
}

} // namespace

qsizetype reportWinnerCount(const QByteArray &bytes)
{
    const QString dashes(48, u'-');
    qsizetype winners = 0;
    for (const QString &line : decodeText(bytes).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed == dashes)
            return winners;
        if (!trimmed.isEmpty())
            ++winners;
    }
    // Without its dash line it is not a report this program wrote: nothing to count on.
    return 0;
}

QString keptReportText(const KeptReport &kept)
{
    if (kept.copies.isEmpty())
        return {};
    return QStringLiteral("\n原来的获奖名单列有 %1 名中奖者，比这一份多，已原样保留为 %2")
               .arg(kept.winners)
               .arg(kept.copies.join(QStringLiteral("、"))) +
           QStringLiteral("。");
}

KeptReport keepFullerReport(const QString &path, qsizetype winners, const QStringList &companions)
{
    KeptReport kept;
    if (!QFileInfo(path).isFile())
        return kept;
    const QByteArray old = readFileBytes(path, kept.result);
    if (!kept.result.ok())
        return kept;
    kept.winners = reportWinnerCount(old);
    if (kept.winners <= winners)
        return kept;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QList<QPair<QString, QByteArray>> files{{path, old}};
    for (const QString &companion : companions) {
        if (!QFileInfo(companion).isFile())
            continue;
        FileResult read;
        const QByteArray bytes = readFileBytes(companion, read);
        if (!read.ok()) {
            kept.result = read;
            return kept;
        }
        files.append({companion, bytes});
    }
    for (const auto &[original, bytes] : files) {
        const QString copy = keptName(original, stamp);
        kept.result = writeFileAtomically(copy, bytes);
        if (!kept.result.ok())
            return kept;
        kept.copies << copy;
    }
    return kept;
}
