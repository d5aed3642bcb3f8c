#include "window_look.h"

#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTest>

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    // The windows draw the banner unscaled, so its size is part of their layout; its edges
    // stay black, so that the gold lettering never looks cut off.
    void banner() {
        QImageReader reader(QStringLiteral(":/pellinova/banner.jpg"));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage banner = reader.read();
        QCOMPARE(banner.size(), QSize(326, 103));
        int gold = 0;
        int lightEdge = 0;
        for (int y = 0; y < banner.height(); ++y) {
            for (int x = 0; x < banner.width(); ++x) {
                const QRgb pixel = banner.pixel(x, y);
                const bool edge = x < 3 || x >= 323 || y < 3 || y >= 100;
                lightEdge += edge && qMax(qRed(pixel), qMax(qGreen(pixel), qBlue(pixel))) >= 24;
                gold +=
                    qRed(pixel) > 180 && qGreen(pixel) > 120 && qBlue(pixel) < qGreen(pixel) - 40;
            }
        }
        QCOMPARE(lightEdge, 0);
        QVERIFY2(gold > banner.width() * banner.height() / 20, "the banner has too little gold");
    }

    void programIcon_data() {
        QTest::addColumn<int>("size");
        for (const int size : {32, 48, 64, 128, 256})
            QTest::addRow("%d px", size) << size;
    }
    // Each size comes from its own picture, not from scaling another one.
    void programIcon() {
        QFETCH(int, size);
        const QImage picture(size == 32 ? QStringLiteral(":/pellinova/icon.png")
                                        : QStringLiteral(":/pellinova/icon-%1.png").arg(size));
        QCOMPARE(picture.size(), QSize(size, size));
        if (size == 32) { // the classic icon: 16 colours on a transparent ground
            QCOMPARE(picture.format(), QImage::Format_Indexed8);
            QVERIFY2(picture.colorCount() <= 16, qPrintable(QString::number(picture.colorCount())));
            QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
        }
        const QIcon icon = ::programIcon();
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
        QCOMPARE(icon.pixmap(QSize(size, size), 1.0)
                     .toImage()
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 picture.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
