#include "cli/dryrun.h"

#include "run/closingmessage.h"
#include "run/runreport.h"
#include "shared/protocol/targetcheck.h"

#include <QSet>

namespace
{

// What the run would make of one source, where the targets in made are taken by earlier ones.
EntryResult Foreseen(const QByteArray &source, const QByteArray &target, bool update,
                     const QSet<QByteArray> &made)
{
    EntryResult entry{source, target, wire::Status::Ok, {}};
    if (target.isEmpty()) {
        entry.status = wire::Status::Unreadable;
        entry.detail = QStringLiteral("its folder is gone");
    } else if (made.contains(target)) {
        entry.status = wire::Status::AlreadyExists;
        entry.detail = QStringLiteral("made from an earlier file of this run");
    } else if (const Result<Placement> placement =
                   PlacementAt(target.toStdString(), source.toStdString(), update);
               !placement) {
        entry.status = placement.Why().status;
        entry.detail = QString::fromStdString(placement.Why().detail);
    }
    return entry;
}

} // namespace

int ListDryRun(const QByteArrayList &sources, const TargetRule &rule, bool update, std::FILE *out)
{
    QSet<QByteArray> made;
    bool anyFails = false;
    for (const QByteArray &source : sources) {
        EntryResult entry = Foreseen(source, rule(source), update, made);
        const bool converts = entry.status == wire::Status::Ok;
        if (converts)
            made.insert(entry.target);
        anyFails = anyFails || !Succeeded(entry.status);
        // The target goes after the source, before what would become of it.
        entry.source += " -> " + entry.target;
        QByteArray line = FailureLine(entry);
        if (converts)
            line += "convert";
        std::fwrite(line.constData(), 1, std::size_t(line.size()), out);
        std::fputc('\n', out);
    }
    return anyFails ? 1 : 0;
}
