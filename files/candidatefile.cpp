#include "candidatefile.h"

#include "fileaccess.h"
#include "invisiblecharacters.h"
#include "sha256.h"
#include "textcodec.h"

#include <algorithm>
#include <vector>

namespace {

// The lines of the text as splitLines() cuts them, packed in place over the line ends
// (and the invisible characters, unless kept) so that a big list needs no second copy.
// Only a line with nothing on it is skipped; a line of spaces is a name.
NameList namesOf(QString text, QList<qsizetype> &emptyLines, InvisibleCharacters invisible,
                 qsizetype *namesWithInvisible = nullptr)
{
    const qsizetype size = text.size();
    QChar *data = text.data();
    std::vector<qsizetype> starts;
    starts.reserve(std::size_t(std::count(data, data + size, u'\n') + 1));
    qsizetype packed = 0;
    qsizetype lineStart = 0;
    qsizetype line = 1;
    bool lineHadInvisible = false;
    qsizetype withInvisible = 0;
    const bool remove = invisible == InvisibleCharacters::Removed;
    const auto endLine = [&] {
        withInvisible += lineHadInvisible ? 1 : 0;
        lineHadInvisible = false;
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
            // The line so far is packed already: a joiner looks back at what stays of it.
            if (remove && isInvisibleCharacter(c.unicode()) &&
                !(c == u'\u200D' && joinsEmoji(QStringView(data + lineStart, data + packed),
                                               QStringView(data + i + 1, data + size)))) {
                lineHadInvisible = true;
                continue;
            }
            data[packed++] = c;
            continue;
        }
        endLine();
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
    }
    if (packed > lineStart || lineHadInvisible)
        endLine();
    text.truncate(packed);
    if (namesWithInvisible)
        *namesWithInvisible = withInvisible;
    return NameList(std::move(text), std::move(starts));
}

} // namespace

CandidatePool readCandidatePool(const QString &path, InvisibleCharacters invisible)
{
    CandidatePool pool;
    const QByteArray bytes = readFileBytes(path, pool.result);
    if (pool.result.ok())
        pool.sha256 = sha256Hex(bytes);
    pool.names =
        namesOf(decodeText(bytes), pool.emptyLines, invisible, &pool.namesWithInvisibleCharacters);
    return pool;
}

QList<DuplicateName> findDuplicateNames(const CandidatePool &pool)
{
    return findDuplicateNames(pool.names, pool.emptyLines);
}

QStringList parseCandidateNames(const QByteArray &bytes, InvisibleCharacters invisible)
{
    QList<qsizetype> emptyLines;
    return namesOf(decodeText(bytes), emptyLines, invisible).toStringList();
}
