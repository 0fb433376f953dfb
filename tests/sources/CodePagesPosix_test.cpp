#include "TestRegistry.h"
#include "sources/CodePages.h"

#include <QTest>

#include <iconv.h>

// The code page tables against glibc's own conversions.
class CodePagesPosixTest : public QObject
{
    Q_OBJECT

private slots:
    // The code page tables against the C library's own conversions, byte by byte:
    // a slip in a table would turn one letter of a name into another.
    void highHalvesMatchTheSystemConversion_data()
    {
        QTest::addColumn<int>("codePage");
        for (int codePage : {437, 850, 852, 866, 1250, 1251, 1252})
            QTest::newRow(qPrintable(QString::number(codePage))) << codePage;
    }

    void highHalvesMatchTheSystemConversion()
    {
        QFETCH(int, codePage);
        const iconv_t cd = iconv_open("UTF-16LE", qPrintable(QStringLiteral("CP%1").arg(codePage)));
        if (cd == iconv_t(-1))
            QSKIP("the C library has no conversion for this code page (glibc's gconv modules are missing)");
        const char16_t *highHalf = CodePageHighHalf(codePage);
        QVERIFY(highHalf);
        QString got, want;
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            char in = char(byte), *inPtr = &in;
            char16_t out[2] = {};
            char *outPtr = reinterpret_cast<char *>(out);
            size_t inLeft = 1, outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const bool defined = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outLeft == 2;
            want += QChar(defined ? out[0] : char16_t(0xFFFD));
            got += QChar(highHalf[byte - 0x80]);
        }
        iconv_close(cd);
        QCOMPARE(got, want);
    }
};

QV_REGISTER_TEST(CodePagesPosixTest)
#include "CodePagesPosix_test.moc"
