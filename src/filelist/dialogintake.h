#pragma once

#include <QLatin1StringView>

class FileChooser;
class FileList;

// "Add PSD File(s)": every path chosen in the dialog is appended, in the dialog's order, with
// no check of any kind; a cancelled dialog appends nothing.
class DialogIntake
{
public:
    static constexpr QLatin1StringView Title{
        "Add File(s) - Hold Ctrl or Shift to select multiple files"};
    static constexpr QLatin1StringView Filter{"Photoshop Files (*.psd)"};

    DialogIntake(FileList &list, FileChooser &chooser);

    void Run();

private:
    FileList &m_list;
    FileChooser &m_chooser;
};
