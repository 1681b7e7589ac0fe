#include "platform/SystemError.h"

#include <QtTest>

#include <cerrno>
#include <clocale>

// Reasons for failed system calls read in Chinese, whatever the user's locale.
class TestSystemError : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { std::setlocale(LC_ALL, "C.UTF-8"); }

    void ourWordsOutsideChineseLocale_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << ENOENT << QStringLiteral("沒有此檔案或資料夾");
        QTest::newRow("no access") << EACCES << QStringLiteral("沒有存取權限");
        QTest::newRow("disk full") << ENOSPC << QStringLiteral("裝置上已無空間");
        QTest::newRow("read-only") << EROFS << QStringLiteral("檔案系統是唯讀的");
        QTest::newRow("number lost") << 0 << QStringLiteral("輸入／輸出錯誤");
        // A failure we have no words for keeps the C library's text rather than a vague one of ours.
        QTest::newRow("rare") << ENOTSOCK << QStringLiteral("Socket operation on non-socket");
    }
    void ourWordsOutsideChineseLocale() {
        QFETCH(int, error);
        QFETCH(QString, reason);
        QVERIFY(std::setlocale(LC_ALL, "C.UTF-8"));
        QCOMPARE(SystemErrorText(error), reason);
    }

    // In a Chinese locale the C library speaks for itself (its words, not ours), the rare ones too.
    void libraryWordsInChineseLocale() {
        if (!std::setlocale(LC_ALL, "zh_TW.UTF-8"))
            QSKIP("the zh_TW.UTF-8 locale is not built here (scripts/install-deps.sh builds it)");
        QCOMPARE(SystemErrorText(ENOENT), QStringLiteral("沒有此一檔案或目錄"));
        QCOMPARE(SystemErrorText(ENOTSOCK), QStringLiteral("Socket 在非 socket 上運作"));
    }
};

QTEST_GUILESS_MAIN(TestSystemError)
#include "tst_systemerror.moc"
