# velmora-notes propose, run as a real process on scans drawn for it.
velmora_add_test(tst_notespropose tools/tst_notespropose.cpp support/DrawnScan.h)
target_link_libraries(tst_notespropose PRIVATE JPEG::JPEG)
target_compile_definitions(tst_notespropose PRIVATE VELMORA_NOTES_PROGRAM="$<TARGET_FILE:velmora-notes>")
add_dependencies(tst_notespropose velmora-notes)
