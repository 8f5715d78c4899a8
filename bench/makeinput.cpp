// Writes a program directory's bt.txt and a cjk.txt of COUNT generated names:
//   bench_input DIR COUNT
#include "namegenerator.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIR COUNT\n", argv[0]);
        return EXIT_FAILURE;
    }
    const qsizetype count = QByteArray(argv[2]).toLongLong();
    if (!writeProgramFiles(QString::fromLocal8Bit(argv[1]), count)) {
        std::fprintf(stderr, "cannot write bt.txt and cjk.txt into %s\n", argv[1]);
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
