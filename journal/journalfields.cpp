#include "journalfields.h"

#include "journal.h"

QStringList drawStartJournalFields(const QString &event, const QString &title,
                                   const std::array<qint32, 4> &quotas, const QString &listPath,
                                   const CandidatePool &list)
{
    QStringList quotaTexts;
    for (qint32 quota : quotas)
        quotaTexts << QString::number(quota);
    // One string, appended in place: a big list has a duplicate for every few names.
    QString duplicates = QStringLiteral("重复=");
    const QList<DuplicateName> found = findDuplicateNames(list);
    for (qsizetype g = 0; g < found.size(); ++g) {
        if (g > 0)
            duplicates += QLatin1Char(';');
        duplicates += escapeJournalField(found[g].name);
        duplicates += QLatin1Char('@');
        for (qsizetype i = 0; i < found[g].lineNumbers.size(); ++i) {
            if (i > 0)
                duplicates += QLatin1Char(',');
            duplicates += QString::number(found[g].lineNumbers[i]);
        }
    }
    return {event,
            QStringLiteral("标题=") + escapeJournalField(title),
            QStringLiteral("名额=") + quotaTexts.join(QLatin1Char(',')),
            QStringLiteral("名单=") + escapeJournalField(listPath),
            QStringLiteral("人数=%1").arg(list.names.size()),
            QStringLiteral("SHA-256=") + QString::fromLatin1(list.sha256),
            duplicates,
            InvisibleCharactersKey + QString::number(list.namesWithInvisibleCharacters)};
}

QStringList winnerJournalFields(PrizeTier tier, const QString &name, qsizetype poolBefore,
                                qsizetype poolAfter, bool typed)
{
    QStringList fields{JournalEvent::Winner, tierRow(tier).logLabel.toString(),
                       escapeJournalField(name), QStringLiteral("抽前=%1").arg(poolBefore),
                       QStringLiteral("抽后=%1").arg(poolAfter)};
    if (typed)
        fields << TypedField;
    return fields;
}
