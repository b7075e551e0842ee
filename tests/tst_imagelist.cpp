#include "controls/imagelist.h"

#include <QImage>
#include <QtTest>

using namespace Torva;

class ImageListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysInTheirOrder();
    void picturesAreDrawnAndDistinct();
};

void ImageListTest::keysInTheirOrder()
{
    ImageList images;
    QCOMPARE(images.Keys(), (QStringList{"Folder", "Minutes", "FolderOpen", "Litigant", "Parties", "Party", "Hearings",
                                         "Hearing", "Alias", "Attorneys", "CheckboxTrue", "CheckboxFalse", "Documents",
                                         "Document_Old", "Document"}));
    QCOMPARE(images.Index(QStringLiteral("folderopen")), 2);
    QCOMPARE(images.Index(QStringLiteral("Nothing")), -1);
    QVERIFY(images.Picture(QStringLiteral("Nothing")).isNull());
    QVERIFY(images.Key(15).isEmpty());
}

void ImageListTest::picturesAreDrawnAndDistinct()
{
    ImageList images;
    QList<QImage> seen;
    for (int index = 0; index < images.Count(); ++index) {
        const QString key = images.Key(index);
        const QImage image = images.Picture(index).toImage();
        const int side = key.startsWith(QLatin1String("Checkbox")) ? 11 : 16;
        QCOMPARE(image.size(), QSize(side, side));
        QVERIFY2(image.hasAlphaChannel(), qPrintable(key));
        int painted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 0;
        }
        QVERIFY2(painted > side * side / 5, qPrintable(key));  // a picture, not a speck
        QVERIFY2(!seen.contains(image), qPrintable(key));
        seen << image;
    }
}

QTEST_MAIN(ImageListTest)
#include "tst_imagelist.moc"
