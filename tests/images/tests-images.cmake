# The page images subsystem: viewer arithmetic (core), JPEG decoding and the viewer window parts.
velmora_add_test(tst_viewermath images/tst_viewermath.cpp)
velmora_add_test(tst_jpeg images/tst_jpeg.cpp GUI)
velmora_add_test(tst_viewer images/tst_viewer.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_scancache images/tst_scancache.cpp GUI)
velmora_add_test(tst_scanfeatures images/tst_scanfeatures.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_largescan images/tst_largescan.cpp GUI)
