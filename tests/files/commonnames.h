#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The 3,755 hanzi of GB2312's first level (lead bytes 0xB0-0xD7), taken from the GBK
// codec, so fixtures do not depend on the program's own tables.
QList<QChar> commonHanzi();

// `count` Chinese names drawn as they occur: surnames by their share of the population
// (王 7.1 %, 李 7.0 %, 张 6.7 %, ... the 100 commonest, then a long tail), a few compound
// surnames, and one given character in six names, two in the rest, drawn from the
// characters most used in given names, the commonest first. Many of those are of
// GB2312's second level (琪, 萱, 梓, 睿, 婷, ...). The same seed gives the same names.
QStringList commonChineseNames(qsizetype count, quint32 seed);
