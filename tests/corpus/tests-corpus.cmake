velmora_add_test(tst_notesreader corpus/tst_notesreader.cpp)
velmora_add_test(tst_positionwriter corpus/tst_positionwriter.cpp)
velmora_add_test(tst_savefaults corpus/tst_savefaults.cpp support/FaultChild.h support/BigNotes.h)
velmora_add_test(tst_savekills corpus/tst_savekills.cpp support/FaultChild.h support/BigNotes.h)
