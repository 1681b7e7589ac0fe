#pragma once
// The reason a system call failed, for messages that are otherwise all Chinese.

#include <QString>

// The C library's message for `error` when the user's language gives it in Chinese; otherwise our own
// words for the failures a reader of files meets; otherwise the C library's message as it is. An error
// number of 0 (a failure whose number was lost) reads as an input/output error, never "Success".
QString SystemErrorText(int error);
