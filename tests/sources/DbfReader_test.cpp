#include "FolderQuery.h"
#include "QueryRows.h"
#include "TableBytes.h"
#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/Connections.h"
#include "sources/CodePages.h"
#include "sources/DataConnections.h"
#include "sources/DbfTable.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <functional>

namespace {
// The memo of several blocks that make_tables.py writes.
QString longMemo()
{
    QString text;
    for (int i = 1; i <= 40; ++i)
        text += QStringLiteral("Line %1 of a memo that takes several blocks.\r\n").arg(i);
    return text;
}

const QStringList kNotes{QStringLiteral("Crème brûlée, €5"), longMemo(), QString()};

using Patch = std::function<void(TableBytes &table, QByteArray &memo)>;

// memo_db3 as a dBase IV table: its memo file of 64-byte blocks after a 512-byte header, each memo a run of
// blocks that starts with a mark and its length; the second memo's mark overwritten when `damaged`.
Patch dBaseIV(bool damaged)
{
    return [damaged](TableBytes &table, QByteArray &memo) {
        table.bytes[0] = char(0x8B);
        memo = QByteArray(512, '\0');
        memo[20] = 64;
        int record = 0, start = 0;
        for (const QByteArray &text : {QByteArray("Cr\xe8me br\xfbl\xe9"
                                                  "e, \x80"
                                                  "5"),
                                       longMemo().toLatin1()}) {
            start = int(memo.size());
            table.setField(record++, "notes", QByteArray::number(start / 64));
            QByteArray block = QByteArray("\xff\xff\x08\x00\0\0\0\0", 8) + text;
            qToLittleEndian(quint32(block.size()), block.data() + 4);
            memo += block.leftJustified((block.size() + 63) / 64 * 64, 'P'); // what pads a block is no text
        }
        qToLittleEndian(quint32(memo.size() / 64), memo.data());
        table.setField(2, "notes", QByteArray());
        if (damaged)
            memo[start] = 'X';
    };
}
} // namespace

Q_DECLARE_METATYPE(Patch)

class DbfReaderTest : public QObject
{
    Q_OBJECT

private:
    const QString cn = QStringLiteral("dbfTest");

    QStringList rows(const QString &sql) { return queryRows(cn, sql); }

