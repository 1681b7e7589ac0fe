velmora_add_test(tst_searchlist display/tst_searchlist.cpp support/ReaderFixture.h GUI)
