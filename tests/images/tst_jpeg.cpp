// Decoding page scans: colour, grey and Adobe CMYK files, Windows-style paths, decoding at a fraction of
// the size, the errors for files that are missing, truncated, corrupt, not JPEG at all or too large,
// and the memory of a large picture given back.
#include "common/Error.h"
#include "images/JpegImage.h"
#include "support/OddFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <jpeglib.h>
#include <unistd.h>

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

// Resident memory of this process, from /proc/self/statm.
qint64 ResidentBytes() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

// Peak resident memory since the last ResetPeakResident(), from /proc/self/status; -1 when unknown.
qint64 PeakResidentBytes() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

bool ResetPeakResident() {
    QFile clear("/proc/self/clear_refs");
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

void WriteBytes(const QString &path, const QByteArray &bytes) {
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(out.write(bytes), bytes.size());
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
    void refusesPictureOverPixelBudget();
    void givesBackMemoryOfLargePicture();
    void decodesAtFractionOfSize_data();
    void decodesAtFractionOfSize();
    void refusesScanBomb();
    void refusesNamedPipe();
    void abandonsWhenAsked();

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
    QTest::addColumn<int>("keepBytes"); // of the good file, followed by `bytes`; -1 writes `bytes` alone
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing.jpg" << -2 << QByteArray()
                             << "Cannot open file \"missing.jpg\". 沒有此檔案或資料夾";
    QTest::newRow("folder") << "folder.jpg" << -3 << QByteArray()
                            << "Cannot open file \"folder.jpg\". 這是資料夾";
    // The JPEG faults are said in our words after the file's name.
    QTest::newRow("empty") << "empty.jpg" << -1 << QByteArray() << "empty.jpg\"：檔案是空的";
    QTest::newRow("truncated in the data")
        << "cut.jpg" << 700 << QByteArray() << "cut.jpg\"：檔案不完整，圖像資料在中途截斷";
    QTest::newRow("truncated in the data, end marker appended")
        << "cutend.jpg" << 700 << QByteArray("\xff\xd9", 2) << "cutend.jpg\"：檔案不完整，圖像資料在中途截斷";
    QTest::newRow("truncated in the header")
        << "head.jpg" << 40 << QByteArray() << "head.jpg\"：檔案不完整，圖像資料在中途截斷";
    QTest::newRow("not a JPEG") << "text.jpg" << -1 << QByteArray("hello, this is text\n")
                                << "text.jpg\"：這不是 JPEG 圖檔";
    QTest::newRow("PNG named jpg") << "png.jpg" << -1 << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                   << "png.jpg\"：這不是 JPEG 圖檔";
    QTest::newRow("JPEG start then garbage")
        << "garbage.jpg" << -1 << QByteArray("\xff\xd8\xff\xc0\x00\x02\x12\x34\x56\x78\x9a", 11)
        << "garbage.jpg\"：檔案不完整，圖像資料在中途截斷";
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
        const QByteArray content = keepBytes >= 0 ? in.readAll().left(keepBytes) + bytes : bytes;
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

void TestJpeg::refusesPictureOverPixelBudget() {
    // A few hundred bytes whose header claims 60000 x 60000 pixels (14 GB as RGB32): a small grey file
    // with its frame header's size changed, so its little picture data ends at the end marker.
    QImage small(16, 16, QImage::Format_Grayscale8);
    small.fill(128);
    QVERIFY(small.save(dir_.filePath("small.jpg"), "JPG", 50));
    QFile in(dir_.filePath("small.jpg"));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QByteArray bomb = in.readAll();
    const qsizetype frame = bomb.indexOf("\xff\xc0");
    QVERIFY(frame > 0);
    const char size[4] = {char(60000 >> 8), char(60000 & 0xff), char(60000 >> 8), char(60000 & 0xff)};
    bomb.replace(frame + 5, 4, QByteArray(size, 4));
    QVERIFY(bomb.size() < 400);
    WriteBytes(dir_.filePath("bomb.jpg"), bomb);

    const bool peakKnown = ResetPeakResident();
    const qint64 peakBefore = PeakResidentBytes();
    try {
        DecodeJpegFile("bomb.jpg");
        QFAIL("no error raised");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains("bomb.jpg\"") && e.message().contains("60000 x 60000") &&
                     e.message().contains("150 百萬像素"),
                 qPrintable(e.message()));
    }
    // Refused from the header: nothing near the picture's size was ever touched.
    if (peakKnown)
        QVERIFY2(PeakResidentBytes() - peakBefore < 64 << 20,
                 qPrintable(QString::number(PeakResidentBytes() - peakBefore)));

    // Just inside the budget the same header is only refused for its missing picture data.
    const char inside[4] = {char(10000 >> 8), char(10000 & 0xff), char(15000 >> 8), char(15000 & 0xff)};
    bomb.replace(frame + 5, 4, QByteArray(inside, 4));
    WriteBytes(dir_.filePath("inside.jpg"), bomb);
    try {
        DecodeJpegFile("inside.jpg");
        QFAIL("no error raised");
    } catch (const VelmoraError &e) {
        QVERIFY2(!e.message().contains("百萬像素"), qPrintable(e.message()));
    }
}

void TestJpeg::givesBackMemoryOfLargePicture() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer holds freed memory in quarantine");
#endif
    // 6000 x 6000 decodes into 144 MB; a page after it needs only a fraction of that.
    {
        QImage large(6000, 6000, QImage::Format_Grayscale8);
        large.fill(200);
        QVERIFY(large.save(dir_.filePath("large.jpg"), "JPG", 50));
    }
    DecodeJpegFile(good_); // settle the decoder's own first-use allocations
    const qint64 before = ResidentBytes();
    QVERIFY(before > 0);
    {
        const QImage image = DecodeJpegFile(dir_.filePath("large.jpg"));
        QCOMPARE(image.size(), QSize(6000, 6000));
        QVERIFY(ResidentBytes() - before > 100 << 20);
    }
    QCOMPARE(DecodeJpegFile(good_).size(), QSize(64, 48));
    const qint64 after = ResidentBytes();
    QVERIFY2(after - before < 32 << 20, qPrintable(QString("%1 MB still held").arg((after - before) >> 20)));
}

