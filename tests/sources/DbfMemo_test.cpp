#include "TestHelpers.h"
#include "TestRegistry.h"

#include "FolderQuery.h"
#include "TableBytes.h"

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

// A dBase IV memo file with blocks of 64 bytes holding `memos` in turn, one
// block run each from block 8 (the header's 512 bytes) on; the blocks they start at
// are appended to `blocks`.
QByteArray dBaseIVMemoFile(const QList<QByteArray> &memos, QList<int> *blocks)
{
    QByteArray file(512, '\0');
    file[20] = 64;
    for (const QByteArray &memo : memos) {
        blocks->append(int(file.size() / 64));
        QByteArray block("\xff\xff\x08\x00", 4);
        block += QByteArray(4, '\0');
        qToLittleEndian(quint32(memo.size() + 8), block.data() + 4);
        block += memo;
        block += QByteArray((64 - block.size() % 64) % 64, '\0');
        file += block;
    }
    qToLittleEndian(quint32(file.size() / 64), file.data());
    return file;
}

const QStringList kNotes{QStringLiteral("Crème brûlée, €5"), longMemo(), QString()};

using Patch = std::function<void(TableBytes &table, QByteArray &memo)>;

// memo_db3 as a dBase IV table: blocks of the header's size, each with a mark and
// a length; the second memo's mark overwritten when `damaged`.
Patch dBaseIV(bool damaged)
{
    return [damaged](TableBytes &table, QByteArray &memo) {
        table.bytes[0] = char(0x8B);
        QList<int> blocks;
        memo = dBaseIVMemoFile({QByteArray("Cr\xe8me br\xfbl\xe9"
                                           "e, \x80"
                                           "5"),
                                longMemo().toLatin1()},
                               &blocks);
        table.setField(0, "notes", QByteArray::number(blocks[0]));
        table.setField(1, "notes", QByteArray::number(blocks[1]));
        table.setField(2, "notes", QByteArray());
        if (damaged)
            memo[blocks[1] * 64] = 'X';
    };
}
} // namespace

Q_DECLARE_METATYPE(Patch)

class DbfMemoTest : public QObject
{
    Q_OBJECT

private slots:
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
            QVERIFY(writeFile(dir.filePath(QStringLiteral("stemp4") + ext), memo));
        const FolderQuery q = RunFolderQuery(dir.path(), "select notes, name from stemp4");
        QCOMPARE(q.error, reason);
        QCOMPARE(q.rows, kNotes.mid(0, rowsBefore));
    }
};

QV_REGISTER_TEST(DbfMemoTest)
#include "DbfMemo_test.moc"
