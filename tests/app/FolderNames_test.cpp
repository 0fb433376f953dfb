#include "TestRegistry.h"

#include "app/Folders.h"

#include <QTest>

// Names that Windows keeps for devices, or cuts short, cannot name a company's
// folder on any system: the folder must survive a copy to Windows.
class FolderNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void reservedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why"); // empty: allowed
        QTest::newRow("device") << "CON"
                                << "it names the device CON";
        QTest::newRow("any case, extension") << "nul.txt"
                                             << "it names the device NUL";
        QTest::newRow("blank before the dot") << "com1 .log"
                                              << "it names the device COM1";
        QTest::newRow("printer port") << "Lpt9"
                                      << "it names the device LPT9";
        QTest::newRow("trailing dot") << "001."
                                      << "it ends in a dot or a blank";
        QTest::newRow("trailing blank") << "001 "
                                        << "it ends in a dot or a blank";
        QTest::newRow("longer name") << "CONSOLE"
                                     << "";
        QTest::newRow("port ten") << "COM10"
                                  << "";
        QTest::newRow("device inside") << "AUXILIARY.dbf"
                                       << "";
    }

    void reservedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, why);
        const QString expected =
            why.isEmpty() ? QString() : QStringLiteral("The company code %1 cannot name a folder: %2.").arg(name, why);
        QCOMPARE(FolderNameProblem(QStringLiteral("company code"), name), expected);
    }
};

QV_REGISTER_TEST(FolderNamesTest)
#include "FolderNames_test.moc"