void TestJpeg::decodesAtFractionOfSize_data() {
    QTest::addColumn<int>("denominator");
    QTest::addColumn<QSize>("size"); // of a 250 x 190 picture: each side rounded up
    QTest::newRow("1/2") << 2 << QSize(125, 95);
    QTest::newRow("1/4") << 4 << QSize(63, 48);
    QTest::newRow("1/8") << 8 << QSize(32, 24);
}

void TestJpeg::decodesAtFractionOfSize() {
    QFETCH(int, denominator);
    QFETCH(QSize, size);
    // Smooth colour gradients, so that two ways of scaling agree closely.
    QImage picture(250, 190, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 255 / 249, y * 255 / 189, 255 - (x + y) * 255 / 438));
    const QString path = dir_.filePath("gradient.jpg");
    QVERIFY(picture.save(path, "JPG", 95));

    const QImage scaled = DecodeJpegFile(path, JpegScale(denominator));
    QCOMPARE(scaled.size(), size);
    QCOMPARE(scaled.format(), QImage::Format_RGB32);
    const QImage reference =
        DecodeJpegFile(path).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int worst = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb a = scaled.pixel(x, y), b = reference.pixel(x, y);
            worst = std::max(
                {worst, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
            QCOMPARE(qAlpha(a), 255);
        }
    QVERIFY2(worst <= 12, qPrintable(QString("largest difference %1").arg(worst)));
}

// A progressive picture of 704 valid scans, made at test time by the small generator beside this test.
// It is refused with a message, before any decoding; a progressive file of a few scans still decodes.
void TestJpeg::refusesScanBomb() {
    const QString bomb = dir_.filePath("bomb.jpg");
    QCOMPARE(QProcess::execute(QStringLiteral(VELMORA_SCAN_BOMB_PROGRAM), {bomb, "256", "256"}), 0);
    try {
        DecodeJpegFile(bomb);
        QFAIL("a picture of 704 scans was decoded");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains("bomb.jpg") && e.message().contains("704"), qPrintable(e.message()));
    }
    const QString progressive = dir_.filePath("progressive.jpg");
    QImage picture(200, 120, QImage::Format_RGB32);
    picture.fill(qRgb(10, 120, 200));
    QVERIFY(picture.save(progressive, "JPG", 90));
    QCOMPARE(QProcess::execute("jpegtran", {"-progressive", "-outfile", progressive + ".p", progressive}), 0);
    QCOMPARE(DecodeJpegFile(progressive + ".p").size(), QSize(200, 120));
}

// A named pipe where a scan is expected is refused at once instead of blocking the decoding thread.
void TestJpeg::refusesNamedPipe() {
    const QString pipe = dir_.filePath("K1.jpg");
    QVERIFY(MakeFifo(pipe));
    FifoReleaser releaser(pipe);
    try {
        DecodeJpegFile(pipe);
        QFAIL("no error raised");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().contains("具名管道"), qPrintable(e.message()));
    }
    QVERIFY(!releaser.releasedAReader());
}

// A decode whose caller no longer wants it stops on the caller's word, with JpegDecodeAbandoned.
void TestJpeg::abandonsWhenAsked() {
    int asked = 0;
    QVERIFY_THROWS_EXCEPTION(JpegDecodeAbandoned,
                             DecodeJpegFile(good_, JpegScale::Full, [&] { return ++asked > 1; }));
    QCOMPARE(asked, 2);
    QCOMPARE(DecodeJpegFile(good_, JpegScale::Full, [] { return false; }).size(), QSize(64, 48));
}

QTEST_MAIN(TestJpeg)
#include "tst_jpeg.moc"
