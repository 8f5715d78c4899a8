#include <QCoreApplication>
#include <QTest>

int runJournalReadTest(int argc, char *argv[]);
int runJournalWriteTest(int argc, char *argv[]);

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return runJournalReadTest(argc, argv) | runJournalWriteTest(argc, argv);
}
