#include "cli/commandline.h"

namespace
{

// More workers than this only queue for the same cores and memory.
constexpr int MaxJobs = 256;

} // namespace

CommandLine::CommandLine(const QByteArrayList &arguments)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size() && m_action != Action::UsageError; ++i) {
        const QByteArray &argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            m_paths.append(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            m_action = Action::Help;
            return;
        } else if (argument == "--version") {
            m_action = Action::Version;
            return;
        } else if (TakeFlag(argument)) {
        } else if (const qsizetype equals = argument.indexOf('='); equals > 0) {
            TakeOption(argument.left(equals), argument.mid(equals + 1));
        } else if (i + 1 < arguments.size()) {
            if (TakeOption(argument, arguments[i + 1]))
                ++i;
        } else {
            TakeOption(argument, QByteArray());
        }
    }
    if (m_action == Action::Convert && m_paths.isEmpty())
        Refuse(QStringLiteral("no PATH given"));
}

bool CommandLine::TakeFlag(const QByteArray &argument)
{
    bool *const flag = argument == "--strip-metadata" ? &m_stripMetadata
                       : argument == "--update"       ? &m_update
                       : argument == "--dry-run"      ? &m_dryRun
                                                      : nullptr;
    if (flag != nullptr)
        *flag = true;
    return flag != nullptr;
}

bool CommandLine::TakeOption(const QByteArray &name, const QByteArray &value)
{
    const QString shown = QString::fromUtf8(name);
    static const QByteArrayList known{"--jobs", "--extension", "--output", "-o", "--quality"};
    if (!known.contains(name)) {
        Refuse(QStringLiteral("unknown option %1").arg(shown));
        return false;
    }
    if (value.isEmpty()) {
        Refuse(QStringLiteral("%1 needs a value").arg(shown));
        return false;
    }
    if (name == "--extension")
        m_extension = QString::fromUtf8(value);
    else if (name == "--output" || name == "-o")
        m_output = value;
    else if (name == "--quality")
        TakeNumber(name, value, wire::MaxQuality, m_quality);
    else
        TakeNumber(name, value, MaxJobs, m_jobs);
    return true;
}

void CommandLine::TakeNumber(const QByteArray &name, const QByteArray &value, int most, int &number)
{
    bool isNumber = false;
    number = value.toInt(&isNumber);
    if (!isNumber || number < 1 || number > most)
        Refuse(QStringLiteral("%1 takes a number from 1 to %2")
                   .arg(QString::fromUtf8(name))
                   .arg(most));
}

void CommandLine::Refuse(const QString &error)
{
    m_action = Action::UsageError;
    m_error = error;
}

QString CommandLine::UsageText()
{
    return QStringLiteral(
        "Usage: quillmere-convert [OPTION]... PATH...\n"
        "Converts Photoshop documents to JPEG files beside them: folder/name.psd becomes\n"
        "folder/name.jpg. A file named is converted whatever its extension; a folder is\n"
        "searched, with all its subfolders except hidden ones, for files whose name ends in\n"
        ".EXT, without regard to case (names beginning with ~ are left out). An existing\n"
        "file is never replaced: that file fails as \"already exists\".\n"
        "\n"
        "  -o, --output DIR  put the JPEG files below DIR instead, at each file's path below\n"
        "                    the folder named (-o web scans: scans/2019/a.psd becomes\n"
        "                    web/2019/a.jpg); a file named goes straight into DIR\n"
        "  --update          replace a JPEG file older than its document; one as new is\n"
        "                    left alone and counted as up to date\n"
        "  --quality N       JPEG quality from 1 to 100 (default: 99)\n"
        "  --dry-run         list each file, its JPEG file and what would become of it,\n"
        "                    on standard output; nothing is written\n"
        "  --jobs N          convert N files at once (default: one per usable core)\n"
        "  --extension EXT   what folders are searched for, without the dot (default:\n"
        "                    psd,psb; commas part several, * takes every file, ? any one\n"
        "                    character)\n"
        "  --strip-metadata  write the picture only: no resolution, EXIF, IPTC, XMP or\n"
        "                    colour profile (by default they are kept, made true for the JPEG)\n"
        "  --help            show this text\n"
        "  --version         show the version\n"
        "\n"
        "Each file that fails is one line on standard error, PATH: reason. Exit status: 0\n"
        "when every file converted or was up to date, 1 when any failed, 2 for a usage\n"
        "error.\n");
}
