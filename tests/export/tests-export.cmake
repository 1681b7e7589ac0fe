# The export: its forms, crops and failures through the real velmora-notes process, and its pure parts
# (zones, markup) in process. A core test: it also runs in the sanitizer build.
velmora_add_test(tst_export export/tst_export.cpp support/DrawnScan.h)
target_link_libraries(tst_export PRIVATE PkgConfig::TURBOJPEG JPEG::JPEG)
target_compile_definitions(tst_export PRIVATE VELMORA_NOTES_PROGRAM="$<TARGET_FILE:velmora-notes>")
add_dependencies(tst_export velmora-notes)
# The site in a real browser: headless Chromium takes a picture of an entry page.
velmora_add_test(tst_exportsite export/tst_exportsite.cpp GUI)
if(TARGET tst_exportsite)
  target_link_libraries(tst_exportsite PRIVATE PkgConfig::TURBOJPEG)
  target_compile_definitions(tst_exportsite PRIVATE VELMORA_NOTES_PROGRAM="$<TARGET_FILE:velmora-notes>")
  add_dependencies(tst_exportsite velmora-notes)
endif()
