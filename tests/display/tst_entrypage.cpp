// The entry page: the body built from a record, the highlight, and the fixed head and tail.

#include "display/EntryPage.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include "support/HighlightModel.h"
#include "support/NoteFixtures.h"
#include "support/RandomText.h"

Q_DECLARE_METATYPE(NoteEntry)

class TestEntryPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headAndTail() {
        const QString head = EntryPageHead();
        QCOMPARE(head.size(), 648);
        QCOMPARE(EntryPageTail(), QStringLiteral("\n</body></html>"));
        QVERIFY(!head.contains(QLatin1Char('\r')));
        const QStringList lines = head.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 26); // 25 lines, each ended by a line feed
        QCOMPARE(lines.last(), QString());
        for (QChar c : head)
            QVERIFY(c.unicode() < 0x80);
        QCOMPARE(lines[0], QStringLiteral("<html>"));
        QCOMPARE(
            lines[2],
            QStringLiteral("\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />"));
        QCOMPARE(lines[4], QStringLiteral("   <style>"));
        QCOMPARE(lines[11], QStringLiteral("       .blue {color: #0070C0;}"));
        QCOMPARE(lines[15], QStringLiteral("       .search {"));
        QCOMPARE(lines[20], QStringLiteral("\t\t\tborder-radius: 5px;"));
        QCOMPARE(lines[21], QStringLiteral("\t\t}"));
        QCOMPARE(lines[22], QStringLiteral("   </style>"));
        QCOMPARE(lines[24], QStringLiteral("<body>"));

        const QString page = WrapPage(QStringLiteral("x<&>y"));
        QCOMPARE(page, head + QStringLiteral("x<&>y") + EntryPageTail());
        QCOMPARE(WrapPage(QString()).size(), 648 + 15);
    }

    void workedExample() {
        const NoteEntry e = Entry(QStringLiteral("　甲乙"), QStringLiteral("丙丁甲<br><br>甲乙己"), {}, {},
                                  QStringLiteral("《某書》卷一<br><br>"));
        const QString body = BuildEntryPage(e);
        QCOMPARE(body,
                 QStringLiteral("【條目】<br>甲乙<br><br>【內容】<br>丙丁甲<br><br>甲乙己<br><br>【出處】<br>"
                                "<span class=\"blue\">《某書》卷一<br><br></span>"));
        const QString marked = HighlightWords(body, QStringLiteral("甲乙"));
        QCOMPARE(marked, QStringLiteral(
                             "【條目】<br><span class='search'>甲乙</span><br><br>【內容】<br>丙丁甲<br><br>"
                             "<span class='search'>甲乙</span>己<br><br>【出處】<br><span class=\"blue\">"
                             "《某書》卷一<br><br></span>"));
        const QString page = WrapPage(marked);
        QVERIFY(page.startsWith(EntryPageHead()));
        QVERIFY(page.endsWith(QStringLiteral("</span>\n</body></html>")));
        QCOMPARE(page.size(), 648 + marked.size() + 15);
    }

    void body_data() {
        QTest::addColumn<NoteEntry>("entry");
        QTest::addColumn<QString>("body");
        const QString head = QStringLiteral("【條目】<br>");
        const QString content = QStringLiteral("<br><br>【內容】<br>");
        // clang-format off
        QTest::newRow("content only") << Entry(QStringLiteral("甲"), QStringLiteral("乙")) << head + "甲" + content + "乙";
        QTest::newRow("everything empty") << Entry({}, {}) << head + content;
        QTest::newRow("title of ideographic spaces")
            << Entry(QStringLiteral("　　"), QStringLiteral("乙")) << head + content + "乙";
        QTest::newRow("other leading space kept")
            << Entry(QStringLiteral(" 　X"), {}) << head + QStringLiteral(" 　X") + content;
        QTest::newRow("inner ideographic space kept")
            << Entry(QStringLiteral("　甲　乙　"), {}) << head + QStringLiteral("甲　乙　") + content;
        QTest::newRow("note then remark")
            << Entry(QStringLiteral("甲"), QStringLiteral("丙"), QStringLiteral("乙<br><br>"),
                     QStringLiteral("案：甲<br><br>"))
            << head + "甲" + content + QStringLiteral("丙<br><br>【校註】<br>乙<br><br>案：甲<br><br>");
        QTest::newRow("remark right after content")
            << Entry(QStringLiteral("甲"), QStringLiteral("丙"), {}, QStringLiteral("案：甲<br><br>"))
            << head + "甲" + content + QStringLiteral("丙案：甲<br><br>");
        QTest::newRow("separator-only fields still make their sections")
            << Entry(QStringLiteral("甲"), QStringLiteral("<br>"), QStringLiteral("<br>"), {}, QStringLiteral(" "))
            << head + "甲" + content + QStringLiteral("<br><br><br>【校註】<br><br><br><br>【出處】<br><span "
                                                      "class=\"blue\"> </span>");
        QTest::newRow("nothing escaped")
            << Entry(QStringLiteral("a<b>&amp;"), QStringLiteral("<i>x</i> & y > z"))
            << head + QStringLiteral("a<b>&amp;") + content + QStringLiteral("<i>x</i> & y > z");
        // clang-format on
    }
    void body() {
        QFETCH(NoteEntry, entry);
        QFETCH(QString, body);
        QCOMPARE(BuildEntryPage(entry), body);
    }

    void highlight_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("result");
        const QString o = QStringLiteral("<span class='search'>");
        const QString c = QStringLiteral("</span>");
        // clang-format off
        QTest::newRow("no overlap") << "xaaa" << "aa" << "x" + o + "aa" + c + "a";
        QTest::newRow("restarts after match") << "ababa" << "aba" << o + "aba" + c + "ba";
        QTest::newRow("case sensitive") << "a" << "A" << "a";
        QTest::newRow("section head") << QStringLiteral("【內容】<br>") << QStringLiteral("內容")
                                      << QStringLiteral("【") + o + QStringLiteral("內容") + c + QStringLiteral("】<br>");
        // Markup is copied unchanged: only the text between tags and entity references is marked.
        const QString sources = QStringLiteral("乙<br><br>【出處】<br><span class=\"blue\">blue span&amp;amp</span>");
        QTest::newRow("br") << "x<br>y br<br/>" << "br" << "x<br>y " + o + "br" + c + "<br/>";
        QTest::newRow("span") << sources << "span"
                              << QStringLiteral("乙<br><br>【出處】<br><span class=\"blue\">blue ") + o + "span" + c +
                                     "&amp;amp</span>";
        QTest::newRow("blue") << sources << "blue"
                              << QStringLiteral("乙<br><br>【出處】<br><span class=\"blue\">") + o + "blue" + c +
                                     " span&amp;amp</span>";
        QTest::newRow("amp") << sources << "amp"
                             << QStringLiteral("乙<br><br>【出處】<br><span class=\"blue\">blue span&amp;") + o + "amp" + c +
                                    "</span>";
        QTest::newRow("match does not cross a tag") << "ab<i>c" << "bc" << "ab<i>c";
        QTest::newRow("numeric entity and tag kept") << "&#12354;x<a href='x'>x</a>" << "x"
                                                     << "&#12354;" + o + "x" + c + "<a href='x'>" + o + "x" + c + "</a>";
        QTest::newRow("lone < is text") << "a<b br" << "<b" << "a" + o + "<b" + c + " br";
        QTest::newRow("> before < is text") << "b>a<i>" << "b>a" << o + "b>a" + c + "<i>";
        QTest::newRow("& that starts no entity is text") << "a&b c&; d&x y;" << "&" << "a" + o + "&" + c + "b c" + o + "&" + c + "; d" + o + "&" + c + "x y;";
        QTest::newRow("query with markup finds nothing") << "a<br>b" << "a<br>" << "a<br>b";
        QTest::newRow("empty word") << "a<br>b" << "" << "a<br>b";
        QTest::newRow("empty body") << "" << "a" << "";
        QTest::newRow("no match") << "abc" << "abd" << "abc";
        QTest::newRow("whole body") << "abc" << "abc" << o + "abc" + c;
        QTest::newRow("inserted text not searched again") << "span" << "span" << o + "span" + c;
        QTest::newRow("surrogate pair") << QStringLiteral("甲𠀀乙𠀀") << QStringLiteral("𠀀")
                                        << QStringLiteral("甲") + o + QStringLiteral("𠀀") + c + QStringLiteral("乙") +
                                               o + QStringLiteral("𠀀") + c;
        // clang-format on
    }
    void highlight() {
        QFETCH(QString, body);
        QFETCH(QString, word);
        QFETCH(QString, result);
        QCOMPARE(HighlightWords(body, word), result);
    }

    // Random bodies over a tiny alphabet, so matches, tags and entity references crowd, touch and nearly
    // overlap.
    void highlightAgreesWithCopyingLoop() {
        QRandomGenerator rng(7);
        const QString alphabet = QStringLiteral("ab<>&;#甲");
        auto randomText = [&](int maxLen) { return RandomText(rng, alphabet, maxLen); };
        for (int i = 0; i < 3000; ++i) {
            const QString body = randomText(40);
            const QString word = randomText(3);
            QCOMPARE(HighlightWords(body, word), ModelHighlight(body, word));
        }
    }
};

QTEST_APPLESS_MAIN(TestEntryPage)
#include "tst_entrypage.moc"
