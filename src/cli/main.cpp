// quillmere-convert: the batch conversion without a window, for scripts and servers.
#include "cli/batchconversion.h"
#include "cli/commandline.h"
#include "scan/argumententries.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    BatchConversion::HoldInterrupts();
    QCoreApplication app(argc, argv);
    const CommandLine line(ArgumentBytes(argc, argv));
    switch (line.Requested()) {
    case CommandLine::Action::Help:
        std::fputs(qPrintable(CommandLine::UsageText()), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("quillmere-convert %s\n", QUILLMERE_VERSION);
        return 0;
    case CommandLine::Action::UsageError:
        std::fprintf(stderr, "quillmere-convert: %s\n%s", qPrintable(line.Error()),
                     qPrintable(CommandLine::UsageText()));
        return 2;
    case CommandLine::Action::Convert:
        break;
    }
    return BatchConversion(line).Run();
}
