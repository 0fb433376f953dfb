#pragma once

#include <QIODevice>
#include <QString>

// A file written under a staging name beside its final name and moved there
// in one rename once it is complete, so an earlier file of the final name
// stays whole until the new one replaces it, whatever happens in between
// (a crash, a full disk, bad data). Writes go straight to the system, so a
// failure carries the system's own reason ("No space left on device").
//
// The writer holds a lock on its staging file until it is moved or removed;
// create() removes the staging files of the same folder that no live process
// holds (left by a process that was killed), and never any other file.
class StagedFile : public QIODevice
{
public:
    explicit StagedFile(const QString &finalPath);
    ~StagedFile() override; // removes the staging file unless it was moved

    QString finalPath() const { return m_finalPath; }
    QString stagingPath() const { return m_stagingPath; }

    // Creates "<final name>.<random>.partial" beside the final name.
    bool create(QString *error);
    // Flushes the file to the disk; nothing more is written to it. A file that
    // another writer filled by its staging name is flushed the same way.
    bool finish(QString *error);
    // Moves the finished file to `path` (the final name by default), replacing
    // whatever file had that name.
    bool moveTo(const QString &path, QString *error);
    bool place(QString *error) { return moveTo(m_finalPath, error); }
    // Removes the staging file.
    void discard();

    // Whether `name` is one this class gives its staging files.
    static bool IsStagingName(const QString &name);
    // Removes the staging files in `folder` that no live writer holds.
    static void RemoveAbandoned(const QString &folder);

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    void closeHandle();

    QString m_finalPath;
    QString m_stagingPath;
    static constexpr qint64 kWritebackStep = 8 * 1024 * 1024;

    int m_handle = -1; // held open, and so locked, until moved or removed
    bool m_finished = false;
    qint64 m_written = 0;
    qint64 m_writebackFrom = 0; // where the next writeback starts
    bool m_moved = false;
};

// The system's side of StagedFile, one file per platform.
namespace StagedFileSystem {
// Creates `path` only when no file has that name, and takes the writer's lock
// on it; -1 with `errorNumber` (EEXIST when the name is taken) otherwise.
int create(const QString &path, int *errorNumber);
bool write(int handle, const char *data, qint64 size, int *errorNumber);
// Starts writing the range to the disk without waiting for it.
void startWriteback(int handle, qint64 from, qint64 length);
bool sync(int handle, int *errorNumber);
// Whether `path` still names the file open as `handle`.
bool namesFile(const QString &path, int handle);
void close(int handle); // and with it the lock
bool rename(const QString &from, const QString &to, int *errorNumber);
void remove(const QString &path);
// The rename itself is only durable once the folder is on disk too.
void syncFolder(const QString &folder);
// Removes `path` when it is a regular file whose writer's lock no process holds.
void removeIfAbandoned(const QString &path);
} // namespace StagedFileSystem
