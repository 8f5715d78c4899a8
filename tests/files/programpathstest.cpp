#include "programpaths.h"
#include "testsuites.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>

class ProgramPathsTest : public QObject {
    Q_OBJECT

private slots:
    void joinsDirectoryAndFileName_data();
    void joinsDirectoryAndFileName();
    void programDirectoryHoldsTheExecutable();
};

void ProgramPathsTest::joinsDirectoryAndFileName_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("writer");

    QTest::newRow("drive root: reader adds nothing, writer doubles the backslash")
        << "C:\\" << QChar(u'\\') << "C:\\bt.txt"
        << "C:\\\\bt.txt";
    QTest::newRow("folder on a drive: both insert one backslash")
        << "C:\\draw" << QChar(u'\\') << "C:\\draw\\bt.txt"
        << "C:\\draw\\bt.txt";
    QTest::newRow("unix root: reader adds nothing, writer doubles the slash")
        << "/" << QChar(u'/') << "/bt.txt"
        << "//bt.txt";
    QTest::newRow("unix folder: both insert one slash")
        << "/opt/draw" << QChar(u'/') << "/opt/draw/bt.txt"
        << "/opt/draw/bt.txt";
}

void ProgramPathsTest::joinsDirectoryAndFileName()
{
    QFETCH(QString, directory);
    QFETCH(QChar, separator);
    QFETCH(QString, reader);
    QFETCH(QString, writer);

    QCOMPARE(readerPath(directory, SettingsFileName, separator), reader);
    QCOMPARE(writerPath(directory, SettingsFileName, separator), writer);
}

void ProgramPathsTest::programDirectoryHoldsTheExecutable()
{
    QVERIFY(programDirectory());
    const QString directory = *programDirectory();
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();

    QVERIFY(QFileInfo(directory).isAbsolute());
    QVERIFY(!directory.endsWith(nativeSeparator()) || QFileInfo(directory).isRoot());
    QVERIFY(QFileInfo::exists(readerPath(directory, executable, nativeSeparator())));
}

int runProgramPathsTest(int argc, char *argv[])
{
    ProgramPathsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "programpathstest.moc"
