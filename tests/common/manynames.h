#pragma once

#include <QString>
#include <QStringList>

// A list of `count` names like a big company's: Chinese names of two to four characters,
// Latin names in several letter cases, and every name standing many times. The same
// count always gives the same list.
inline QStringList manyNames(qsizetype count)
{
    static const QString surnames = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗");
    static const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂");
    static const QStringList latin{QStringLiteral("Anna Lee"), QStringLiteral("ANNA LEE"),
                                   QStringLiteral("anna leeson"), QStringLiteral("Bob Stone"),
                                   QStringLiteral("bob stone")};
    QStringList names;
    names.reserve(count);
    quint64 x = 88172645463325252ULL; // xorshift: fast, and the same on every platform
    const auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return x;
    };
    for (qsizetype i = 0; i < count; ++i) {
        const quint64 r = next();
        if (r % 50 == 0) {
            names.append(latin.at(qsizetype((r >> 8) % quint64(latin.size()))));
            continue;
        }
        QString name =
            r % 50 == 1 ? QStringLiteral("欧阳") : QString(surnames.at(qsizetype((r >> 8) % 20)));
        name += given.at(qsizetype((r >> 16) % 22));
        if ((r >> 24) % 4 != 0)
            name += given.at(qsizetype((r >> 32) % 22));
        names.append(name);
    }
    return names;
}
