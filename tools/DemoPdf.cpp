// PDF files of the demo library: the printed lecture volumes and the user manual readme.pdf.
// Text is drawn as outlines, so the files show the same on every PDF reader whatever fonts it has,
// and the PDF writer's time stamps are pinned so that every run writes the same bytes.

#include "tools/DemoLibrary.h"

#include "common/Error.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QRegularExpression>

#include <memory>

namespace demo {
namespace {

constexpr int kPdfDpi = 144;
constexpr double kMargin = 100; // device pixels at kPdfDpi, about 18 mm

enum class Style { Title, Subtitle, Heading, Body, Small, Verse };

struct Block {
    Style style;
    QString text;
};

QFont PdfFont(Style s) {
    QFont f(QStringLiteral("Noto Serif CJK TC"));
    switch (s) {
    case Style::Title:
        f.setPixelSize(40);
        f.setBold(true);
        break;
    case Style::Subtitle:
        f.setPixelSize(24);
        break;
    case Style::Heading:
        f.setPixelSize(24);
        f.setBold(true);
        break;
    case Style::Body:
        f.setPixelSize(17);
        break;
    case Style::Small:
        f.setPixelSize(14);
        break;
    case Style::Verse:
        f.setPixelSize(19);
        break;
    }
    return f;
}

QColor PdfColor(Style s) {
    switch (s) {
    case Style::Heading:
        return QColor(0x80, 0x20, 0x20);
    case Style::Small:
        return QColor(0x40, 0x40, 0x60);
    default:
        return QColor(0x10, 0x10, 0x10);
    }
}

// Lays text out line by line onto the pages of a PDF writer, starting a new page when full.
class PdfComposer {
public:
    PdfComposer(const QString &path, const QString &title) : file_(path) {
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw VelmoraError(QStringLiteral("cannot write %1: %2").arg(path, file_.errorString()));
        writer_ = std::make_unique<QPdfWriter>(&file_);
        writer_->setResolution(kPdfDpi);
        writer_->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer_->setTitle(title);
        writer_->setCreator(QStringLiteral("澄溪導師筆記"));
        painter_.begin(writer_.get());
        painter_.setRenderHint(QPainter::Antialiasing);
        height_ = writer_->height();
        width_ = writer_->width();
        y_ = kMargin;
    }

    void add(const Block &b) {
        const QFont font = PdfFont(b.style);
        const QFontMetricsF fm(font);
        const double lineHeight =
            fm.height() * (b.style == Style::Body || b.style == Style::Small ? 1.45 : 1.3);
        const double indent = b.style == Style::Verse ? 40 : 0;
        if (b.style == Style::Heading) y_ += lineHeight * 0.5;
        for (const QString &line : wrap(b.text, fm, width_ - 2 * kMargin - indent)) {
            if (y_ + lineHeight > height_ - kMargin) newPage();
            QPainterPath path;
            double x = kMargin + indent;
            if (b.style == Style::Title || b.style == Style::Subtitle)
                x = (width_ - fm.horizontalAdvance(line)) / 2;
            path.addText(x, y_ + fm.ascent(), font, line);
            painter_.fillPath(path, PdfColor(b.style));
            y_ += lineHeight;
        }
        y_ += lineHeight * 0.35;
    }

    void skip(double amount) { y_ += amount; }

    void newPage() {
        footer();
        writer_->newPage();
        ++page_;
        y_ = kMargin;
    }

    void finish() {
        footer();
        painter_.end();
        writer_.reset();
        file_.close();
        PinTimestamps(file_.fileName());
    }

private:
    void footer() {
        const QFont font = PdfFont(Style::Small);
        QPainterPath path;
        const QString text = QString::number(page_);
        path.addText((width_ - QFontMetricsF(font).horizontalAdvance(text)) / 2, height_ - kMargin / 2, font,
                     text);
        painter_.fillPath(path, QColor(0x60, 0x60, 0x60));
    }

