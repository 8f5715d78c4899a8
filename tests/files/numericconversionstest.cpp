#include "numericconversions.h"
#include "testsuites.h"

#include <QTest>

#include <cmath>

class NumericConversionsTest : public QObject {
    Q_OBJECT

private slots:
    void convertsQuotaLines_data();
    void convertsQuotaLines();
    void readsTheNumberAtTheStart_data();
    void readsTheNumberAtTheStart();
};

void NumericConversionsTest::convertsQuotaLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("display");
    QTest::addColumn<qint32>("quota");

    const qint32 max = 2147483647;
    const qint32 min = -2147483647 - 1;
    QTest::newRow("leading zeros go: '007'") << "007"
                                             << "7" << 7;
    QTest::newRow("spaces around: ' 12 '") << " 12 "
                                           << "12" << 12;
    QTest::newRow("space inside: '1 2' is 12") << "1 2"
                                               << "12" << 12;
    QTest::newRow("tabs are dropped") << "\t3\t0"
                                      << "30" << 30;
    QTest::newRow("text after the number: '3名'") << "3名"
                                                  << "3" << 3;
    QTest::newRow("letters only give 0") << "abc"
                                         << "0" << 0;
    QTest::newRow("empty line gives 0") << ""
                                        << "0" << 0;
    QTest::newRow("'NaN' is not a number") << "NaN"
                                           << "0" << 0;
    QTest::newRow("'Infinity' is not a number") << "Infinity"
                                                << "0" << 0;
    QTest::newRow("full-width digits are not digits") << "１２"
                                                      << "0" << 0;
    QTest::newRow("comma stops the number: '1,000'") << "1,000"
                                                     << "1" << 1;
    QTest::newRow("quota line '2.5' rounds to even") << "2.5"
                                                     << "2.5" << 2;
    QTest::newRow("quota line '3.5' rounds to even") << "3.5"
                                                     << "3.5" << 4;
    QTest::newRow("quota line '-2.5' rounds to even") << "-2.5"
                                                      << "-2.5" << -2;
    QTest::newRow("quota line '0.5' rounds to 0") << "0.5"
                                                  << "0.5" << 0;
    QTest::newRow("quota line '2.6' rounds up") << "2.6"
                                                << "2.6" << 3;
    QTest::newRow("negative quota '-1'") << "-1"
                                         << "-1" << -1;
    QTest::newRow("plus sign") << "+5"
                               << "5" << 5;
    QTest::newRow("sign apart from digits") << "- 5"
                                            << "-5" << -5;
    QTest::newRow("lone sign") << "-"
                               << "0" << 0;
    QTest::newRow("'-0' shows without sign") << "-0"
                                             << "0" << 0;
    QTest::newRow("point first: '.5'") << ".5"
                                       << "0.5" << 0;
    QTest::newRow("point last: '5.'") << "5."
                                      << "5" << 5;
    QTest::newRow("exponent: '2.5e1'") << "2.5e1"
                                       << "25" << 25;
    QTest::newRow("exponent without digits stops: '1e'") << "1e"
                                                         << "1" << 1;
    QTest::newRow("exponent sign without digits stops: '1E+'") << "1E+"
                                                               << "1" << 1;
    QTest::newRow("hex: '&H1F'") << "&H1F"
                                 << "31" << 31;
    QTest::newRow("hex lower case: '&hff'") << "&hff"
                                            << "255" << 255;
    QTest::newRow("hex with a space: '&H 1F'") << "&H 1F"
                                               << "31" << 31;
    QTest::newRow("octal: '&O17'") << "&O17"
                                   << "15" << 15;
    QTest::newRow("octal stops at 8: '&o78'") << "&o78"
                                              << "7" << 7;
    QTest::newRow("prefix without digits: '&H'") << "&H"
                                                 << "0" << 0;
    QTest::newRow("ampersand without prefix: '&12'") << "&12"
                                                     << "0" << 0;
    QTest::newRow("'&HFFFFFFFF' is positive and clamps") << "&HFFFFFFFF"
                                                         << "4294967295" << max;
    QTest::newRow("'1e10' clamps to the largest quota") << "1e10"
                                                        << "10000000000" << max;
    QTest::newRow("'-1e10' clamps to the smallest quota") << "-1e10"
                                                          << "-10000000000" << min;
    QTest::newRow("'9999999999' clamps") << "9999999999"
                                         << "9999999999" << max;
    QTest::newRow("largest quota itself") << "2147483647"
                                          << "2147483647" << max;
    QTest::newRow("one past the largest quota") << "2147483648"
                                                << "2147483648" << max;
    QTest::newRow("smallest quota itself") << "-2147483648"
                                           << "-2147483648" << min;
    QTest::newRow("huge value shows with exponent") << "1E+20"
                                                    << "1E+20" << max;
    QTest::newRow("beyond the double range clamps") << "1e400"
                                                    << "1.79769313486232E+308" << max;
    QTest::newRow("beyond the double range, negative") << "-1e400"
                                                       << "-1.79769313486232E+308" << min;
    QTest::newRow("very long exponent") << "1e99999999999999999999"
                                        << "1.79769313486232E+308" << max;
    QTest::newRow("too small for a double is 0") << "1e-400"
                                                 << "0" << 0;
    QTest::newRow("many hex digits clamp")
        << "&H" + QString(300, u'F') << "1.79769313486232E+308" << max;
    QTest::newRow("15 significant digits shown") << "1.23456789012345678"
                                                 << "1.23456789012346" << 1;
    QTest::newRow("quota rounds the shown value, not the raw one") << "3.4999999999999996"
                                                                   << "3.5" << 4;
}

void NumericConversionsTest::convertsQuotaLines()
{
    QFETCH(QString, line);
    QFETCH(QString, display);
    QFETCH(qint32, quota);

    QCOMPARE(displayNumber(line), display);
    QCOMPARE(quotaValue(line), quota);
}

void NumericConversionsTest::readsTheNumberAtTheStart_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<double>("value");

    QTest::newRow("fraction kept") << "0.125" << 0.125;
    QTest::newRow("negative exponent") << "25e-2" << 0.25;
    QTest::newRow("line feed inside the number is dropped") << "1\n5" << 15.0;
    QTest::newRow("octal is never negative") << "&O37777777777" << 4294967295.0;
    QTest::newRow("beyond the range is the largest double")
        << "-1" + QString(400, u'0') << -1.7976931348623157e308;
    QTest::newRow("point and exponent without digits") << ".e5" << 0.0;
}

void NumericConversionsTest::readsTheNumberAtTheStart()
{
    QFETCH(QString, line);
    QFETCH(double, value);

    const double actual = numericValue(line);
    QVERIFY(std::isfinite(actual));
    QCOMPARE(actual, value);
}

int runNumericConversionsTest(int argc, char *argv[])
{
    NumericConversionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "numericconversionstest.moc"
