// quillmere-bench: measures the conversion run and the folder scan through the real code.
//   quillmere-bench [--baseline] [--workers N] [--strip-metadata] DIR
//   quillmere-bench --scan ANSWER DIR
//   quillmere-bench --scan-tree N DIR
//   quillmere-bench --make-large DIR
#include "convertbench.h"
#include "largefiles.h"
#include "scan/argumententries.h"
#include "scanbench.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args.first() == QLatin1String("--make-large"))
        return MakeLargeFiles(args);
    if (!args.isEmpty() && args.first().startsWith(QLatin1String("--scan")))
        return RunScanBench(ArgumentBytes(argc, argv)); // names as bytes
    return RunConvertBench(args);
}
