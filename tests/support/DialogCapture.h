#pragma once
// What the window's dialogs would have shown, kept for the test instead: the errors, the notices and
// the questions asked, with the answer the test gives to every question.

#include "widgets/ErrorBoundary.h"

#include <QStringList>
#include <QtTest>

struct DialogCapture {
    QStringList errors, notices, questions;
    bool answer = true;

    // Takes the dialogs over, with nothing captured yet (a test's init()).
    void Install() {
        errors.clear();
        notices.clear();
        questions.clear();
        answer = true;
        SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
        SetNoticeDisplayForTesting([this](const QString &m) { notices << m; });
        SetQuestionAnswerForTesting([this](const QString &q) {
            questions << q;
            return answer;
        });
    }
};

// The errors alone, for tests that leave the other dialogs as they are.
struct ErrorCapture {
    QStringList errors;
    void Install() {
        errors.clear();
        SetErrorDisplayForTesting([this](const QString &m) { errors << m; });
    }
};

// No error was shown (a test's cleanup()).
#define VERIFY_NO_ERROR_SHOWN(capture)                                                                       \
    QVERIFY2((capture).errors.isEmpty(), qPrintable((capture).errors.join('\n')))
