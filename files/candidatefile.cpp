#include "candidatefile.h"

#include "fileaccess.h"
#include "textcodec.h"

QStringList parseCandidateNames(const QByteArray &bytes)
{
    QStringList names = splitLines(decodeText(bytes));
    // Only a line with nothing on it is skipped; a line of spaces is a name.
    names.removeIf([](const QString &line) { return line.isEmpty(); });
    return names;
}

CandidateList readCandidateFile(const QString &path)
{
    CandidateList list;
    const QByteArray bytes = readFileBytes(path, list.result);
    list.names = parseCandidateNames(bytes);
    return list;
}
