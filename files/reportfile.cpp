#include "reportfile.h"

#include "atomicwrite.h"
#include "textcodec.h"
#include "webaddress.h"

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// Only U+0020 is stripped: that is what the status line is padded with.
QString withoutSurroundingSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.sliced(first, last - first);
}

} // namespace

QString reportText(const QString &log, const QString &status, const QStringList &voided,
                   const QStringList &typed, const QStringList &typedListed)
{
    QString text =
        log + LineEnd + QString(48, u'-') + LineEnd + withoutSurroundingSpaces(status) + LineEnd +
        LineEnd + QStringLiteral("欢迎访问") + WebAddress + LineEnd + LineEnd +
        QStringLiteral("prizedraw 现场抽奖：名单随机滚动，按下即停，结果当场公布并存档。") +
        LineEnd;
    // After the footer, so a report without them keeps its bytes.
    const auto block = [&text](const QString &heading, const QStringList &lines) {
        if (lines.isEmpty())
            return;
        text += LineEnd + heading + LineEnd;
        for (const QString &line : lines)
            text += line;
    };
    block(QStringLiteral("作废（未到场）："), voided);
    block(QStringLiteral("不在名单中（手动输入后确认记录）："), typed);
    block(QStringLiteral("在名单中，但不是抽出的（手动输入后确认记录）："), typedListed);
    return text;
}

FileResult writeReportFile(const QString &path, const QString &log, const QString &status,
                           const QStringList &voided, const QStringList &typed,
                           const QStringList &typedListed)
{
    return writeFileAtomically(path,
                               encodeText(reportText(log, status, voided, typed, typedListed)));
}