    // Whether SQLite sorts the rows itself rather than take them in the order the reader hands them.
    bool sortsItself(const QString &sql)
    {
        QSqlQuery q(NamedConnection(cn));
        if (!q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql))
            return false;
        bool temp = false;
        while (q.next())
            temp = temp || q.value(3).toString().contains(QStringLiteral("TEMP B-TREE"));
        return temp;
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(OpenFoxProConnection(cn, fixturePath(QStringLiteral("sources")), &error), qPrintable(error));
        // The rows of the ordered tables in ordinary tables, numbered by record, for SQLite to sort itself.
        QSqlQuery q(NamedConnection(cn));
        for (const char *table : {"ordered", "unordered", "odd_numbers"}) {
            QVERIFY2(q.exec(QStringLiteral("CREATE TEMP TABLE copy_%1 AS SELECT rowid AS rec, * FROM %1")
                                .arg(QLatin1String(table))),
                     qPrintable(q.lastError().text()));
        }
    }

    void cleanupTestCase() { CloseConnection(cn); }

    // Text blank-padded as stored; blank numbers, dates and logicals are nulls;
    // the deleted record never shows; each numeric text the double nearest to it.
    void reads_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("dBase III types") << "select name, qty, whole, ratio, born, ok from DB3_TYPES"
                                         << QStringList{"Copper wire |100.5|42|0.25|2014-07-11|1",
                                                        "Brass rod   |-3.75|0|2.5|1899-12-31|0",
                                                        "            |NULL|NULL|NULL|NULL|NULL"};
        QTest::newRow("code page 437") << "select name from fp_cp437" << QStringList{"Müller    ", "Ñandú     "};
        QTest::newRow("code page 850") << "select name from fp_cp850" << QStringList{"Café Ø    ", "Åbo       "};
        QTest::newRow("code page 1252") << "select name from db3_cp1252" << QStringList{"Crème €5  "};
        QTest::newRow("decimals") << "select amount from decimals"
                                  << QStringList{"0.1",    "2.675", "123456789.123456", "12345678901.123455",
                                                 "-1e-06", "-7"};
        QTest::newRow("Visual FoxPro binary types")
            << "select cnt, price, ratio, stamp, born, opt from Vfp_Types"
            << QStringList{"42|12.3456|2.25|2014-07-11T15:05:30|2014-07-11|     ", "-7|-0.5|-1e+10|NULL|NULL|x    "};
        // As the program writes them: an empty table, an order with blanks first.
        QTest::newRow("empty table") << "Select * from EMPTY" << QStringList();
        QTest::newRow("order by text") << "Select name from db3_types Order by NAME"
                                       << QStringList{QString(12, u' '), "Brass rod   ", "Copper wire "};
        // The second NAME is left out, the fields after it stay in place.
        QTest::newRow("repeated field name") << "select * from dupe_names" << QStringList{"n1    |c1    "};
        QTest::newRow("ordered past it") << "select code from dupe_names order by code" << QStringList{"c1    "};
    }

    void reads()
    {
        QFETCH(QString, sql);
        QTEST(rows(sql), "rows");
    }

    // Numeric text that is no number reaches SQL as a blob of that text, so
    // that it can be reported rather than read as a number or as nothing.
    void numericTextThatIsNoNumber_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("read"); // its type and value
        QTest::newRow("blank") << QByteArray() << "NULL";
        QTest::newRow("integer") << QByteArray("42") << "integer 42";
        QTest::newRow("19 digits") << QByteArray("1234567890123456789") << "integer 1234567890123456789";
        // Past what a double holds exactly: the decimal itself, as text.
        QTest::newRow("past 64 bits") << QByteArray("9999999999999999999") << "text 9999999999999999999";
        QTest::newRow("18 digits") << QByteArray("123456789012345.678") << "text 123456789012345.678";
        QTest::newRow("decimal") << QByteArray("-2.675") << "real -2.675";
        QTest::newRow("trailing point") << QByteArray("1.") << "real 1.0";
        QTest::newRow("float's exponent") << QByteArray("1.5E+10") << "real 15000000000.0";
        for (const char *text : {"0x1A", "*******************", "nan", "-inf", "1.2.3", "12a"})
            QTest::newRow(text) << QByteArray(text) << QStringLiteral("blob ") + QLatin1String(text);
    }

    void numericTextThatIsNoNumber()
    {
        QFETCH(QByteArray, stored);
        TableBytes table(fixturePath(QStringLiteral("sources/decimals.dbf")));
        QVERIFY(table.isValid());
        table.setField(0, "amount", stored);
        QTemporaryDir dir;
        QVERIFY(table.write(dir.filePath(QStringLiteral("stemp4.DBF"))));
        const FolderQuery q =
            RunFolderQuery(dir.path(), "select typeof(amount) || ' ' || amount from stemp4 where rowid = 1");
        QCOMPARE(q.error, QString());
        QTEST(q.rows.value(0), "read");
    }

    // Each damaged file is refused with its own reason, straight from the
    // reader and from the first step of a query of its table.
    void damagedTables_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const TableBytes good(fixturePath(QStringLiteral("sources/db3_types.dbf")));
        QVERIFY(good.isValid());
        QCOMPARE(good.bytes.size(), 418); // 225 bytes of header, 4 records of 48, the end mark
        const auto patched = [&](auto change) {
            TableBytes t = good;
            change(t);
            return t.bytes;
        };
        QTest::newRow("empty") << QByteArray() << "the file is empty";
        QTest::newRow("shorter than a header")
            << good.bytes.left(20) << "the file is 20 bytes long, shorter than a table's header";
        QTest::newRow("text") << QByteArray("This is a text file, not a table.\r\n").repeated(4)
                              << "it does not start like a dBase or FoxPro table (version byte 0x54)";
        QTest::newRow("2^31 records") << patched([](TableBytes &t) { t.setRecordCount(0x80000000u); })
                                      << "the header promises 2147483648 records but the file holds 4";
        QTest::newRow("truncated") << good.bytes.left(378) << "the header promises 4 records but the file holds 3";
        // Records past the count would be left out of every figure.
        QTest::newRow("undercount") << patched([](TableBytes &t) { t.setRecordCount(3); })
                                    << "the header promises 3 records but the file holds 4";
        QTest::newRow("undercount, no end mark") << patched([](TableBytes &t) {
            t.setRecordCount(2);
            t.bytes.chop(1);
        }) << "the header promises 2 records but the file holds 4";
        // What a crash leaves past the counted records, the end mark or part
        // of a record being appended, is no damage (no reason).
        const QByteArray record = good.bytes.mid(good.headerLength(), good.recordLength());
        QTest::newRow("records without the end-of-file mark") << good.bytes.chopped(1) << QString();
        QTest::newRow("part of a record") << good.bytes + record.left(47) << QString();
        QTest::newRow("part of a record, no end-of-file mark") << good.bytes.chopped(1) + record.left(47) << QString();
        QTest::newRow("records of 0 bytes")
            << patched([](TableBytes &t) { t.setRecordLength(0); }) << "the header gives records of 0 bytes";
        QTest::newRow("records of 65535 bytes")
            << patched([](TableBytes &t) { t.setRecordLength(65535); })
            << "the fields take 48 bytes of a record but the header gives records of 65535";
        QTest::newRow("header of 0 bytes") << patched([](TableBytes &t) { t.setHeaderLength(0); })
                                           << "the header is 0 bytes long, too short to list a field";
        QTest::newRow("header past the end") << patched([](TableBytes &t) { t.setHeaderLength(5000); })
                                             << "the header is 5000 bytes long but the file only 418";
        QTest::newRow("no end mark") << patched([](TableBytes &t) { t.bytes[224] = 'X'; })
                                     << "the field list has no end mark";
        QTest::newRow("field without length")
            << patched([](TableBytes &t) { t.bytes[32 + 16] = 0; }) << "the field NAME has no length";
        QTest::newRow("2000 fields") << patched([](TableBytes &t) {
            t.bytes.truncate(32);
            for (int i = 0; i < 2000; ++i)
                t.bytes += ("F" + QByteArray::number(i)).leftJustified(11, '\0') + QByteArray("C\0\0\0\0\1", 6)
                           + QByteArray(15, '\0');
            t.bytes += '\r';
            t.setHeaderLength(quint16(t.bytes.size()));
            t.setRecordLength(2001);
            t.setRecordCount(0);
        }) << "the header lists 2000 fields, more than a table can have";
    }

    void damagedTables()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("stemp4.DBF"));
        QVERIFY(writeBytes(file, bytes));
        const QString expected = QStringLiteral("stemp4.DBF is damaged: ") + reason;

        DbfTable table;
        QString error;
        if (reason.isEmpty()) {
            QVERIFY2(table.open(file, &error), qPrintable(error));
            QCOMPARE(RunFolderQuery(dir.path(), "SELECT count(*) FROM stemp4").rows, QStringList{"3"}); // one deleted
            return;
        }
        QVERIFY(!table.open(file, &error));
        QCOMPARE(error, expected);
        // The table exists; reading it fails at once with the reason.
        const FolderQuery query = RunFolderQuery(dir.path(), "SELECT * FROM stemp4");
        QCOMPARE(query.error, expected);
        QCOMPARE(query.rows, QStringList());
    }

    // A Visual FoxPro date-time is dated the day it falls on, to its last millisecond.
    void dateTimeNearMidnight()
    {
        TableBytes t(fixturePath(QStringLiteral("sources/vfp_types.dbf")));
        QTemporaryDir dir;
        QVERIFY(
            QFile::copy(fixturePath(QStringLiteral("sources/vfp_types.fpt")), dir.filePath(QStringLiteral("t.fpt"))));
        QStringList read;
        for (qint32 ms : {86399499, 86399500, 86399999}) {
            qToLittleEndian(ms, t.bytes.data() + t.headerLength() + t.fieldOffset("stamp") + 4);
            QVERIFY(t.write(dir.filePath(QStringLiteral("t.dbf"))));
            read << RunFolderQuery(dir.path(), "select stamp from t where rowid = 1").rows;
        }
        QCOMPARE(read, QStringList(3, QStringLiteral("2014-07-11T23:59:59")));
    }

    // A file that cannot be opened at all gets the system's reason.
    void danglingLink()
    {
        QV_SKIP_ON_WINDOWS("a link made there is a shortcut file, which opens");
        QTemporaryDir dir;
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.DBF")), dir.filePath(QStringLiteral("stemp4.DBF"))));
        QCOMPARE(RunFolderQuery(dir.path(), "SELECT * FROM stemp4").error,
                 dir.filePath(QStringLiteral("stemp4.DBF"))
                     + QStringLiteral(" cannot be opened: No such file or directory"));
    }

    void tableRewrittenOrAddedAfterOpening()
    {
        QTemporaryDir dir;
        QVERIFY(
            QFile::copy(fixturePath(QStringLiteral("sources/empty.dbf")), dir.filePath(QStringLiteral("stemp4.DBF"))));
        QString error;
        const QString name = QStringLiteral("live");
        QVERIFY(OpenFoxProConnection(name, dir.path(), &error));
        QCOMPARE(queryRows(name, QStringLiteral("select count(*) from STEMP4")), QStringList{"0"});
        // The accounting system writes the quarter after the company was chosen.
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("stemp4.DBF"))));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/db3_cp1252.dbf")),
                            dir.filePath(QStringLiteral("stemp4.DBF"))));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/db3_types.dbf")),
                            dir.filePath(QStringLiteral("ptemp5.dbf"))));
        // Its fields changed: a clear error; the new table is not known yet.
        const QString changed = queryRows(name, QStringLiteral("select * from stemp4")).value(0);
        QVERIFY2(changed.startsWith(QStringLiteral("error: ")) && changed.contains(QStringLiteral("fields changed")),
                 qPrintable(changed));
        QVERIFY(queryRows(name, QStringLiteral("select * from PTEMP5")).value(0).startsWith(QStringLiteral("error: ")));
        QVERIFY(RefreshFoxProConnection(name, &error));
        QCOMPARE(queryRows(name, QStringLiteral("select count(*) from PTEMP5")), QStringList{"3"});
        CloseConnection(name);
    }

    // Quotes in a folder's name, a file's name and so a table's name are
    // quoted wherever the tables are made and declared.
    void quotesInNames()
    {
        QV_SKIP_ON_WINDOWS("Windows names hold no double quotes");
        QTemporaryDir top;
        const QString folder = top.filePath(QStringLiteral("O'Brien \"& Co\""));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/db3_types.dbf")), folder + "/it's \"q\".dbf"));
        const FolderQuery quoted = RunFolderQuery(folder, "SELECT name FROM \"it's \"\"q\"\"\"");
        QCOMPARE(quoted.error, QString());
        QCOMPARE(quoted.rows.size(), 3);
    }

    void missingFolder()
    {
        QString error;
        QVERIFY(!OpenFoxProConnection(QStringLiteral("none"), QStringLiteral("/nonexistent/folder"), &error));
        QVERIFY(error.contains(QStringLiteral("does not exist")));
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("none")));
    }

    // A table already in the order a query asks for is handed to SQLite as it
    // stands; every answer must still be the one SQLite's own sort gives.
    void sameOrderAsSqlitesSort_data()
    {
        QTest::addColumn<QString>("query"); // table and order
        QTest::addColumn<bool>("inFileOrder");
        QTest::newRow("text, blank first") << "ordered order by inv" << true;
        QTest::newRow("text descending") << "ordered order by inv desc" << false;
        QTest::newRow("number, null first") << "ordered order by serial" << true;
        QTest::newRow("date") << "ordered order by day" << true;
        QTest::newRow("unordered number") << "ordered order by amt" << false;
        QTest::newRow("two columns") << "ordered order by inv, serial" << true;
        QTest::newRow("ties out of order") << "ordered order by inv, amt" << false;
        QTest::newRow("ties descending") << "ordered order by inv, serial desc" << false;
        QTest::newRow("reversed, ascending") << "unordered order by inv" << false;
        QTest::newRow("reversed, descending") << "unordered order by inv desc" << true;
        QTest::newRow("reversed number") << "unordered order by serial desc" << true;
        QTest::newRow("reversed, ties") << "unordered order by day desc" << true;
        // Numeric text that is no number is a blob, after every number.
        QTest::newRow("blobs after numbers") << "odd_numbers order by serial" << true;
        QTest::newRow("blobs first, descending") << "odd_numbers order by serial desc" << false;
        QTest::newRow("a blob among numbers") << "odd_numbers order by amt" << false;
    }

    void sameOrderAsSqlitesSort()
    {
        QFETCH(QString, query);
        QFETCH(bool, inFileOrder);
        const QString sql = QStringLiteral("select rowid from ") + query;
        const QStringList got = rows(sql);
        QCOMPARE(got.size(), 6); // the deleted record never shows
        QCOMPARE(got, rows(QStringLiteral("select rec from copy_") + query));
        QCOMPARE(sortsItself(sql), !inFileOrder);
    }

    void rewrittenBetweenPlanningAndReading()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("stemp4.DBF"));
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/ordered.dbf")), file));
        QString error;
        const QString name = QStringLiteral("rewritten");
        QVERIFY(OpenFoxProConnection(name, dir.path(), &error));
        {
            QSqlQuery q(NamedConnection(name));
            QVERIFY(q.prepare(QStringLiteral("Select * from STEMP4 Order by inv")));
            // Same fields, other order: the promise made when planning no longer holds.
            QVERIFY(QFile::remove(file));
            QVERIFY(QFile::copy(fixturePath(QStringLiteral("sources/unordered.dbf")), file));
            int rows = 0;
            for (bool more = q.exec() && q.next(); more; more = q.next())
                ++rows;
            QVERIFY(rows < 2);
            QVERIFY2(q.lastError().text().contains(QStringLiteral("stemp4.DBF: the table changed while")),
                     qPrintable(q.lastError().text()));
        }
        CloseConnection(name);
    }

    // The dBase reader decodes each undefined byte of Windows-1252 as U+FFFD
    // (the Access reader keeps its value: see the Jet reader's test).
    void undefinedBytesReplaced()
    {
        std::string out;
        AppendDecodedUtf8(out, "\x81\x8D\x8F\x90\x9D", 5, CodePageHighHalf(1252), UndefinedBytes::Replace);
        QCOMPARE(QString::fromStdString(out), QString(5, QChar(0xFFFD)));
    }

    void memosOfEachFormat_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("dBase III .dbt") << "memo_db3";
        QTest::newRow("FoxPro .fpt, named in capitals") << "memo_fp";
        QTest::newRow("Visual FoxPro .fpt") << "memo_vfp";
    }

    // Several blocks, an empty memo and Windows-1252 text, as python3-dbf wrote them.
    void memosOfEachFormat()
    {
        QFETCH(QString, table);
        const FolderQuery q = RunFolderQuery(fixturePath(QStringLiteral("sources")),
                                             qPrintable(QStringLiteral("select notes from %1").arg(table)));
        QCOMPARE(q.error, QString());
        QCOMPARE(q.rows, kNotes);
    }

    void damagedMemos_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<Patch>("patch");
        QTest::addColumn<QString>("reason"); // empty: every memo is read
        QTest::addColumn<int>("rowsBefore");
        const QString fpt = QStringLiteral("stemp4.fpt is damaged: ");
        const QString dbt = QStringLiteral("stemp4.dbt is damaged: ");

        QTest::newRow("dBase IV .dbt") << "memo_db3" << dBaseIV(false) << "" << 3;
        QTest::newRow("dBase IV block without its mark")
            << "memo_db3" << dBaseIV(true) << dbt + "the memo of record 2 does not start with a memo block's mark" << 1;
        const auto cut = [](qsizetype size) {
            return Patch([size](TableBytes &, QByteArray &memo) { memo.truncate(size); });
        };
        const auto field = [](int record, const char *value) {
            return Patch([=](TableBytes &table, QByteArray &) { table.setField(record, "notes", value); });
        };
        QTest::newRow("no .fpt") << "memo_fp" << cut(0) << "stemp4.FPT, the memo file of stemp4.DBF, is missing" << 0;
        QTest::newRow("shorter than a header")
            << "memo_fp" << cut(100) << fpt + "the file is 100 bytes long, shorter than a memo file's header" << 0;
        QTest::newRow("blocks of 0 bytes")
            << "memo_fp" << Patch([](TableBytes &, QByteArray &memo) { memo[6] = memo[7] = 0; })
            << fpt + "its header gives blocks of 0 bytes" << 0;
        QTest::newRow("block past the end")
            << "memo_fp" << cut(560) << fpt + "the memo of record 2 points past the end of the file" << 1;
        QTest::newRow("length past the end")
            << "memo_fp" << cut(1200) << fpt + "the memo of record 2 runs past the end of the file" << 1;
        QTest::newRow("block in the header")
            << "memo_fp" << field(0, "1") << fpt + "the memo of record 1 points into the file's header" << 0;
        QTest::newRow("no block number") << "memo_fp" << field(2, "12x")
                                         << fpt + "the memo field of record 3 holds no block number" << 2;
        QTest::newRow("binary block number past the end")
            << "memo_vfp" << field(0, "\xf0\xff\xff\x7f")
            << fpt + "the memo of record 1 points past the end of the file" << 0;
        QTest::newRow(".dbt text without an end")
            << "memo_db3"
            << Patch([](TableBytes &, QByteArray &memo) { memo.truncate(memo.indexOf("\x1a\x1a", 1024)); })
            << dbt + "the memo of record 2 has no end mark" << 1;
    }

    // A memo that cannot be read fails the query with the memo file's name
    // and the record's number, never giving empty text instead.
    void damagedMemos()
    {
        QFETCH(QString, fixture);
        QFETCH(Patch, patch);
        QFETCH(QString, reason);
        QFETCH(int, rowsBefore);
        const QString ext = fixture == QLatin1String("memo_db3") ? QStringLiteral(".dbt") : QStringLiteral(".fpt");
        TableBytes table(fixturePath(QStringLiteral("sources/") + fixture + QStringLiteral(".dbf")));
        QByteArray memo = bytesOf(
            fixturePath(QStringLiteral("sources/")
                        + (fixture == QLatin1String("memo_fp") ? QStringLiteral("MEMO_FP.FPT") : fixture + ext)));
        QVERIFY(table.isValid() && !memo.isEmpty());
        patch(table, memo);
        QTemporaryDir dir;
        QVERIFY(table.write(dir.filePath(QStringLiteral("stemp4.DBF"))));
        if (!memo.isEmpty())
            QVERIFY(writeBytes(dir.filePath(QStringLiteral("stemp4") + ext), memo));
        const FolderQuery q = RunFolderQuery(dir.path(), "select notes, name from stemp4");
#ifdef Q_OS_WIN
        // There the memo file opens by the name looked for, in the table's letter case.
        QVERIFY2(q.error.compare(reason, Qt::CaseInsensitive) == 0, qPrintable(q.error));
#else
        QCOMPARE(q.error, reason);
#endif
        QCOMPARE(q.rows, kNotes.mid(0, rowsBefore));
    }
};

QV_REGISTER_TEST(DbfReaderTest)
#include "DbfReader_test.moc"
