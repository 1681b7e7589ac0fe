velmora_add_test(tst_mainwindow shell/tst_mainwindow.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_ownerdrawlist shell/tst_ownerdrawlist.cpp GUI)
