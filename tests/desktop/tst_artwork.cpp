#include "window_look.h"

#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTest>

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    // The windows draw the banner unscaled, so its size is part of their layout.
    void banner() {
        QImageReader reader(QStringLiteral(":/pellinova/banner.jpg"));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.read().size(), QSize(326, 103));
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
        const auto argb = QImage::Format_ARGB32_Premultiplied;
        QCOMPARE(icon.pixmap(size).toImage().convertToFormat(argb), picture.convertToFormat(argb));
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
