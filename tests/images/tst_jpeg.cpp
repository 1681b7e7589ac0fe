// Decoding page scans: colour, grey and Adobe CMYK files, Windows-style paths, and the errors for
// files that are missing, truncated, corrupt or not JPEG at all.
#include "corpus/Error.h"
#include "images/JpegImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <jpeglib.h>

namespace {

// A CMYK JPEG as image programs write it: Adobe marker and inverted ink values.
void WriteAdobeCmyk(const QString &path, int width, int height, const unsigned char ink[4]) {
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(f);
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    QByteArray row(width * 4, 0);
    for (int i = 0; i < width; ++i)
        for (int k = 0; k < 4; ++k)
            row[i * 4 + k] = char(255 - ink[k]);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

bool Near(QRgb a, QRgb b, int tolerance = 8) {
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class TestJpeg : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void decodesColourPicture();
    void decodesGreyAndCmyk();
    void resolvesWindowsPathIgnoringCase();
    void refusesUnreadableFiles_data();
    void refusesUnreadableFiles();

private:
    QTemporaryDir dir_;
    QString good_;
};

void TestJpeg::init() {
    QVERIFY(dir_.isValid());
    QDir::setCurrent(dir_.path());
    // Left half red, right half blue, with a row of green at the very bottom: orientation and colour
    // order both show.
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 48; ++y)
        for (int x = 32; x < 64; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    for (int y = 40; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            picture.setPixel(x, y, qRgb(0, 255, 0));
    good_ = dir_.filePath("good.jpg");
    QVERIFY(picture.save(good_, "JPG", 95));
}

void TestJpeg::decodesColourPicture() {
    const QImage image = DecodeJpegFile(good_);
    QCOMPARE(image.size(), QSize(64, 48));
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QVERIFY(Near(image.pixel(8, 8), qRgb(255, 0, 0)));
    QVERIFY(Near(image.pixel(56, 8), qRgb(0, 0, 255)));
    QVERIFY(Near(image.pixel(8, 45), qRgb(0, 255, 0)));
    // The unused byte of RGB32 must be opaque, or painting would blend the page away.
    QCOMPARE(qAlpha(image.pixel(8, 8)), 255);
}

void TestJpeg::decodesGreyAndCmyk() {
    QImage grey(20, 10, QImage::Format_Grayscale8);
    grey.fill(100);
    QVERIFY(grey.save(dir_.filePath("grey.jpg"), "JPG", 95));
    const QImage g = DecodeJpegFile(dir_.filePath("grey.jpg"));
    QCOMPARE(g.size(), QSize(20, 10));
    QVERIFY(Near(g.pixel(5, 5), qRgb(100, 100, 100), 3));

    const unsigned char red[4] = {0, 255, 255, 0};
    WriteAdobeCmyk(dir_.filePath("cmyk.jpg"), 16, 16, red);
    const QImage c = DecodeJpegFile(dir_.filePath("cmyk.jpg"));
    QCOMPARE(c.size(), QSize(16, 16));
    QVERIFY2(Near(c.pixel(8, 8), qRgb(255, 0, 0)), qPrintable(QString::number(c.pixel(8, 8), 16)));
}

void TestJpeg::resolvesWindowsPathIgnoringCase() {
    QDir(dir_.path()).mkpath("Image/K");
    QVERIFY(QFile::copy(good_, dir_.filePath("Image/K/K12.jpg")));
    QCOMPARE(DecodeJpegFile(".\\image\\k\\K12.jpg").size(), QSize(64, 48));
}

void TestJpeg::refusesUnreadableFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("keepBytes"); // of the good file; -1 writes `bytes` instead
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing.jpg" << -2 << QByteArray()
                             << "Cannot open file \"missing.jpg\". No such file or directory";
    QTest::newRow("folder") << "folder.jpg" << -3 << QByteArray() << "Cannot open file \"folder.jpg\". Is a directory";
    QTest::newRow("empty") << "empty.jpg" << -1 << QByteArray() << "empty.jpg";
    QTest::newRow("truncated in the data") << "cut.jpg" << 700 << QByteArray() << "cut.jpg";
    QTest::newRow("truncated in the header") << "head.jpg" << 40 << QByteArray() << "head.jpg";
    QTest::newRow("not a JPEG") << "text.jpg" << -1 << QByteArray("hello, this is text\n") << "text.jpg";
    QTest::newRow("PNG named jpg") << "png.jpg" << -1 << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "png.jpg";
    QTest::newRow("JPEG start then garbage") << "garbage.jpg" << -1
                                             << QByteArray("\xff\xd8\xff\xc0\x00\x02\x12\x34\x56\x78\x9a", 11)
                                             << "garbage.jpg";
}

void TestJpeg::refusesUnreadableFiles() {
    QFETCH(QString, name);
    QFETCH(int, keepBytes);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    if (keepBytes == -3) {
        QDir(dir_.path()).mkdir(name);
    } else if (keepBytes != -2) {
        QFile in(good_);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray content = keepBytes >= 0 ? in.readAll().left(keepBytes) : bytes;
        QFile out(dir_.filePath(name));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    try {
        DecodeJpegFile(name);
        QFAIL("no error raised");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
}

QTEST_MAIN(TestJpeg)
#include "tst_jpeg.moc"
