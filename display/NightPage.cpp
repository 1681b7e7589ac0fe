#include "display/NightPage.h"

#include "display/EntryPage.h"

namespace {

// Hex colours only, so that the contrast of each text colour against each background can be checked.
constexpr char16_t kNightHead[] =
    u"<html>\n"
    u"<head>\n"
    u"\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
    u"\t<meta name=\"color-scheme\" content=\"dark\" />\n"
    u"\t<title>Title</title>\n"
    u"   <style>\n"
    u"       html, body {background-color: #1B1D22; color: #E3E3E3;}\n"
    u"       .bc {background-color: #0B4A50;}\n"
    u"       .yc {background-color: #474000;}\n"
    u"       .gc {background-color: #1B4A1B;}\n"
    u"       .rc {background-color: #5A1818;}\n"
    u"       .g2c {background-color: #2F3238;}\n"
    u"       .g5c {background-color: #40434A;}\n"
    u"       .blue {color: #8CC4F5;}\n"
    u"       .red {color: #FFA39A;}\n"
    u"       .bold {font-weight: bold;}\n"
    u"       .underline {text-decoration: underline;}\n"
    u"       .search {\n"
    u"\t\t\tborder: 1px #FFA39A solid;\n"
    u"\t\t\tpadding: 2px;\n"
    u"\t\t\tmargin: 2px;\n"
    u"\t\t\tcolor: #FFA39A;\n"
    u"\t\t\tborder-radius: 5px;\n"
    u"\t\t}\n"
    u"   </style>\n"
    u"</head>\n"
    u"<body>\n";

} // namespace

QString NightPageHead() {
    return QString::fromUtf16(kNightHead);
}

QString WrapNightPage(const QString &body) {
    return NightPageHead() + body + EntryPageTail();
}
