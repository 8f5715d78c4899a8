#include "candidatefile.h"

#include "fileaccess.h"
#include "textcodec.h"

#include <QCryptographicHash>
#include <QHash>

namespace {

void dropEmptyLines(QStringList &lines)
{
    // Only a line with nothing on it is skipped; a line of spaces is a name.
    lines.removeIf([](const QString &line) { return line.isEmpty(); });
}

QList<DuplicateName> findDuplicates(const QStringList &lines)
{
    QHash<QString, qsizetype> firstLine;
    firstLine.reserve(lines.size());
    QHash<QString, qsizetype> duplicateIndex;
    QList<DuplicateName> duplicates;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &name = lines[i];
        if (name.isEmpty())
            continue;
        const auto first = firstLine.constFind(name);
        if (first == firstLine.cend()) {
            firstLine.insert(name, i + 1);
            continue;
        }
        auto known = duplicateIndex.constFind(name);
        if (known == duplicateIndex.cend()) {
            known = duplicateIndex.insert(name, duplicates.size());
            duplicates.append({name, {first.value()}});
        }
        duplicates[known.value()].lineNumbers.append(i + 1);
    }
    return duplicates;
}

} // namespace

QStringList parseCandidateNames(const QByteArray &bytes)
{
    QStringList names = splitLines(decodeText(bytes));
    dropEmptyLines(names);
    return names;
}

CandidateList readCandidateFile(const QString &path)
{
    CandidateList list;
    const QByteArray bytes = readFileBytes(path, list.result);
    if (list.result.ok())
        list.sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    QStringList lines = splitLines(decodeText(bytes));
    list.duplicates = findDuplicates(lines);
    dropEmptyLines(lines);
    list.names = std::move(lines);
    return list;
}
