#include "journalfields.h"

#include "journal.h"
#include "sha256.h"

#include <algorithm>

namespace {

// Past this many characters the repeated names are summarised: a list of a million names
// holds hundreds of thousands, and the start line is written at every start and reset.
constexpr qsizetype LongestDuplicatesListing = 4000;

// Every name that stands twice with its lines, or, when that is long, how many names on
// how many lines and the SHA-256 of that listing in UTF-8: the list's own SHA-256 names
// the list, from which anyone can work the listing out again.
QString duplicatesField(const CandidatePool &list)
{
    // One string, appended in place: a big list has a duplicate for every few names.
    QString listing;
    qsizetype lines = 0;
    const QList<DuplicateName> found = findDuplicateNames(list);
    for (qsizetype g = 0; g < found.size(); ++g) {
        if (g > 0)
            listing += QLatin1Char(';');
        listing += escapeJournalField(found[g].name);
        listing += QLatin1Char('@');
        for (qsizetype i = 0; i < found[g].lineNumbers.size(); ++i) {
            if (i > 0)
                listing += QLatin1Char(',');
            listing += QString::number(found[g].lineNumbers[i]);
        }
        lines += found[g].lineNumbers.size();
    }
    if (listing.size() > LongestDuplicatesListing)
        listing = QStringLiteral("%1个名字共%2行,SHA-256:%3")
                      .arg(found.size())
                      .arg(lines)
                      .arg(QString::fromLatin1(sha256Hex(listing.toUtf8())));
    return QStringLiteral("重复=") + listing;
}

} // namespace

QStringList drawStartJournalFields(const QString &event, const QString &title,
                                   const std::array<qint32, 4> &quotas, const QString &listPath,
                                   const CandidatePool &list)
{
    QStringList quotaTexts;
    for (qint32 quota : quotas)
        quotaTexts << QString::number(quota);
    return {event,
            QStringLiteral("标题=") + escapeJournalField(title),
            QStringLiteral("名额=") + quotaTexts.join(QLatin1Char(',')),
            QStringLiteral("名单=") + escapeJournalField(listPath),
            QStringLiteral("人数=%1").arg(list.names.size()),
            QStringLiteral("SHA-256=") + QString::fromLatin1(list.sha256),
            duplicatesField(list),
            InvisibleCharactersKey + QString::number(list.namesWithInvisibleCharacters)};
}

PressPlace pressPlaceOf(const QString &field)
{
    if (!field.startsWith(PressPlaceKey))
        return {};
    const QStringView value = QStringView(field).sliced(PressPlaceKey.size());
    const qsizetype slash = value.indexOf(u'/');
    bool positionOk = false;
    bool countOk = false;
    const qsizetype position = slash > 0 ? value.first(slash).toLongLong(&positionOk) : 0;
    const qsizetype count = slash > 0 ? value.sliced(slash + 1).toLongLong(&countOk) : 0;
    // Digits only: a sign or a space is nothing the program writes.
    const bool digits = std::all_of(value.begin(), value.end(),
                                    [](QChar c) { return c == u'/' || (c >= u'0' && c <= u'9'); });
    if (!positionOk || !countOk || !digits || count < 2 || position < 1 || position > count)
        return {};
    return {position, count};
}

QStringList winnerJournalFields(PrizeTier tier, const QString &name, qsizetype poolBefore,
                                qsizetype poolAfter, bool typed, PressPlace press)
{
    QStringList fields{JournalEvent::Winner, tierRow(tier).logLabel.toString(),
                       escapeJournalField(name), QStringLiteral("抽前=%1").arg(poolBefore),
                       QStringLiteral("抽后=%1").arg(poolAfter)};
    if (typed)
        fields << TypedField;
    else if (press.count > 1)
        fields << PressPlaceKey + QStringLiteral("%1/%2").arg(press.position).arg(press.count);
    return fields;
}
