#pragma once

#include <QString>
#include <QStringList>

// The window's multi-select file-open dialog, behind a seam so tests can answer it.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // Modal; full paths in the dialog's order, none on cancel.
    virtual QStringList ChooseFiles(const QString &title, const QString &filter) = 0;
};
