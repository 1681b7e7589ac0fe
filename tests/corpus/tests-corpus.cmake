velmora_add_test(tst_notesreader corpus/tst_notesreader.cpp)
velmora_add_test(tst_positionwriter corpus/tst_positionwriter.cpp)
velmora_add_test(tst_notescheck corpus/tst_notescheck.cpp)
# It runs the program itself for the exit statuses and the output.
target_compile_definitions(tst_notescheck PRIVATE VELMORA_NOTES_PROGRAM="$<TARGET_FILE:velmora-notes>")
add_dependencies(tst_notescheck velmora-notes)
velmora_add_test(tst_savefaults corpus/tst_savefaults.cpp support/FaultChild.h support/BigNotes.h)
velmora_add_test(tst_savekills corpus/tst_savekills.cpp support/FaultChild.h support/BigNotes.h)
velmora_add_test(tst_capturelog corpus/tst_capturelog.cpp support/FaultChild.h)
