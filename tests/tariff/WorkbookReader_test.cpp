#include "TestHelpers.h"
#include "TestRegistry.h"

#include "tariff/WorkbookReader.h"

#include <QTest>

class WorkbookReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void brokenFiles_data();
    void brokenFiles();
};

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
    const QString path = fixturePath(QStringLiteral("tariff/") + file);
    QStringList names{QStringLiteral("left over")};
    QString error;
    QVERIFY(!ListWorkbookSheets(path, &names, &error));
    QVERIFY(names.isEmpty());
    QVERIFY2(error.contains(reason) && error.contains(file), qPrintable(error));

    WorkbookReader reader;
    QVERIFY(!reader.open(path));
    QVERIFY2(reader.errorString().contains(reason), qPrintable(reader.errorString()));
    QVERIFY(!reader.selectSheet(QStringLiteral("Sheet1$")));
}

QV_REGISTER_TEST(WorkbookReaderTest)
#include "WorkbookReader_test.moc"
