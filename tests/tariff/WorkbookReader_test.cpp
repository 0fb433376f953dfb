#include "TestHelpers.h"
#include "TestRegistry.h"

#include "tariff/WorkbookReader.h"

#include <QTest>

class WorkbookReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void listsSheetsAsTables();
    void brokenFiles_data();
    void brokenFiles();
    void cellValues_data();
    void cellValues();
    void titlesIgnoreLetterCase();
    void unknownSheet_data();
    void unknownSheet();
    void numberText_data();
    void numberText();
};

static QString fixture(const QString &name)
{
    return fixturePath(QStringLiteral("tariff/") + name);
}

void WorkbookReaderTest::listsSheetsAsTables()
{
    const QStringList expected{
        QStringLiteral("Sheet1$"),        QStringLiteral("'My Sheet$'"),      QStringLiteral("Mixed$"),
        QStringLiteral("NoTariff$"),      QStringLiteral("NoUnit$"),          QStringLiteral("'Blank numbers$'"),
        QStringLiteral("'O''Brien$'"),
    };
    QStringList names;
    QString error;
    QVERIFY2(ListWorkbookSheets(fixture(QStringLiteral("tariff.xls")), &names, &error), qPrintable(error));
    QCOMPARE(names, expected);

    WorkbookReader reader;
    QVERIFY2(reader.open(fixture(QStringLiteral("tariff.xls"))), qPrintable(reader.errorString()));
    QCOMPARE(reader.sheetNames(), expected);
}

void WorkbookReaderTest::brokenFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("text file") << "notaworkbook.xls" << "not an Excel 97-2003 workbook";
    QTest::newRow("cut short") << "truncated.xls" << "corrupt";
    QTest::newRow("no Workbook stream") << "nostream.xls" << "does not contain a valid Workbook stream";
    QTest::newRow("missing") << "missing.xls" << "does not exist";
}

void WorkbookReaderTest::brokenFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    QStringList names{QStringLiteral("left over")};
    QString error;
    QVERIFY(!ListWorkbookSheets(fixture(file), &names, &error));
    QVERIFY(names.isEmpty());
    QVERIFY2(error.contains(reason) && error.contains(file), qPrintable(error));

    WorkbookReader reader;
    QVERIFY(!reader.open(fixture(file)));
    QVERIFY2(reader.errorString().contains(reason), qPrintable(reader.errorString()));
    QVERIFY(reader.sheetNames().isEmpty());
    QVERIFY(!reader.selectSheet(QStringLiteral("Sheet1$")));
}

void WorkbookReaderTest::cellValues_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QVariant>("expected");
    const QVariant null;
    QTest::newRow("text") << "Sheet1$" << 0 << "TariffNo" << QVariant(QStringLiteral("74081110"));
    QTest::newRow("trailing blank kept") << "Sheet1$" << 5 << "Unit" << QVariant(QStringLiteral("Kg "));
    QTest::newRow("empty unit") << "Sheet1$" << 2 << "Unit" << null;
    QTest::newRow("empty tariff number") << "Sheet1$" << 4 << "TariffNo" << null;
    QTest::newRow("whole number") << "Mixed$" << 0 << "tariffno" << QVariant(QStringLiteral("74081110"));
    QTest::newRow("beyond 32-bit") << "Mixed$" << 2 << "tariffno" << QVariant(QStringLiteral("8413919012"));
    QTest::newRow("half") << "Mixed$" << 1 << "UNIT" << QVariant(QStringLiteral("0.5"));
    QTest::newRow("tenth") << "Mixed$" << 4 << "tariffno" << QVariant(QStringLiteral("0.1"));
    QTest::newRow("empty text") << "Mixed$" << 5 << "tariffno" << null;
    QTest::newRow("below the sheet") << "Mixed$" << 7 << "tariffno" << null;
    QTest::newRow("quoted name") << "'My Sheet$'" << 1 << "Unit" << QVariant(QStringLiteral("NOS"));
}

void WorkbookReaderTest::cellValues()
{
    QFETCH(QString, sheet);
    QFETCH(int, row);
    QFETCH(QString, title);
    QFETCH(QVariant, expected);
    WorkbookReader reader;
    QVERIFY(reader.open(fixture(QStringLiteral("tariff.xls"))));
    QVERIFY2(reader.selectSheet(sheet), qPrintable(reader.errorString()));
    const int column = reader.columnIndex(title);
    QVERIFY(column >= 0);
    const QVariant value = reader.value(row, column);
    QCOMPARE(value.isNull(), expected.isNull());
    if (!expected.isNull())
        QCOMPARE(value.toString(), expected.toString());
}

void WorkbookReaderTest::titlesIgnoreLetterCase()
{
    WorkbookReader reader;
    QVERIFY(reader.open(fixture(QStringLiteral("tariff.xls"))));
    QVERIFY(reader.selectSheet(QStringLiteral("Mixed$")));
    QCOMPARE(reader.columnTitles(), (QStringList{"UNIT", "Description", "tariffno"}));
    QCOMPARE(reader.columnIndex(QStringLiteral("TariffNo")), 2);
    QCOMPARE(reader.columnIndex(QStringLiteral("Unit")), 0);
    QCOMPARE(reader.columnIndex(QStringLiteral("Tariff")), -1);
    QCOMPARE(reader.rowCount(), 7);
    // A table name is matched as a database matches it, letter case aside.
    QVERIFY(reader.selectSheet(QStringLiteral("'my sheet$'")));
    QCOMPARE(reader.rowCount(), 2);
}

void WorkbookReaderTest::unknownSheet_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::newRow("without the dollar") << "Sheet1";
    QTest::newRow("blank name unquoted") << "My Sheet$";
    QTest::newRow("not there") << "Prices$";
    QTest::newRow("empty") << "";
}

void WorkbookReaderTest::unknownSheet()
{
    QFETCH(QString, sheet);
    WorkbookReader reader;
    QVERIFY(reader.open(fixture(QStringLiteral("tariff.xls"))));
    QVERIFY(!reader.selectSheet(sheet));
    QCOMPARE(reader.errorString(), QStringLiteral("The workbook tariff.xls has no sheet named %1.").arg(sheet));
    QCOMPARE(reader.rowCount(), 0);
}

void WorkbookReaderTest::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("tariff number") << 74081110.0 << "74081110";
    QTest::newRow("ten digits") << 8413919012.0 << "8413919012";
    QTest::newRow("negative whole") << -3.0 << "-3";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("half") << 0.5 << "0.5";
    QTest::newRow("not exact in binary") << 0.1 << "0.1";
    QTest::newRow("fraction of a big number") << 74081110.25 << "74081110.25";
}

void WorkbookReaderTest::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(NumberText(value), text);
}

QV_REGISTER_TEST(WorkbookReaderTest)
#include "WorkbookReader_test.moc"