    // Breaks at any CJK character and at spaces in Latin text; closing punctuation stays on its line.
    static QStringList wrap(const QString &text, const QFontMetricsF &fm, double width) {
        static const QString noStart = QStringLiteral("，。、；：？！」』）》〉,.;:)!?");
        QStringList units;
        for (int i = 0; i < text.size();) {
            int j = i + 1;
            if (text[i].unicode() < 0x2E80 && !text[i].isSpace())
                while (j < text.size() && text[j].unicode() < 0x2E80 && !text[j].isSpace())
                    ++j;
            else if (text[i].isSpace())
                while (j < text.size() && text[j].isSpace())
                    ++j;
            units.append(text.mid(i, j - i));
            i = j;
        }
        QStringList lines;
        QString cur;
        for (const QString &u : units) {
            if (!cur.isEmpty() && fm.horizontalAdvance(cur + u) > width && !noStart.contains(u.at(0)) &&
                !u.at(0).isSpace()) {
                lines.append(cur.trimmed());
                cur.clear();
            }
            if (cur.isEmpty() && u.at(0).isSpace()) continue;
            cur += u;
        }
        if (!cur.trimmed().isEmpty()) lines.append(cur.trimmed());
        return lines;
    }

    // The writer stamps the creation time into the document; a fixed stamp of the same length
    // keeps the cross-reference offsets valid.
    static void PinTimestamps(const QString &path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) throw VelmoraError(QStringLiteral("cannot read back %1").arg(path));
        QByteArray bytes = f.readAll();
        f.close();
        static const QRegularExpression pdfDate(QStringLiteral("D:\\d{14}"));
        static const QRegularExpression isoDate(QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d"));
        static const QRegularExpression uuid(
            QStringLiteral("[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}"));
        // Latin-1 keeps one character per byte, so offsets and lengths carry over to the bytes.
        QString text = QString::fromLatin1(bytes);
        const auto pin = [&](const QRegularExpression &re, const char *fixed) {
            auto it = re.globalMatch(text);
            while (it.hasNext()) {
                const auto m = it.next();
                const QByteArray repl = QByteArray(fixed).left(m.capturedLength());
                bytes.replace(m.capturedStart(), repl.size(), repl);
            }
        };
        pin(pdfDate, "D:20240301090000");
        pin(isoDate, "2024-03-01T09:00:00");
        pin(uuid, "7e5c1a2b-0d3f-4c1e-9a6b-2f4d8c0e1a35");
        // Time-zone suffixes follow the dates: "+08'00'" in PDF dates, "+08:00" in XMP.
        static const QRegularExpression pdfZone(QStringLiteral("(D:20240301090000)([-+Z][0-9']*)"));
        static const QRegularExpression isoZone(QStringLiteral("(2024-03-01T09:00:00)([-+Z][0-9:]*)"));
        text = QString::fromLatin1(bytes);
        for (const QRegularExpression *re : {&pdfZone, &isoZone}) {
            auto it = re->globalMatch(text);
            while (it.hasNext()) {
                const auto m = it.next();
                const QByteArray fixed = re == &pdfZone ? QByteArray("+08'00'") : QByteArray("+08:00");
                const qsizetype n = m.capturedLength(2);
                // UTC is written as a lone "Z"; other zones have the fixed form's length.
                const QByteArray zone = n == 1 ? QByteArray("Z") : n == fixed.size() ? fixed : QByteArray();
                if (!zone.isEmpty()) bytes.replace(m.capturedStart(2), n, zone);
            }
        }
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            throw VelmoraError(QStringLiteral("cannot write %1").arg(path));
    }

