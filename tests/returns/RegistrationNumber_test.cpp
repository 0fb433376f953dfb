#include "TestRegistry.h"

#include "app/UserInterface.h"
#include "returns/RegistrationNumber.h"

#include <QTest>

class RegistrationNumberTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { installUserInterface(nullptr); }

    void validate_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("supplier");
        QTest::addColumn<QString>("message"); // empty: the number passes

        const QString letters = QStringLiteral("Invalid Registration Number = ");
        const QString digits = QStringLiteral("Invalid Registration Number= ");
        const QString dealer = QStringLiteral("\r\nSupplier Name : ");
        QTest::newRow("regular XM") << "AAACB1234CXM001" << "" << "";
        QTest::newRow("regular ED") << "AAACB1234CED999" << "" << "";
        QTest::newRow("16 characters, middle not examined") << "AAACB1234CXM0001" << "" << "";
        QTest::newRow("blank in the first segment is trimmed") << "AAAC 1234CXM001" << "" << "";
        QTest::newRow("unknown code") << "AAACB1234CXA001" << "" << digits + "AAACB1234CXA001" + dealer;
        QTest::newRow("digit in the first segment") << "AAAC11234CXM001" << "" << letters + "AAAC11234CXM001" + dealer;
        QTest::newRow("letter among the digits") << "AAACB12X4CXM001" << "" << digits + "AAACB12X4CXM001" + dealer;
        QTest::newRow("14 characters fail the last three") << "AAACB1234CXM01" << "" << digits + "AAACB1234CXM01" + dealer;
        QTest::newRow("digit in the code fails as letters") << "AAACB1234CX1001" << "" << letters + "AAACB1234CX1001" + dealer;
        QTest::newRow("small letters") << "aaacb1234cxm001" << "" << letters + "aaacb1234cxm001" + dealer;
        QTest::newRow("empty fails at the code") << "" << "" << digits + dealer;
        QTest::newRow("one blank fails at the code") << " " << "" << digits + " " + dealer;
        QTest::newRow("supplier name trimmed") << "AAACB1234CXA001" << "  X Metals  "
                                               << digits + "AAACB1234CXA001" + dealer + "X Metals";
    }

    void validate()
    {
        QFETCH(QString, number);
        QFETCH(QString, supplier);
        QFETCH(QString, message);
        RecordingUserInterface rec;
        installUserInterface(&rec);
        QCOMPARE(ValidateRegistrationNumber(number, supplier), message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(rec.messages.size(), 0);
            return;
        }
        QCOMPARE(rec.messages.size(), 1); // the first failing segment only
        const auto &m = rec.messages.first();
        QCOMPARE(m.text, message);
        QCOMPARE(m.title, QStringLiteral("Quorvant"));
        QCOMPARE(m.boxType, 0);
        QCOMPARE(m.buttonStyle, 0);
        QVERIFY(m.defaultNegative);
    }

    void segmentModes_data()
    {
        QTest::addColumn<QString>("segment");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("passes");
        QTest::newRow("F1 capitals") << "ABC" << "F1" << true;
        QTest::newRow("F1 small letter") << "AbC" << "F1" << false;
        QTest::newRow("F1 empty") << "" << "F1" << true;
        QTest::newRow("F2 digits with blanks around") << " 12 " << "F2" << true;
        QTest::newRow("F2 blank inside") << "1 2" << "F2" << false;
        QTest::newRow("F2 empty") << "" << "F2" << true;
        QTest::newRow("F3 EM") << "EM" << "F3" << true;
        QTest::newRow("F3 small") << "em" << "F3" << false;
        QTest::newRow("F3 empty") << "  " << "F3" << false;
    }

    void segmentModes()
    {
        QFETCH(QString, segment);
        QFETCH(QString, mode);
        QFETCH(bool, passes);
        RecordingUserInterface rec;
        installUserInterface(&rec);
        QCOMPARE(CheckRegistrationPart(segment, mode, QStringLiteral("S"), QStringLiteral("WHOLE")), passes);
        QCOMPARE(rec.messages.size(), passes ? 0 : 1);
    }

    void keyFilter_data()
    {
        QTest::addColumn<QChar>("typed");
        QTest::addColumn<QString>("result"); // empty: dropped
        QTest::newRow("capital") << QChar(u'Q') << "Q";
        QTest::newRow("small becomes capital") << QChar(u'a') << "A";
        QTest::newRow("small z") << QChar(u'z') << "Z";
        QTest::newRow("digit") << QChar(u'7') << "7";
        QTest::newRow("blank") << QChar(u' ') << " ";
        QTest::newRow("backspace") << QChar(u'\b') << "\b";
        for (const char c : QByteArray(".|,-()&/\""))
            QTest::newRow(QByteArray("accepted ").append(c).constData()) << QChar(QLatin1Char(c)) << QString(QLatin1Char(c));
        QTest::newRow("apostrophe") << QChar(u'\'') << "";
        QTest::newRow("hash") << QChar(u'#') << "";
        QTest::newRow("backslash") << QChar(u'\\') << "";
        QTest::newRow("accented small letter") << QChar(u'\u00e9') << "";
        QTest::newRow("tab") << QChar(u'\t') << "";
    }

    void keyFilter()
    {
        QFETCH(QChar, typed);
        QFETCH(QString, result);
        const std::optional<QChar> out = FilterRegistrationKey(typed);
        QCOMPARE(out.has_value(), !result.isEmpty());
        if (out)
            QCOMPARE(*out, result.at(0));
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("refused");
        QTest::newRow("regular") << "AAACB1234CXM001" << false;
        QTest::newRow("typed symbols") << "AAACB1234CXM(1)-&," << false;
        QTest::newRow("slash") << "AAACB/../../x" << true;
        QTest::newRow("slash alone") << "AAACB1234CXM/001" << true;
        QTest::newRow("backslash") << "..\\x" << true;
        QTest::newRow("dots") << "..AAACB1234CXM001" << true;
        QTest::newRow("control character") << QStringLiteral("AAACB\x01") << true;
        QTest::newRow("quotation mark") << "AAACB\"1" << true;
        QTest::newRow("bar") << "AAACB|1" << true;
    }

    void fileNames()
    {
        QFETCH(QString, number);
        QFETCH(bool, refused);
        const QString problem = RegistrationFileNameProblem(number);
        QCOMPARE(!problem.isEmpty(), refused);
        if (refused)
            QVERIFY(problem.contains(QStringLiteral("cannot stand in a file name")));
    }
};

QV_REGISTER_TEST(RegistrationNumberTest)
#include "RegistrationNumber_test.moc"
