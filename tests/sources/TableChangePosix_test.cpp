#include "FolderQuery.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "sources/DataConnections.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Runs `work` in a thread; a reader stuck opening `fifo` is freed (by opening
// it for writing) after ten seconds, and false returned.
bool finishesWithin10s(const QString &fifo, const std::function<void()> &work)
{
    QScopedPointer<QThread> thread(QThread::create(work));
    thread->start();
    if (thread->wait(QDeadlineTimer(10000)))
        return true;
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
    thread->wait();
    return false;
}
} // namespace

class TableChangePosixTest : public QObject
{
    Q_OBJECT

private slots:
    void fifosAreNeverOpened_data()
    {
        QTest::addColumn<QString>("fifo");
        QTest::addColumn<QByteArray>("sql"); // empty: the Access file is opened
        QTest::newRow("table") << "stemp4.DBF" << QByteArray("select * from stemp4");
        QTest::newRow("memo file") << "ptemp5.fpt" << QByteArray("select notes from ptemp5");
        QTest::newRow("Access file") << "nKolvSet.mdb" << QByteArray();
    }

    // A FIFO in place of a table, a memo file or an Access file is refused at
    // once; opening it for reading would wait for a writer for ever.
    void fifosAreNeverOpened()
    {
        QFETCH(QString, fifo);
        QFETCH(QByteArray, sql);
        QTemporaryDir dir;
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/memo_fp.dbf")),
                            dir.filePath(QStringLiteral("ptemp5.dbf"))));
        const QString path = dir.filePath(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        QString error;
        const auto open = [&] {
            if (sql.isEmpty())
                OpenJetConnection(QStringLiteral("fifo"), path, &error);
            else
                error = RunFolderQuery(dir.path(), sql.constData()).error;
        };
        QVERIFY2(finishesWithin10s(path, open), "opening a FIFO hung");
        QCOMPARE(error, path + QStringLiteral(" is not a regular file"));
    }
};

QV_REGISTER_TEST(TableChangePosixTest)
#include "TableChangePosix_test.moc"
