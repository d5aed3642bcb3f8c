#include "window_look.h"

#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QTest>

namespace {

bool isGold(QRgb pixel) {
    return qRed(pixel) > 180 && qGreen(pixel) > 120 && qBlue(pixel) < qGreen(pixel) - 40;
}

bool isNearlyBlack(QRgb pixel) {
    return qRed(pixel) < 24 && qGreen(pixel) < 24 && qBlue(pixel) < 24;
}

} // namespace

class tst_artwork : public QObject {
    Q_OBJECT

private slots:
    void banner();
    void iconIsSixteenColours();
    void programIconSizes_data();
    void programIconSizes();
};

// The windows draw the banner unscaled, so its size is part of their layout; the lettering
// must stay clear of the edges, where it would look cut off.
void tst_artwork::banner() {
    QImageReader reader(QStringLiteral(":/pellinova/banner.jpg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage banner = reader.read();
    QCOMPARE(banner.size(), QSize(326, 103));

    int gold = 0;
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x) {
            const QRgb pixel = banner.pixel(x, y);
            const bool edge = x < 3 || x >= banner.width() - 3 || y < 3 || y >= banner.height() - 3;
            if (edge && !isNearlyBlack(pixel))
                QFAIL(qPrintable(
                    QStringLiteral("the banner's edge is not black at %1,%2").arg(x).arg(y)));
            gold += isGold(pixel);
        }
    }
    QVERIFY2(gold > banner.width() * banner.height() / 20, "the banner has too little gold");
}

void tst_artwork::iconIsSixteenColours() {
    const QImage icon(QStringLiteral(":/pellinova/icon.png"));
    QCOMPARE(icon.size(), QSize(32, 32));
    QCOMPARE(icon.format(), QImage::Format_Indexed8);
    QVERIFY2(icon.colorCount() <= 16, qPrintable(QString::number(icon.colorCount())));
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
}

void tst_artwork::programIconSizes_data() {
    QTest::addColumn<int>("size");
    for (const int size : {32, 48, 64, 128, 256})
        QTest::addRow("%d px", size) << size;
}

// Each size must come from its own picture, not from scaling another one.
void tst_artwork::programIconSizes() {
    QFETCH(int, size);
    const QIcon icon = programIcon();
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    const QImage picture = icon.pixmap(QSize(size, size), 1.0).toImage();
    QCOMPARE(picture.size(), QSize(size, size));
    const QImage reference = size == 32
                                 ? QImage(QStringLiteral(":/pellinova/icon.png"))
                                 : QImage(QStringLiteral(":/pellinova/icon-%1.png").arg(size));
    QCOMPARE(picture.convertToFormat(QImage::Format_ARGB32_Premultiplied),
             reference.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QTEST_MAIN(tst_artwork)
#include "tst_artwork.moc"
