#pragma once

#include <QIODevice>
#include <QString>

// A file written under a staging name beside its final name and moved there
// in one rename once it is complete, so an earlier file of the final name
// stays whole until the new one replaces it, whatever happens in between
// (a crash, a full disk, bad data). Writes go straight to the system, so a
// failure carries the system's own reason ("No space left on device").
class StagedFile : public QIODevice
{
public:
    explicit StagedFile(const QString &finalPath);
    ~StagedFile() override; // removes the staging file unless it was moved

    QString finalPath() const { return m_finalPath; }
    QString stagingPath() const { return m_stagingPath; }

    // Creates "<final name>.<random>.partial" beside the final name.
    bool create(QString *error);
    // Flushes the file to the disk and closes it.
    bool finish(QString *error);
    // Moves the finished file to `path` (the final name by default), replacing
    // whatever file had that name.
    bool moveTo(const QString &path, QString *error);
    bool place(QString *error) { return moveTo(m_finalPath, error); }
    // Removes the staging file.
    void discard();

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    QString m_finalPath;
    QString m_stagingPath;
    static constexpr qint64 kWritebackStep = 8 * 1024 * 1024;

    int m_fd = -1;
    qint64 m_written = 0;
    qint64 m_writebackFrom = 0; // where the next writeback starts
    bool m_moved = false;
};
