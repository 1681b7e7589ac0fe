// The page image pane in the reader window.
#include <QtTest>

class TestViewer : public QObject {
    Q_OBJECT
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
