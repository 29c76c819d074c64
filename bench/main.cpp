// corvana_bench: writes a file at the program's largest data and measures the
// program on it, each figure beside its floor (raw SQLite, a bare Qt window)
// measured in the same run on the same file.
//
//   corvana_bench generate FILE
//   corvana_bench run [--file FILE] [--runs N] [--json OUT]
#include "Generator.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList a;
        for (int i = 0; i < argc; ++i)
            a << QString::fromLocal8Bit(argv[i]);
        return a;
    }();
    if (args.size() == 3 && args[1] == QLatin1String("generate")) {
        QCoreApplication app(argc, argv);
        if (QFileInfo::exists(args[2])) {
            std::fprintf(stderr, "%s exists already.\n", qPrintable(args[2]));
            return 1;
        }
        const Status s = Generator::generate(args[2]);
        if (!s) {
            std::fprintf(stderr, "%s\n", qPrintable(s.message()));
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "usage: corvana_bench generate FILE\n");
    return 2;
}
