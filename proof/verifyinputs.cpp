// The verifier's ways in: a journal as a stream, as bytes or as a file, with the list (and
// any earlier lists) given as bytes or files.
#include "verifierparts.h"

#include "fileaccess.h"
#include "journalline.h"
#include "sha256.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

using journalcheck::LineSource;
using journalcheck::ListFile;
using journalcheck::Verifier;

int Verification::exitStatus() const
{
    if (!readError.isEmpty())
        return 3;
    if (!faults.isEmpty())
        return 1;
    return typedWinners > 0 ? 2 : 0;
}

namespace {

constexpr qint64 MinimalLongestLine = qint64(16) << 20;
constexpr qint64 LargestList = qint64(1) << 30;

Verification verifyStream(QIODevice &journal, ListFile &list, const QString &comparedHead,
                          VerifyLimits limits)
{
    Verification out;
    out.listSha256 = list.sha256();
    out.listNames = list.names();
    out.comparedHead = comparedHead;
    // A draw's start names every duplicate of its list with its lines: a few times the list.
    if (limits.longestLine <= 0)
        limits.longestLine = std::max(MinimalLongestLine, 4 * qint64(list.byteSize()));
    Verifier verifier(list, out);
    if (!out.comparedHead.isEmpty()) {
        const QString &wanted = out.comparedHead;
        if (wanted.size() < WeakCodeDigits || wanted.size() > JournalChainDigits ||
            !journalcheck::isLowerHex(wanted.toLatin1())) {
            out.readError =
                QStringLiteral("拿来比对的链值“%1”不是链值：应是 12 到 16 位十六进制数字"
                               "（0–9 和 a–f；早期版本的链码是 6 位）。")
                    .arg(comparedHead);
            return out;
        }
    }
    LineSource lines(journal, limits.longestLine, limits.unsizedInput);
    QByteArray raw;
    bool tail = false;
    while (lines.next(raw, tail)) {
        journalcheck::Line line = journalcheck::readLine(std::move(raw), lines.number(), tail);
        verifier.take(line);
    }
    if (!lines.error().isEmpty()) {
        out = Verification();
        out.readError = lines.error();
        return out;
    }
    out.lfLines = lines.lfLines();
    verifier.end();
    if (verifier.wantsSecondPass() && !journal.isSequential() && journal.seek(0)) {
        LineSource again(journal, limits.longestLine, limits.unsizedInput);
        while (again.next(raw, tail))
            verifier.takeAgain(again.number(), raw);
    }
    verifier.finish();
    return out;
}

} // namespace

Verification verifyDrawStream(QIODevice &journal, const QByteArray &list,
                              const QString &comparedHead, const VerifyLimits &limits)
{
    ListFile file(list);
    return verifyStream(journal, file, comparedHead, limits);
}

Verification verifyDrawBytes(const QByteArray &journal, const QByteArray &list,
                             const QString &comparedHead)
{
    QByteArray bytes = journal;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return verifyDrawStream(buffer, list, comparedHead);
}

namespace {

// A list read whole, as the program reads it: it must be a file of a list's size, not a
// device. Empty, with `error` set, when it cannot be read.
std::optional<ListFile> readList(const QString &path, QString &error)
{
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || info.size() > LargestList)) {
        error = readError(path, info.isFile() ? QStringLiteral("文件超过 1 GB，不是名单")
                                              : QStringLiteral("不是一个文件"));
        return std::nullopt;
    }
    FileResult read;
    const QByteArray bytes = readFileBytes(path, read);
    if (!read.ok()) {
        error = read.error;
        return std::nullopt;
    }
    // Names back to back as the program holds them; the bytes for the same names saved
    // another way. Changed in between, the bytes are read again.
    std::optional<CandidatePool> pool = readCandidatePool(path);
    if (!pool->result.ok() || pool->sha256 != sha256Hex(bytes))
        pool.reset();
    return ListFile(bytes, std::move(pool));
}

} // namespace

Verification verifyDraw(const QString &journalPath, const QString &listPath,
                        const QString &comparedHead, const QStringList &otherListPaths)
{
    Verification out;
    const auto done = [&] {
        out.journalPath = journalPath;
        out.listPath = listPath;
        return out;
    };
    QFile journal(journalPath);
    if (!journal.open(QIODevice::ReadOnly)) {
        out.readError = readError(journalPath, journal.errorString());
        return done();
    }
    std::optional<ListFile> list = readList(listPath, out.readError);
    if (!list)
        return done();
    QList<Verification::OtherList> others;
    for (const QString &path : otherListPaths) {
        std::optional<ListFile> other = readList(path, out.readError);
        if (!other)
            return done();
        others.append({path, other->names(), other->sha256()});
        list->addOther(path, std::move(*other));
    }
    out = verifyStream(journal, *list, comparedHead, {});
    out.otherLists = others;
    return done();
}
