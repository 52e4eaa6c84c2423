#pragma once

class FileList;
class QMimeData;

// Files dragged from the desktop onto the list. Drag data is taken when it carries at least one
// local file URL; each local path is appended unchanged, in the data's order, wherever on the
// list it lands (a folder is one entry, not scanned). Other URLs of a mixed drop are left out.
// The list view turns the intake off for good at the first click on an entry.
class DropIntake
{
public:
    explicit DropIntake(FileList &list);

    // For drag-over: false shows the no-drop pointer.
    bool Accepts(const QMimeData *data) const;
    // Appends what Accepts() takes; false, with nothing appended, for anything else.
    bool Drop(const QMimeData *data);

    void TurnOff() { m_on = false; }

private:
    FileList &m_list;
    bool m_on = true;
};
