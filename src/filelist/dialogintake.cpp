#include "dialogintake.h"

#include "filechooser.h"
#include "filelist.h"

DialogIntake::DialogIntake(FileList &list, FileChooser &chooser) : m_list(list), m_chooser(chooser)
{
}

void DialogIntake::Run()
{
    m_list.AppendPaths(m_chooser.ChooseFiles(Title, Filter));
}
