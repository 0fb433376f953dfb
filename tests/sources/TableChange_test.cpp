#include "FolderQuery.h"
#include "QueryRows.h"
#include "TableBytes.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "sources/DataConnections.h"
#include "sources/JetSqlite.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <filesystem>
#include <functional>

namespace {
const QString kChanged = QStringLiteral(" changed while it was being read; run again once the accounting system has "
                                        "finished writing it");

// Over the file's bytes where they lie, as a program rewriting a table in place does.
bool overwriteInPlace(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.write(bytes) == bytes.size();
}

// Moves `from` over `to` in one step, as the system's rename does on every platform.
bool replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(from.toStdWString(), to.toStdWString(), error);
    return !error;
}

// Written long ago, so that any write now gives it another modification time.
bool makeOld(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite)
           && f.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc()),
                            QFileDevice::FileModificationTime);
}

// `count` invoice lines of the ordered fixture's second record, each of amount `amount`.
QByteArray invoiceLines(quint32 count, const QByteArray &amount)
{
    TableBytes table(fixturePath(QStringLiteral("sources/ordered.dbf")));
    table.setField(1, "amt", amount);
    table.repeatRecord(1, count);
    return table.bytes;
}

} // namespace

using Rewrite = std::function<bool(const QString &path)>;
Q_DECLARE_METATYPE(Rewrite)

class TableChangeTest : public QObject
{
    Q_OBJECT

private slots:
    void tableRewrittenDuringAScan_data()
    {
        QTest::addColumn<Rewrite>("rewrite");
        QTest::addColumn<bool>("changes");
        // 20,000 records of 35 bytes: more than the reader's window, so the
        // scan reads the file again after the rewrite.
        QTest::newRow("left alone") << Rewrite([](const QString &) { return true; }) << false;
        QTest::newRow("in place, more records")
            << Rewrite([](const QString &path) { return overwriteInPlace(path, invoiceLines(20001, "20.50")); })
            << true;
        QTest::newRow("replaced by another file") << Rewrite([](const QString &path) {
            return writeBytes(path + QStringLiteral(".new"), invoiceLines(20000, "20.50"))
                   && replaceFile(path + QStringLiteral(".new"), path);
        }) << true;
        // What an accounting system's rewrite looks like from outside: another
        // process writes over the file in place while it is read.
        if (!QStandardPaths::findExecutable(QStringLiteral("dd")).isEmpty())
            QTest::newRow("in place by another process (dd conv=notrunc)") << Rewrite([](const QString &path) {
                const QString next = path + QStringLiteral(".next");
                return writeBytes(next, invoiceLines(20000, "20.50"))
                       && QProcess::execute(QStringLiteral("dd"),
                                            {"if=" + next, "of=" + path, QStringLiteral("conv=notrunc"),
                                             QStringLiteral("status=none")})
                              == 0;
            }) << true;
        QTest::newRow("cut short") << Rewrite([](const QString &path) { return QFile::resize(path, 100000); }) << true;
    }

    // Rows already handed out came from one state of the file, the rest
    // would come from another: the query fails rather than mix them.
    void tableRewrittenDuringAScan()
    {
        QFETCH(Rewrite, rewrite);
        QFETCH(bool, changes);
        if (QTest::currentDataTag() == QByteArrayLiteral("replaced by another file"))
            QV_SKIP_ON_WINDOWS("Windows refuses to replace a file that the reader holds open");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("stemp4.DBF"));
        QVERIFY(writeBytes(path, invoiceLines(20000, "10.25")));
        QVERIFY(makeOld(path));

        bool rewritten = false;
        const FolderQuery q = RunFolderQuery(dir.path(), "select amt from stemp4", [&] { rewritten = rewrite(path); });
        QVERIFY(rewritten);
        QCOMPARE(q.error, changes ? QStringLiteral("stemp4.DBF") + kChanged : QString());
        if (!changes)
            QCOMPARE(q.rows.size(), 20000);
    }

    void accessFileRewrittenDuringAScan()
    {
        if (!JetFilesReadable())
            QSKIP("This build reads no Access files");
        const QByteArray bytes = bytesOf(fixturePath(QStringLiteral("jet/nwind.mdb")));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nKolvSet.mdb")), jet = QStringLiteral("changing");
        QString error;
        QVERIFY(!bytes.isEmpty() && writeBytes(path, bytes) && makeOld(path));
        QVERIFY2(OpenJetConnection(jet, path, &error), qPrintable(error));
        const auto close = qScopeGuard([&] { CloseConnection(jet); });
        {
            QSqlQuery q(NamedConnection(jet));
            QVERIFY(q.exec(QStringLiteral("select OrderID from Orders")));
            for (int i = 0; i < 10; ++i)
                QVERIFY(q.next());
            QVERIFY(overwriteInPlace(path, bytes)); // the same bytes, written again
            while (q.next()) {}
            QCOMPARE(q.lastError().databaseText(), path + kChanged);
        }
        // The next query reads the file as it now is.
        QCOMPARE(queryRows(jet, QStringLiteral("select count(*) from Orders")), QStringList{"830"});
    }
};

QV_REGISTER_TEST(TableChangeTest)
#include "TableChange_test.moc"
