#pragma once

#include <QString>

// Why the workbook file at `path` is not whole: a zip member that does not
// inflate to its recorded size and checksum, or an XML part that is not
// well-formed (an empty one included); empty when every part is sound.
QString WorkbookFileProblem(const QString &path);

// While one lives, what the workbook library prints on standard error goes
// nowhere: its failures reach the user as the program's own message.
class QuietLibraryOutput
{
public:
    QuietLibraryOutput();
    ~QuietLibraryOutput();
    QuietLibraryOutput(const QuietLibraryOutput &) = delete;
    QuietLibraryOutput &operator=(const QuietLibraryOutput &) = delete;

private:
    int m_saved = -1;
};
