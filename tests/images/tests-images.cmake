# The page images subsystem: viewer arithmetic (core), JPEG decoding and the viewer window parts.
velmora_add_test(tst_viewermath images/tst_viewermath.cpp)
velmora_add_test(tst_jpeg images/tst_jpeg.cpp support/OddFiles.h GUI)
# The progressive scan bomb is made at test time by this generator, not kept as a large file.
add_executable(make_scan_bomb images/make_scan_bomb.cpp)
target_link_libraries(make_scan_bomb PRIVATE JPEG::JPEG)
if(TARGET tst_jpeg)
  target_compile_definitions(tst_jpeg PRIVATE VELMORA_SCAN_BOMB_PROGRAM="$<TARGET_FILE:make_scan_bomb>")
  add_dependencies(tst_jpeg make_scan_bomb)
endif()
velmora_add_test(tst_viewer images/tst_viewer.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_scancache images/tst_scancache.cpp GUI)
velmora_add_test(tst_scanfeatures images/tst_scanfeatures.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_largescan images/tst_largescan.cpp GUI)
