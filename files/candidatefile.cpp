#include "candidatefile.h"

#include "fileaccess.h"
#include "sha256.h"
#include "textcodec.h"

#include <algorithm>
#include <vector>

namespace {

// The lines of the text as splitLines() cuts them, packed in place over the line ends
// so that a big list needs no second copy. Only a line with nothing on it is skipped; a
// line of spaces is a name.
NameList namesOf(QString text, QList<qsizetype> &emptyLines)
{
    const qsizetype size = text.size();
    QChar *data = text.data();
    std::vector<qsizetype> starts;
    starts.reserve(std::size_t(std::count(data, data + size, u'\n') + 1));
    qsizetype packed = 0;
    qsizetype lineStart = 0;
    qsizetype line = 1;
    const auto endLine = [&] {
        if (packed > lineStart)
            starts.push_back(lineStart);
        else
            emptyLines.append(line);
        ++line;
        lineStart = packed;
    };
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c != u'\r' && c != u'\n') {
            data[packed++] = c;
            continue;
        }
        endLine();
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
    }
    if (packed > lineStart)
        endLine();
    text.truncate(packed);
    return NameList(std::move(text), std::move(starts));
}

} // namespace

CandidatePool readCandidatePool(const QString &path)
{
    CandidatePool pool;
    const QByteArray bytes = readFileBytes(path, pool.result);
    if (pool.result.ok())
        pool.sha256 = sha256Hex(bytes);
    pool.names = namesOf(decodeText(bytes), pool.emptyLines);
    return pool;
}

QList<DuplicateName> findDuplicateNames(const CandidatePool &pool)
{
    return findDuplicateNames(pool.names, pool.emptyLines);
}

QStringList parseCandidateNames(const QByteArray &bytes)
{
    QList<qsizetype> emptyLines;
    return namesOf(decodeText(bytes), emptyLines).toStringList();
}
