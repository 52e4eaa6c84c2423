#include "scan/matchingfiles.h"

#include "scan/folderreader.h"
#include "scan/listedname.h"
#include "scan/wildcard.h"

#include <QStringDecoder>

#include <algorithm>

namespace
{

// Where one name lies in the listing's buffers.
struct Place {
    qsizetype bytesAt, bytesSize, textAt, textSize;
};

// Appends the name's text to texts, as QString::fromUtf8 reads it.
QStringView AppendText(QStringDecoder &decoder, QString &texts, QByteArrayView name)
{
    const qsizetype at = texts.size();
    texts.resize(at + decoder.requiredSpace(name.size()));
    const QChar *end = decoder.appendToBuffer(texts.data() + at, name);
    texts.truncate(end - texts.constData());
    return QStringView(texts).sliced(at);
}

} // namespace

// A folder's names and their texts are kept in a buffer each, so that a file found costs the
// allocation of its path and nothing more: an allocation or two for every name came to a good
// part of the scan's time.
QByteArrayList ListMatchingFiles(const QByteArray &folder, const QString &pattern)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QByteArray bytes;
    QString texts;
    QList<Place> matches;
    FolderReader reader(folder);
    while (reader.Next()) {
        if (reader.IsSelfOrParent())
            continue;
        const QByteArrayView name = reader.Name();
        const qsizetype textAt = texts.size();
        const QStringView text = AppendText(decoder, texts, name);
        if (!MatchesWildcard(pattern, text) || reader.KindOf() != FolderReader::Kind::File) {
            texts.truncate(textAt);
            continue;
        }
        matches.append({bytes.size(), name.size(), textAt, text.size()});
        bytes += name;
    }
    const auto bytesOf = [&](const Place &place) {
        return QByteArrayView(bytes).sliced(place.bytesAt, place.bytesSize);
    };
    const auto textOf = [&](const Place &place) {
        return QStringView(texts).sliced(place.textAt, place.textSize);
    };
    std::sort(matches.begin(), matches.end(), [&](const Place &a, const Place &b) {
        return ListedName::Before(textOf(a), bytesOf(a), textOf(b), bytesOf(b));
    });
    QByteArrayList paths;
    paths.reserve(matches.size());
    for (const Place &place : std::as_const(matches)) {
        QByteArray path;
        path.reserve(folder.size() + place.bytesSize);
        paths.append(path.append(folder).append(bytesOf(place)));
    }
    return paths;
}
