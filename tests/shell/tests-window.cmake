velmora_add_test(tst_mainwindow shell/tst_mainwindow.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_capture shell/tst_capture.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_capturesession shell/tst_capturesession.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_windowkeys shell/tst_windowkeys.cpp support/ReaderFixture.h GUI)
