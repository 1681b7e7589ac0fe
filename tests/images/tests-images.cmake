# The page images subsystem: viewer arithmetic (core), JPEG decoding and the viewer window parts.
velmora_add_test(tst_viewermath images/tst_viewermath.cpp)
velmora_add_test(tst_jpeg images/tst_jpeg.cpp support/OddFiles.h GUI)
# The progressive scan bomb is made at test time by this generator, not kept as a large file.
if(TARGET tst_jpeg)
  target_link_libraries(tst_jpeg PRIVATE JPEG::JPEG) # it writes odd JPEG files itself
  add_executable(make_scan_bomb images/make_scan_bomb.cpp)
  target_link_libraries(make_scan_bomb PRIVATE JPEG::JPEG)
  target_compile_definitions(tst_jpeg PRIVATE VELMORA_SCAN_BOMB_PROGRAM="$<TARGET_FILE:make_scan_bomb>")
  add_dependencies(tst_jpeg make_scan_bomb)
endif()
velmora_add_test(tst_viewer images/tst_viewer.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_scancache images/tst_scancache.cpp GUI)
velmora_add_test(tst_scanfeatures images/tst_scanfeatures.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_largescan images/tst_largescan.cpp GUI)
# The scan as a map: the demo library's notes and a scan of it, at screen scale 1 and again at 2.
if(TARGET velmora-makedemo)
  velmora_add_test(tst_scanmap images/tst_scanmap.cpp support/ReaderFixture.h support/ScanWindow.h
                   ${VELMORA_DEMO_TOOL_SOURCES} GUI)
  target_include_directories(tst_scanmap PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(tst_scanmap PRIVATE JPEG::JPEG)
  add_test(NAME tst_scanmap_scale2 COMMAND tst_scanmap)
  set_tests_properties(tst_scanmap_scale2 PROPERTIES
    ENVIRONMENT "QT_SCALE_FACTOR=2;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;VELMORA_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}"
    TIMEOUT 300)
endif()
# A scan's layout, the position proposals and written regions (core: small scans drawn with libjpeg).
velmora_add_test(tst_pagelayout images/tst_pagelayout.cpp support/DrawnScan.h)
target_link_libraries(tst_pagelayout PRIVATE JPEG::JPEG)
