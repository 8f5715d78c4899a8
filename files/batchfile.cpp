#include "batchfile.h"

#include "atomicwrite.h"
#include "drawengine.h"
#include "fileaccess.h"
#include "textcodec.h"

#include <QFileInfo>

#include <optional>

namespace {

// Whatever Notepad, Excel or a Chinese input method put between label and number.
bool isSeparator(QChar c)
{
    return c == u'=' || c == u'＝' || c == u':' || c == u'：' || c.isSpace();
}

// A whole number 1 … MostWinnersPerPress, in ASCII or full-width digits, with 人 or 名
// behind it if the operator wrote one.
std::optional<int> pressSize(QStringView text)
{
    text = text.trimmed();
    if (text.endsWith(u'人') || text.endsWith(u'名'))
        text.chop(1);
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        const int digit = c.digitValue();
        if (digit < 0 || (c.unicode() > 0x7F && (c.unicode() < 0xFF10 || c.unicode() > 0xFF19)))
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (value < 1 || value > MostWinnersPerPress)
        return std::nullopt;
    return value;
}

// The tier a line names at its start, and where its number begins.
std::optional<PrizeTier> labelledTier(QStringView line, qsizetype &rest)
{
    for (PrizeTier tier : AllTiers) {
        const QStringView label = tierRow(tier).statusLabel;
        if (line.startsWith(label)) {
            rest = label.size();
            while (rest < line.size() && isSeparator(line[rest]))
                ++rest;
            return tier;
        }
    }
    return std::nullopt;
}

} // namespace

BatchSizes parseBatchFile(const QByteArray &bytes)
{
    BatchSizes read;
    std::array<bool, 4> given{};
    const QStringList lines = splitLines(decodeText(bytes));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        qsizetype rest = 0;
        std::optional<PrizeTier> tier = labelledTier(line, rest);
        const std::optional<int> size = pressSize(QStringView(line).sliced(rest));
        // A bare number is the tier of its place; bare words are no tier's.
        if (!tier && size && i < qsizetype(AllTiers.size()))
            tier = AllTiers[std::size_t(i)];
        // The first line of a tier counts; a second one is a slip, not a setting.
        if (!tier || !size || given[tierIndex(*tier)]) {
            read.damagedLines << QStringLiteral("第%1行「%2」").arg(i + 1).arg(line.left(40));
            if (tier && !given[tierIndex(*tier)])
                given[tierIndex(*tier)] = true;
            continue;
        }
        given[tierIndex(*tier)] = true;
        read.sizes[tierIndex(*tier)] = *size;
    }
    return read;
}

BatchSizes readBatchFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    FileResult result;
    const QByteArray bytes = readFileBytes(path, result);
    if (!result.ok()) {
        BatchSizes read;
        read.result = result;
        return read;
    }
    return parseBatchFile(bytes);
}

QByteArray batchFileBytes(const std::array<int, 4> &sizes)
{
    QString text;
    for (PrizeTier tier : AllTiers)
        text += tierRow(tier).statusLabel.toString() + QLatin1Char('=') +
                QString::number(sizes[tierIndex(tier)]) + QStringLiteral("\r\n");
    return encodeText(text);
}

FileResult writeBatchFile(const QString &path, const std::array<int, 4> &sizes)
{
    return writeFileAtomically(path, batchFileBytes(sizes));
}

QString batchFileNotice(const QString &path, const BatchSizes &read)
{
    if (!read.result.ok())
        return read.result.error + QStringLiteral("\n\n每个奖项每次抽取 1 人。");
    if (read.damagedLines.isEmpty())
        return {};
    return QStringLiteral("%1 中有看不懂的行：%2。\n\n这些行的奖项每次抽取 1 人；"
                          "其余照文件设定。要改，请在窗口空白处点右键，选“每次抽取人数…”。")
        .arg(path, read.damagedLines.join(QStringLiteral("，")));
}
