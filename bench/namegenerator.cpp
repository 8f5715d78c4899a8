#include "namegenerator.h"

#include "textcodec.h"

#include <QDir>
#include <QFile>

#include <random>

namespace {

// Common single-character surnames, then a few compound ones; all in GB2312.
const QString Surnames = QStringLiteral(
    "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜"
    "叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎"
    "贺顾毛郝龚邵万钱严覃武戴莫孔向汤");
const QStringList CompoundSurnames{QStringLiteral("欧阳"), QStringLiteral("司马"),
                                   QStringLiteral("诸葛"), QStringLiteral("上官"),
                                   QStringLiteral("东方"), QStringLiteral("慕容")};
const QString GivenCharacters = QStringLiteral(
    "伟芳娜秀敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂英华玉萍红建文辉力国春飞鹏宇浩凯健俊"
    "帆帅旭宁晨阳欣怡佳琪子涵梓轩雨萱思源博文皓然一诺依诺雅婷晓东海波云峰志刚立新嘉怡"
    "诗琪梦瑶佳慧家豪子墨宇航天翊昊天俊杰泽宇明轩欣然婉清若曦语桐");
const QStringList LatinFirst{QStringLiteral("Anna"),  QStringLiteral("David"),
                             QStringLiteral("Maria"), QStringLiteral("James"),
                             QStringLiteral("Sofia"), QStringLiteral("Lukas"),
                             QStringLiteral("Emma"),  QStringLiteral("Noah"),
                             QStringLiteral("Chloe"), QStringLiteral("Oliver")};
const QStringList LatinLast{QStringLiteral("Smith"), QStringLiteral("Müller"),
                            QStringLiteral("Wang"),  QStringLiteral("Garcia"),
                            QStringLiteral("Chen"),  QStringLiteral("Dubois"),
                            QStringLiteral("Rossi"), QStringLiteral("Kim")};

class NameSource {
public:
    explicit NameSource(qsizetype count) : generator_(quint32(count)) {}

    QString next(const QStringList &earlier)
    {
        const int roll = percent();
        if (roll < 2 && !earlier.isEmpty()) // the same person entered twice
            return earlier.at(index(earlier.size()));
        if (roll < 5)
            return pick(LatinFirst) + QLatin1Char(' ') + pick(LatinLast);
        QString name = roll < 8 ? pick(CompoundSurnames) : QString(pick(Surnames));
        // Mostly two given characters, a quarter of the people just one.
        const int given = percent() < 25 ? 1 : 2;
        for (int i = 0; i < given; ++i)
            name += pick(GivenCharacters);
        return name;
    }

private:
    int percent() { return int(index(100)); }
    qsizetype index(qsizetype size)
    {
        return std::uniform_int_distribution<qsizetype>(0, size - 1)(generator_);
    }
    QChar pick(const QString &characters) { return characters.at(index(characters.size())); }
    const QString &pick(const QStringList &names) { return names.at(index(names.size())); }

    std::mt19937_64 generator_;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

QStringList generateNames(qsizetype count)
{
    NameSource source(count);
    QStringList names;
    names.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        names.append(source.next(names));
    return names;
}

QByteArray candidateFileBytes(const QStringList &names)
{
    QString text;
    for (const QString &name : names) {
        text += name;
        text += QLatin1String("\r\n");
    }
    return encodeText(text);
}

QByteArray utf8CandidateFileBytes(const QStringList &names)
{
    return (names.join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toUtf8();
}

QByteArray settingsFileBytes()
{
    return encodeText(QStringLiteral("公司年会抽奖\r\n100000\r\n100000\r\n100000\r\n100000\r\n"));
}

bool writeProgramFiles(const QString &directory, qsizetype count)
{
    const QDir dir(directory);
    return writeFile(dir.filePath(QStringLiteral("bt.txt")), settingsFileBytes()) &&
           writeFile(dir.filePath(QStringLiteral("cjk.txt")),
                     candidateFileBytes(generateNames(count)));
}
