velmora_add_test(tst_mainwindow shell/tst_mainwindow.cpp support/ReaderFixture.h GUI)
