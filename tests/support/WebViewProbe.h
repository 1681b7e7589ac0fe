#pragma once
// Reading the entry page back from the web view in window tests.

#include <QElapsedTimer>
#include <QString>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

// Runs a script in the program's own world of the web view and waits for its result.
inline QString Evaluate(QWebEngineView *view, const QString &script) {
    QString result;
    bool done = false;
    view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &v) {
        result = v.toString();
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 10000)
        QTest::qWait(20);
    return result;
}
