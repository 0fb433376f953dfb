#include "TestHelpers.h"
#include "TestRegistry.h"

#include "tariff/WorkbookReader.h"

#include <QTest>

namespace {
QString book(const QString &name)
{
    return fixturePath(QStringLiteral("tariff/") + name);
}

// Every record of a sheet below its titles, cells joined by "|", null as "<null>".
QStringList sheetRows(WorkbookReader &reader, const QString &sheet)
{
    if (!reader.selectSheet(sheet))
        return {reader.errorString()};
    QStringList rows{reader.columnTitles().join(QLatin1Char('|'))};
    for (qint64 r = 0; r < reader.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < reader.columnTitles().size(); ++c) {
            const QVariant value = reader.value(r, c);
            cells << (value.isNull() ? QStringLiteral("<null>") : value.toString());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}
} // namespace

class WorkbookReaderTest : public QObject
{
    Q_OBJECT

private slots:
    // The same workbook as written by xlwt and as saved again by LibreOffice, whose
    // formulas read as their last result and whose workbook-wide name of a block
    // of cells is listed as a table of its own. Titles may stand below an empty
    // row, right of an empty column.
    void readsValues_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("rows");
        const QStringList values{"|Kind|Value",          "<null>|date|2014-03-20",
                                 "<null>|time|10:30:00", "<null>|date and time|2014-03-20 10:30:00",
                                 "<null>|money|1234.5",  "<null>|quoted letters|41718",
                                 "<null>|negative|-7",   "<null>|large|1e+20",
                                 "<null>|true|1",        QString::fromUtf8("<null>|wide text|Größe ₹")};
        QTest::newRow("xlwt") << "values.xls" << QStringList{"Values$"} << "Values$" << values;
        QTest::newRow("LibreOffice") << "libreoffice/values.xls" << QStringList{"Values$"} << "Values$" << values;
        QTest::newRow("format of zeros") << "padded.xls" << QStringList{"Padded$"} << "Padded$"
                                         << QStringList{"TariffNo|Unit", "01012100|KGS", "74081110|NOS",
                                                        "1012100|LTR",   "12.5|MTR",     "0007|SQM"};
        const QString computed = QStringLiteral("libreoffice/computed.xls");
        const QStringList computedSheets{"Formulas$", "Rates$", "Tariffs"};
        QTest::newRow("formulas") << computed << computedSheets << "Formulas$"
                                  << QStringList{"TariffNo|Unit", "74081110|kgs", "42|1", "2014-03-20|<null>",
                                                 "<null>|NOS"};
        QTest::newRow("named block") << computed << computedSheets << "tariffs"
                                     << QStringList{"TariffNo|Unit", "74081110|KGS", "84139190|<null>"};
    }

    void readsValues()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        WorkbookReader reader;
        QVERIFY2(reader.open(book(file)), qPrintable(reader.errorString()));
        QTEST(reader.sheetNames(), "sheets");
        QTEST(sheetRows(reader, sheet), "rows");
    }

    void writersAgree()
    {
        WorkbookReader xlwt;
        WorkbookReader libreOffice;
        QVERIFY2(xlwt.open(book(QStringLiteral("tariff.xls"))), qPrintable(xlwt.errorString()));
        QVERIFY2(libreOffice.open(book(QStringLiteral("libreoffice/tariff.xls"))),
                 qPrintable(libreOffice.errorString()));
        QCOMPARE(libreOffice.sheetNames(), xlwt.sheetNames());
        for (const QString &sheet : xlwt.sheetNames())
            QCOMPARE(sheetRows(libreOffice, sheet), sheetRows(xlwt, sheet));
    }

    // Each file (the row's name, in broken/) carries one kind of damage; each ends in its own reason.
    void damagedWorkbooks_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("cut-to-a-third.xls") << "the allocation table points outside the file";
        QTest::newRow("no-workbook-stream.xls") << "the file does not contain a valid Workbook stream";
        QTest::newRow("directory-outside.xls") << "a chain of sectors points outside the file";
        QTest::newRow("directory-in-circle.xls") << "a chain of sectors runs in a circle";
        QTest::newRow("stream-larger-than-file.xls") << "a stream is larger than the file";
        QTest::newRow("older-format.xls") << "older than Excel 97-2003";
        QTest::newRow("encrypted.xls") << "it is protected with a password.";
        QTest::newRow("shared-texts-cut.xls") << "the table of shared texts is damaged";
        QTest::newRow("shared-text-missing.xls") << "a cell refers to a shared text the workbook does not have";
        QTest::newRow("sheet-outside.xls") << "the sheet does not begin where the workbook says";
        QTest::newRow("sheet-cut-short.xls") << "the sheet is cut short";
        QTest::newRow("cell-too-short.xls") << "a cell record is too short";
    }

    void damagedWorkbooks()
    {
        QFETCH(QString, reason);
        WorkbookReader reader;
        if (reader.open(book(QStringLiteral("broken/") + QLatin1String(QTest::currentDataTag())))) {
            QCOMPARE(reader.sheetNames(), QStringList{"Sheet1$"});
            QVERIFY(!reader.selectSheet(QStringLiteral("Sheet1$")));
            QVERIFY(reader.columnTitles().isEmpty() && reader.rowCount() == 0);
        }
        QVERIFY2(reader.errorString().contains(reason), qPrintable(reader.errorString()));
    }

    // Serial day numbers: the 1900 system's day 60 is a 29 February that never was.
    void serialDates_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("date1904");
        QTest::addColumn<QString>("text");
        const int date = int(NumberShown::Date), time = int(NumberShown::Time), both = int(NumberShown::DateTime);
        QTest::newRow("28 Feb 1900") << 59.0 << date << false << "1900-02-28";
        QTest::newRow("day 60") << 60.0 << date << false << "";
        QTest::newRow("1 Mar 1900") << 61.0 << date << false << "1900-03-01";
        QTest::newRow("1904 system") << 0.0 << date << true << "1904-01-01";
        QTest::newRow("last day") << 2958465.0 << date << false << "9999-12-31";
        QTest::newRow("past the last day") << 2958466.0 << date << false << "";
        QTest::newRow("negative") << -1.0 << date << false << "";
        QTest::newRow("half a second before midnight") << 41718.999995 << both << false << "2014-03-21 00:00:00";
        QTest::newRow("a date does not round up") << 41718.999995 << date << false << "2014-03-20";
        QTest::newRow("time of day") << 0.4375 << time << false << "10:30:00";
    }

    void serialDates()
    {
        QFETCH(double, serial);
        QFETCH(int, shown);
        QFETCH(bool, date1904);
        QFETCH(QString, text);
        QCOMPARE(SerialDateText(serial, NumberShown(shown), date1904), text);
    }

    void formatCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("shown");
        QTest::newRow("quoted letters") << "0 \"days\"" << int(NumberShown::Number);
        QTest::newRow("escaped letter") << "0\\d" << int(NumberShown::Number);
        QTest::newRow("colour") << "[Red]0.00;[Blue]-0.00" << int(NumberShown::Number);
        QTest::newRow("month or minute alone") << "mm" << int(NumberShown::Number);
        QTest::newRow("date with locale") << "[$-409]d-mmm-yy" << int(NumberShown::Date);
        QTest::newRow("elapsed hours") << "[h]:mm" << int(NumberShown::Time);
    }

    void formatCodes()
    {
        QFETCH(QString, code);
        QFETCH(int, shown);
        QCOMPARE(int(NumberFormatShows(code)), shown);
    }
};

QV_REGISTER_TEST(WorkbookReaderTest)
#include "WorkbookReader_test.moc"
