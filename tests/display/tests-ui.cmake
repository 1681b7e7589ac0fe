velmora_add_test(tst_searchlist display/tst_searchlist.cpp support/ReaderFixture.h support/ErrorCheckedTest.h GUI)
velmora_add_test(tst_entryview display/tst_entryview.cpp support/ReaderFixture.h GUI)
