#include "TestHelpers.h"
#include "TestRegistry.h"
#include "app/UserInterface.h"
#include "returns/RegistrationNumber.h"

#include <QTest>

class RegistrationNumberTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { InstallUserInterface(nullptr); }

    void validate_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message"); // its start; empty: the number passes
        const QString letters = QStringLiteral("Invalid Registration Number = ");
        const QString digits = QStringLiteral("Invalid Registration Number= ");
        const QString passes;
        QTest::newRow("regular") << "AAACB1234CXM001" << passes;
        QTest::newRow("16 characters: middle not examined") << "AAACB1234CXM0001" << passes;
        QTest::newRow("blank in segment 1 trimmed away") << "AAAC 1234CXM001" << passes;
        QTest::newRow("unknown code") << "AAACB1234CXA001" << digits;
        QTest::newRow("digit among the letters") << "AAAC11234CXM001" << letters;
        QTest::newRow("letter among the digits") << "AAACB12X4CXM001" << digits;
        QTest::newRow("14 characters: last three") << "AAACB1234CXM01" << digits;
        QTest::newRow("digit in the code fails segment 3") << "AAACB1234CX1001" << letters;
        QTest::newRow("small letters") << "aaacb1234cxm001" << letters;
        QTest::newRow("small code") << "AAACB1234Cxm001" << letters;
        QTest::newRow("empty fails at the code") << "" << digits;
    }

    void validate()
    {
        QFETCH(QString, number);
        QFETCH(QString, message);
        RecordingUserInterface rec;
        InstallUserInterface(&rec);
        QCOMPARE(ValidateRegistrationNumber(number, QStringLiteral("  X Metals  ")), message.isEmpty());
        // The first failing segment only, with the supplier's name trimmed.
        QCOMPARE(rec.texts(),
                 message.isEmpty() ? QStringList() : QStringList{message + number + "\r\nSupplier Name : X Metals"});
    }

    void keyFilter()
    {
        const QString typed = QStringLiteral("aQz7 \b.|,-()&/\"'#\\\t\u00e9");
        QString kept;
        for (QChar c : typed)
            if (const std::optional<QChar> out = FilterRegistrationKey(c))
                kept += *out;
        QCOMPARE(kept, QStringLiteral("AQZ7 \b.|,-()&/\""));
    }

    // Refused as a file name: a slash, leading dots, control characters, and
    // what Windows cannot hold (quotation mark, bar); typed symbols pass.
    void fileNames()
    {
        const std::pair<QString, bool> numbers[] = {{"AAACB1234CXM/001", true},
                                                    {"AAACB1234CXM(1)-&,. ", false},
                                                    {"..AAACB1234CXM001", true},
                                                    {QStringLiteral("AAACB\x01"), true},
                                                    {QStringLiteral("AAACB\"1|"), true}};
        for (const auto &[number, refused] : numbers)
            QVERIFY2(RegistrationFileNameProblem(number).contains(QStringLiteral("cannot stand in a file name"))
                         == refused,
                     qPrintable(number));
    }
};

QV_REGISTER_TEST(RegistrationNumberTest)
#include "RegistrationNumber_test.moc"