    QFile file_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    double y_ = 0;
    double width_ = 0;
    double height_ = 0;
    int page_ = 1;
};

const char *const kVolumeNumbers[] = {"一", "二", "三"};

} // namespace

QStringList WritePdfVolumes(const DemoBook &book, const QString &folder) {
    QList<const DemoEntry *> entries;
    for (const DemoPage &page : book.pages)
        for (const DemoEntry &e : page.entries)
            entries.append(&e);
    // K and N are printed in two volumes, the others in one.
    const int volumes = (book.letter == QLatin1Char('K') || book.letter == QLatin1Char('N')) ? 2 : 1;
    // A printed volume carries a selection of the lectures, enough for a few pages.
    const int perVolume = 14;
    QStringList names;
    for (int v = 0; v < volumes; ++v) {
        const QString number = QString::fromUtf8(kVolumeNumbers[v]);
        const QString name = QStringLiteral("%1卷%2.pdf").arg(book.letter).arg(number);
        PdfComposer pdf(folder + QLatin1Char('/') + name, QStringLiteral("%1 卷%2").arg(book.title, number));
        pdf.skip(260);
        pdf.add({Style::Title, book.title});
        pdf.add({Style::Subtitle, QStringLiteral("卷%1").arg(number)});
        pdf.skip(40);
        pdf.add({Style::Subtitle, QStringLiteral("澄溪導師筆記・%1冊").arg(book.letter)});
        pdf.skip(420);
        pdf.add(
            {Style::Small,
             QStringLiteral("本卷據課堂筆記整理，條目次第與筆記同。引文以通行本為主，校語附於各條之下。")});
        pdf.newPage();
        const int from = v * entries.size() / volumes;
        const int to = qMin(int(entries.size()), from + perVolume);
        for (int i = from; i < to; ++i) {
            const DemoEntry &e = *entries[i];
            QString head = e.headword.join(QString());
            while (head.startsWith(QChar(0x3000)))
                head.remove(0, 1);
            pdf.add({Style::Heading, QStringLiteral("%1　%2").arg(i + 1).arg(head)});
            for (const QString &line : e.content)
                pdf.add({Style::Verse, PlainText(line)});
            if (!e.note.isEmpty())
                pdf.add({Style::Small, QStringLiteral("【校】") + PlainText(e.note.join(QString()))});
            if (!e.remark.isEmpty())
                pdf.add({Style::Body, QStringLiteral("【案】") + PlainText(e.remark.join(QString()))});
            pdf.add({Style::Small, QStringLiteral("【出處】") + PlainText(e.source.join(QString()))});
        }
        pdf.finish();
        names.append(name);
    }
    return names;
}

// The keys of the reader, one line each: the key, where it works, what it does. The manual lists them
// in this order; a new key is one more line here.
struct KeyLine {
    const char *key;
    const char *where;
    const char *what;
};
constexpr KeyLine kKeys[] = {
    {"Ctrl+F", "條目頁", "開啟頁內尋找列 · find in the page"},
    {"F3 / Shift+F3", "條目頁（尋找列開啟時）", "再找下一個／上一個 · find again"},
    {"F3 / Shift+F3", "全視窗", "開啟下一條／上一條檢索結果 · next / previous search result"},
    {"Enter", "清單", "開啟所選的一列 · open the selected row"},
    {"Enter / Shift+Enter", "尋找列", "下一個／上一個符合處 · next / previous match"},
    {"Esc", "條目頁／尋找列", "關閉尋找列 · close the find bar"},
    {"Ctrl+加號 / Ctrl+減號 / Ctrl+0", "滑鼠所指的窗格",
     "條目頁文字、清單文字或圖檔的放大／縮小／還原 · larger / smaller / default, in the pane under the "
     "pointer"},
    {"Ctrl+Tab、↓", "檢索", "游標到檢索文字框；↓ 進入結果列表 · to the query box; Down into the results"},
    {"Ctrl+Tab、↓", "圖檔分頁／PDF",
     "游標到檔名篩選框；↓ 進入檔案列表 · to the name filter; Down into the list"},
    {"右鍵", "條目頁", "複製、全選、複製引用 · copy, select all, copy reference"},
    {"Ctrl+加號 / Ctrl+減號", "圖檔", "放大 1.1 倍／縮小為 0.9 倍 · zoom the scan in / out"},
    {"Ctrl+滾輪", "條目頁／圖檔", "文字大小／縮放圖檔 · text size / zoom the scan"},
    {"Alt+← / Alt+→、滑鼠上一頁／下一頁鍵", "全視窗",
     "上一個／下一個看過的條目 · back / forward between entries"},
    {"Ctrl+C", "條目頁", "以純文字複製所選內容 · copy the selection as plain text"},
    {"Ctrl+Shift+C", "全視窗", "複製引用，附掃描圖 · copy a citation with the piece of the scan"},
    {"Ctrl+L", "檢索結果", "在條目列表中顯示該條目 · show the result in the entries list"},
    {"W / P / 1", "全視窗（圖檔）", "符合寬度／整頁／100% · fit width / fit page / 100 %"},
    {"雙擊", "圖檔",
     "開啟所點之處所屬的條目（其書寫範圍內，或位置最近者）· open the entry written there, or placed nearest"},
    {"M", "圖檔", "顯示／隱藏各條目位置（右鍵選單「顯示條目位置」）· marks at every entry's position"},
    {"Ctrl+PageDown / Ctrl+PageUp", "全視窗（圖檔）",
     "同冊下一張／上一張圖檔 · next / previous scan of the notebook"},
    {"Ctrl+Z", "定位記錄模式", "復原上一次記錄的位置 · undo the last recorded position"},
    {"N", "定位記錄模式", "選取下一個尚無位置的條目 · next entry without a position"},
    {"Enter / 空白鍵", "定位記錄模式（圖檔）",
     "採用綠色圓圈所提議的位置，如同在該處按右鍵 · record the proposed position"},
    {"Tab / Shift+Tab", "定位記錄模式（圖檔）", "下一個／上一個候選位置 · next / previous candidate"},
    {"A", "定位記錄模式（圖檔）",
     "提議本頁所有未定位條目，以編號圓圈顯示 · propose every unplaced entry of the scan"},
    {"Ctrl+Enter", "定位記錄模式（圖檔）",
     "全部採用編號提議；Esc 取消 · record all numbered proposals; Esc leaves them"},
};

void WriteReadme(const QString &path) {
    QList<Block> keys = {{Style::Heading, QStringLiteral("九、按鍵一覽 · Keys")}};
    for (const KeyLine &k : kKeys)
        keys.append({Style::Body, QStringLiteral("%1（%2）：%3")
                                      .arg(QString::fromUtf8(k.key), QString::fromUtf8(k.where),
                                           QString::fromUtf8(k.what))});
    QList<Block> manual = {
        {Style::Title, QStringLiteral("澄溪導師筆記")},
        {Style::Subtitle, QStringLiteral("操作說明 · User Manual")},
        {Style::Heading, QStringLiteral("一、簡介")},
        {Style::Body, QStringLiteral("本程式用以閱讀澄溪導師歷年講學的筆記。筆記分為 K、M、N、O "
                                     "四冊，每冊的條目（條目、內容、校註、案語、出處）都附有原稿掃描圖檔，並"
                                     "記錄條目在該頁上的位置。另有 L 冊只有掃描圖檔，沒有筆記檔。")},
        {Style::Body, QStringLiteral("視窗分為三欄：左欄是分頁（條目、檢索、圖檔、PDF），中欄顯示所選條目的內"
                                     "容，右欄顯示原稿掃描。欄與欄之間的分隔線可以拖曳，調整各欄寬度。")},
        {Style::Heading, QStringLiteral("二、條目分頁")},
        {Style::Body,
         QStringLiteral("「條目」分頁列出四冊筆記的所有條目。上方 K、M、N、O "
                        "四個勾選框決定顯示哪幾冊。以方括號標示的列，例如 "
                        "[K001]，是頁面標題，表示以下條目寫在該頁原稿上；條目名稱較長時分成數行顯示。")},
        {Style::Body, QStringLiteral("點選一個條目，中欄即顯示其條目、內容、校註、案語與出處（出處以藍字表示"
                                     "），筆記中的色底、紅字、粗體與底線標記照原樣呈現。")},
        {Style::Heading, QStringLiteral("三、原稿掃描與紅點")},
        {Style::Body,
         QStringLiteral(
             "顯示條目的同時，右欄載入該條目所在頁的掃描圖檔，並捲動到條目的位置，使其位於視窗中間、約三分之"
             "一高處。條目位置以紅色圓點標示，紅點三秒後自動消失。尚未記錄位置的條目只捲動，不標紅點。")},
        {Style::Body,
         QStringLiteral(
             "反過來，在原稿掃描上雙擊滑鼠左鍵，即開啟位置最近的條目（距離在圖檔寬度十二分之一以內），如同在"
             "條目列表中點選；附近沒有條目時，右欄角落顯示「此處無條目」。按 M "
             "鍵或在右鍵選單勾選「顯示條目位置」，每個已記錄位置的條目都以藍色小圈標出，放大到 50% "
             "以上時旁附條目名稱；滑鼠停在小圈上會顯示條目名稱。檢索分頁有結果時，本頁中屬於檢索結果的條目以"
             "橙色標出，角落顯示「本頁 N 條」。")},
        {Style::Heading, QStringLiteral("四、縮放與捲動")},
        {Style::Body,
         QStringLiteral("按住 Ctrl 鍵轉動滑鼠滾輪可以縮放圖檔：向上每格放大 1.1 倍，向下每格縮小為 0.9 "
                        "倍。在圖檔上按滑鼠右鍵，可從選單直接選擇 25% 到 200% 的比例。不按 Ctrl "
                        "時，滾輪上下捲動圖檔；按住滑鼠左鍵拖曳，可以移動圖檔檢視其他部分。縮放比例在關閉程式"
                        "時記下，下次開啟沿用。")},
        {Style::Heading, QStringLiteral("五、檢索分頁")},
        {Style::Body,
         QStringLiteral("在「檢索」分頁的輸入框鍵入文字，結果隨打隨現。勾選框「條目」、「內容」、「出處」決定"
                        "檢索哪些欄位（勾選「內容」時連同校註一併檢索），案語則一律檢索；K、M、N、O "
                        "勾選框限定冊別。點選結果即顯示該條目，檢索文字在條目中以紅框標出。")},
        {Style::Body,
         QStringLiteral(
             "筆記以繁體書寫，又保留底本的異體字（爲與為、裏與裡、著與着）。勾選檢索框下的「繁簡異體」，檢索"
             "即不分簡體、繁體與異體：鍵入「学」也找到「學」，鍵入「為」也找到「爲」，條目中標出的是實際找到"
             "的字形；形近而非異體的字（如「学」與「覺」）不相混。不勾選時照原樣精確檢索。此勾選在關閉時記入 "
             "velmoranote.ini，下次沿用。命令列工具 velmora-notes search --fold 以同樣的方式檢索筆記檔。")},
        {Style::Heading, QStringLiteral("六、圖檔分頁")},
        {Style::Body, QStringLiteral("「圖檔」分頁列出 K、L、M、N、O "
                                     "五冊的全部掃描圖檔，依冊別分色。可用勾選框篩選冊別，或在輸入框鍵入部分"
                                     "檔名（例如 K003）過濾。點選檔名即在右欄顯示該頁，不標紅點。")},
        {Style::Heading, QStringLiteral("七、PDF 分頁與本說明")},
        {Style::Body,
         QStringLiteral(
             "「PDF」分頁列出各冊整理成書的 PDF 講義，篩選方式與圖檔分頁相同。點選檔名，即以系統預設的 PDF "
             "閱讀程式開啟。視窗上方的「操作說明」按鈕開啟本說明文件 readme.pdf。")},
        {Style::Heading, QStringLiteral("八、設定")},
        {Style::Body,
         QStringLiteral("程式資料夾中的 setup.ini 可以更改視窗標題（[System] 段的 "
                        "Title）。視窗位置、大小、各欄寬度與縮放比例在關閉時記入 velmoranote.ini。")},
    };
    manual += keys;
    manual += QList<Block>{
        {Style::Heading, QStringLiteral("English summary")},
        {Style::Body,
         QStringLiteral(
             "This reader shows the study notes of the teacher of Chengxi. Pick an entry in the entries tab "
             "(條目) to read it in the middle pane; the scanned page on the right scrolls to the entry and "
             "marks it with a red dot for three seconds. Search as you type in the search tab (檢索), "
             "choosing the fields and notebooks with the check boxes; tick 繁簡異體 to search across "
             "simplified, traditional and variant forms (学 finds 學, 為 finds 爲). Zoom the scan with Ctrl "
             "and the mouse wheel or from its right-click menu (25% to 200%), scroll it with the wheel and "
             "drag it with the left mouse button. The scans tab (圖檔) and the PDF tab list all page scans "
             "and PDF volumes; a PDF opens in your PDF reader.")},
    };
    PdfComposer pdf(path, QStringLiteral("澄溪導師筆記 操作說明"));
    for (const Block &b : manual)
        pdf.add(b);
    pdf.finish();
}

} // namespace demo
