# velmora-notes search, run as a real process.
velmora_add_test(tst_notessearch tools/tst_notessearch.cpp)
target_compile_definitions(tst_notessearch PRIVATE VELMORA_NOTES_PROGRAM="$<TARGET_FILE:velmora-notes>")
add_dependencies(tst_notessearch velmora-notes)
# velmora-notes marks, run as a real process.
velmora_add_test(tst_notesmarks tools/tst_notesmarks.cpp support/TestFiles.h)
target_compile_definitions(tst_notesmarks PRIVATE VELMORA_NOTES_PROGRAM="$<TARGET_FILE:velmora-notes>")
add_dependencies(tst_notesmarks velmora-notes)
