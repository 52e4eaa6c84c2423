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
        } else if (argument == "--strip-metadata") {
            m_stripMetadata = true;
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

bool CommandLine::TakeOption(const QByteArray &name, const QByteArray &value)
{
    const QString shown = QString::fromUtf8(name);
    if (name != "--jobs" && name != "--extension") {
        Refuse(QStringLiteral("unknown option %1").arg(shown));
        return false;
    }
    if (value.isEmpty()) {
        Refuse(QStringLiteral("%1 needs a value").arg(shown));
        return false;
    }
    if (name == "--extension") {
        m_extension = QString::fromUtf8(value);
        return true;
    }
    bool number = false;
    m_jobs = value.toInt(&number);
    if (!number || m_jobs < 1 || m_jobs > MaxJobs)
        Refuse(QStringLiteral("--jobs takes a number from 1 to %1").arg(MaxJobs));
    return true;
}

void CommandLine::Refuse(const QString &error)
{
    m_action = Action::UsageError;
    m_error = error;
}

QString CommandLine::UsageText()
{
    return QStringLiteral(
        "Usage: quillmere-convert [--jobs N] [--extension EXT] [--strip-metadata] PATH...\n"
        "Converts Photoshop documents to JPEG files beside them: folder/name.psd becomes\n"
        "folder/name.jpg. A file named is converted whatever its extension; a folder is\n"
        "searched, with all its subfolders except hidden ones, for files whose name ends in\n"
        ".EXT, without regard to case (names beginning with ~ are left out). An existing\n"
        "file is never replaced: that file fails as \"already exists\".\n"
        "\n"
        "  --jobs N         convert N files at once (default: one per usable core)\n"
        "  --extension EXT  what folders are searched for, without the dot (default: psd;\n"
        "                   * takes every file, ? any one character)\n"
        "  --strip-metadata write the picture only: no resolution, EXIF, IPTC, XMP or\n"
        "                   colour profile (by default they are kept, made true for the JPEG)\n"
        "  --help           show this text\n"
        "  --version        show the version\n"
        "\n"
        "Each file that fails is one line on standard error, PATH: reason. Exit status: 0\n"
        "when every file converted, 1 when any failed, 2 for a usage error.\n");
}
