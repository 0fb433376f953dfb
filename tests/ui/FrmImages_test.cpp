#include "TestRegistry.h"

#include "ui/FrmImages.h"

#include <QImage>
#include <QTest>

class FrmImagesTest : public QObject
{
    Q_OBJECT

private slots:
    void everyPictureDraws_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"ImgInfo", "ImgQuestion", "ImgCritical", "ImgExit", "ImgClose", "ImgOk", "ImgCancel",
                                 "ImgXML", "ImgWorkbook"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void everyPictureDraws()
    {
        QFETCH(QString, name);
        const QImage image = FrmImages::pixmap(name, QSize(40, 40), 2.0).toImage();
        QCOMPARE(image.size(), QSize(80, 80));
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 200;
        // Something was drawn, and not a filled square.
        QVERIFY2(opaque > 400 && opaque < 80 * 80, qPrintable(QString::number(opaque)));
    }
};

QV_REGISTER_TEST(FrmImagesTest)
#include "FrmImages_test.moc"
