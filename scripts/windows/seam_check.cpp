// The Windows side of the system layer, run under Wine by seam-check.sh:
// file identity, reads at an offset, folders and names, regular files and
// staged output files. Built against Qt Core
// alone, so it runs as soon as deps.sh has built Qt Core.
#include "app/FolderSystem.h"
#include "app/Folders.h"
#include "app/RegularFile.h"
#include "cli/CliConsole.h"
#include "returns/StagedFile.h"
#include "sources/FileIdentity.h"
#include "sources/PositionalRead.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// Progress.cpp's, which this check does not build.
static std::atomic<bool> cancelled{false};
void RequestCancel()
{
    cancelled = true;
}
bool CancelRequested()
{
    return cancelled;
}

static QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(cannot be read)");
}

static int failures = 0;
static void check(bool ok, const char *what)
{
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    failures += !ok;
}

// Ctrl+C once, or twice, on a console: prints "cancel 1" after the first;
// the process must then end with status 130 either way.
static int consoleCheck(bool twice)
{
    CatchInterrupt();
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    Sleep(500);
    std::printf("cancel %d\n", int(CancelRequested()));
    std::fflush(stdout);
    if (twice) {
        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
        Sleep(2000);
        std::printf("alive after the second\n");
    }
    DefaultInterrupt();
    std::printf("alive after DefaultInterrupt\n");
    return 0;
}

int main(int argc, char **argv)
{
    if (argc > 1)
        return consoleCheck(argc > 2);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.dbf");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("0123456789");
    }
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const FileIdentity opened = IdentityOfOpenFile(f.handle());
    check(opened.isValid() && opened.size == 10, "identity of an open file, with its size");
    check(IdentityOfPath(path) == opened, "the path names the same file in the same state");
    check(FileUnchanged(opened, path), "unchanged");
    // Through the C runtime's descriptor itself: QFile's buffer would hide a moved position.
    const int fd = _open(qPrintable(path), _O_RDONLY | _O_BINARY);
    char a[3] = {}, b[5] = {}, c[3] = {};
    _read(fd, a, 2);
    const qint64 n = ReadAt(fd, b, 4, 4);
    _read(fd, c, 2);
    check(n == 4 && !std::strcmp(a, "01") && !std::strcmp(b, "4567") && !std::strcmp(c, "23"),
          "a read at an offset leaves the file's position");
    check(ReadAt(fd, b, 4, 100) == 0, "a read past the end reads nothing");
    _close(fd);
    {
        QFile w(path);
        w.open(QIODevice::Append);
        w.write("x");
    }
    check(!FileUnchanged(opened, path), "a write shows");
    const QString other = dir.filePath("u.dbf");
    {
        QFile w(other);
        w.open(QIODevice::WriteOnly);
        w.write("0123456789");
    }
    check(IdentityOfPath(other).inode != opened.inode, "another file has another index");
    check(!IdentityOfPath(dir.filePath("missing")).isValid(), "a missing file has no identity");

    check(MakeOneFolder(dir.filePath("a")).isEmpty(), "a folder is made");
    check(MakeOneFolder(dir.filePath("a")).isEmpty(), "an existing folder is fine");
    const QString why = MakeOneFolder(dir.filePath("nothere/b"));
    std::printf("     missing parent: %s\n", qPrintable(why));
    check(!why.isEmpty(), "a folder without its parent is refused with the system's words");
    QString error;
    check(CreateFolder(dir.filePath("x/y/z"), &error) && QDir(dir.filePath("x/y/z")).exists(), "CreateFolder nests");
    check(WriteProblem(path).isEmpty(), "a writable file");
    check(WriteProblem(dir.filePath("new.xml")).isEmpty(), "a new file in a writable folder");
    QFile::setPermissions(other, QFile::ReadOwner);
    const QString ro = WriteProblem(other);
    std::printf("     read-only: %s\n", qPrintable(ro));
    check(!ro.isEmpty(), "a read-only file cannot be written");
    const QString nofolder = WriteProblem(dir.filePath("none/new.xml"));
    std::printf("     no folder: %s\n", qPrintable(nofolder));
    check(!nofolder.isEmpty(), "a file in a missing folder cannot be written");
    std::printf("     %s\n", qPrintable(FolderNameProblem("company code", "con.txt")));
    check(!FolderNameProblem("company code", "con.txt").isEmpty()
              && FolderNameProblem("company code", "CONSOLE").isEmpty(),
          "device names");

    QFile opened2;
    check(OpenRegularFile(&opened2, path, &error) && opened2.readAll().startsWith("0123"), "a regular file opens");
    opened2.close();
    for (const QString &name : {dir.filePath("COM1.dbf"), dir.filePath("nul"), dir.path()}) {
        check(!OpenRegularFile(&opened2, name, &error) && error.endsWith("is not a regular file"),
              qPrintable("refused: " + name));
    }
    check(!OpenRegularFile(&opened2, dir.filePath("missing.dbf"), &error)
              && error.endsWith("No such file or directory"),
          "a missing file, in the system's words");

    const QString final = dir.filePath("r.xml");
    {
        QFile old(final);
        old.open(QIODevice::WriteOnly);
        old.write("old");
    }
    {
        StagedFile staged(final);
        check(staged.create(&error) && staged.write("new", 3) == 3 && staged.finish(&error), "staged and flushed");
        const QString staging = staged.stagingPath();
        // Another program holding the earlier file without sharing: it stays as it was.
        HANDLE holder = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(final).utf16()),
                                    GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool refused = holder != INVALID_HANDLE_VALUE && !staged.place(&error);
        CloseHandle(holder);
        check(refused && contents(final) == "old", "a file held without sharing is not replaced");
        std::printf("     held: %s\n", qPrintable(error));
        StagedFile::RemoveAbandoned(dir.path());
        check(QFile::exists(staging), "a live writer's staging file stays");
        check(staged.place(&error) && contents(final) == "new" && !QFile::exists(staging),
              "put in place over the earlier file");
    }
    const QString abandoned = dir.filePath("r.xml.abcdefgh.partial");
    {
        QFile left(abandoned);
        left.open(QIODevice::WriteOnly);
        left.write("half");
    }
    {
        StagedFile discarded(final);
        check(discarded.create(&error) && !QFile::exists(abandoned), "an abandoned staging file is removed");
        discarded.write("broken", 6);
    }
    check(contents(final) == "new" && QDir(dir.path()).entryList({"*.partial"}).isEmpty(),
          "a discarded file leaves the earlier one and no staging file");
    return failures;
}
