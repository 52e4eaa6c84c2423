#pragma once

#include "scan/argumententries.h"
#include "shared/protocol/wireformat.h"

#include <QByteArrayList>
#include <QString>

// What quillmere-convert was asked to do. Paths stay the bytes they were given as; options may
// come before, between or after them, "--" ends the options.
class CommandLine
{
public:
    enum class Action { Convert, Help, Version, UsageError };

    // The arguments after the program's name.
    explicit CommandLine(const QByteArrayList &arguments);

    Action Requested() const { return m_action; }
    // Why the arguments were refused, for a usage error.
    const QString &Error() const { return m_error; }
    // Workers at once; 0 for the default, one per usable core.
    int Jobs() const { return m_jobs; }
    const QString &Extension() const { return m_extension; }
    bool StripMetadata() const { return m_stripMetadata; }
    // Where the JPEG files go, as given; empty for beside their sources.
    const QByteArray &Output() const { return m_output; }
    bool Update() const { return m_update; }
    int Quality() const { return m_quality; }
    bool DryRun() const { return m_dryRun; }
    const QByteArrayList &Paths() const { return m_paths; }

    static QString UsageText();

private:
    bool TakeFlag(const QByteArray &argument);
    bool TakeOption(const QByteArray &name, const QByteArray &value);
    void TakeNumber(const QByteArray &name, const QByteArray &value, int most, int &number);
    void Refuse(const QString &error);

    Action m_action = Action::Convert;
    QString m_error;
    int m_jobs = 0;
    QString m_extension = DefaultArgumentExtension;
    bool m_stripMetadata = false;
    QByteArray m_output;
    bool m_update = false;
    int m_quality = wire::DefaultQuality;
    bool m_dryRun = false;
    QByteArrayList m_paths;
};
