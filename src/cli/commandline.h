#pragma once

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
    const QByteArrayList &Paths() const { return m_paths; }

    static QString UsageText();

private:
    bool TakeOption(const QByteArray &name, const QByteArray &value);
    void Refuse(const QString &error);

    Action m_action = Action::Convert;
    QString m_error;
    int m_jobs = 0;
    QString m_extension = QStringLiteral("psd");
    bool m_stripMetadata = false;
    QByteArrayList m_paths;
};
