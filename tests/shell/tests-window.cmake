velmora_add_test(tst_mainwindow shell/tst_mainwindow.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_capture shell/tst_capture.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_capturesession shell/tst_capturesession.cpp support/ReaderFixture.h GUI)
# The journals of readers that are gone, offered at start in one question.
velmora_add_test(tst_journaloffer shell/tst_journaloffer.cpp support/ReaderFixture.h GUI)

# Tests about the window's frame, focus, keys and dialogs run under a window manager: each run starts
# its own display and openbox (with-openbox.sh), so they may run side by side.
# velmora_add_openbox_test(NAME SOURCE [SCALES s...]): one run per screen scale (default: 1).
function(velmora_add_openbox_test name source)
  cmake_parse_arguments(T "" "" "SCALES" ${ARGN})
  if(NOT TARGET velmoraui)
    return()
  endif()
  if(NOT T_SCALES)
    set(T_SCALES 1)
  endif()
  add_executable(${name} ${source} support/ReaderFixture.h support/ErrorCheckedTest.h)
  target_compile_options(${name} PRIVATE ${VELMORA_WARNINGS})
  target_link_libraries(${name} PRIVATE velmoraui Qt6::Test)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  list(LENGTH T_SCALES count)
  foreach(scale ${T_SCALES})
    set(test ${name})
    if(count GREATER 1)
      set(test ${name}_scale${scale})
    endif()
    add_test(NAME ${test} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/with-openbox.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${test} PROPERTIES TIMEOUT 300 ENVIRONMENT
      "QT_SCALE_FACTOR=${scale};QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;VELMORA_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}")
  endforeach()
endfunction()

# The window's place under a window manager that draws frames, at three screen scales.
velmora_add_openbox_test(tst_windowplace shell/tst_windowplace.cpp SCALES 1 1.5 2)
# The manual, the PDF volumes and the desktop's standard keys.
velmora_add_openbox_test(tst_documents shell/tst_documents.cpp)
# The window from the keyboard alone: Tab order, the focus shown, context menus.
velmora_add_openbox_test(tst_keyboard shell/tst_keyboard.cpp)
# The keys that reach what the reader looks at, wherever the focus is.
velmora_add_openbox_test(tst_windowkeys shell/tst_windowkeys.cpp)
# Back and forward, the reading taken up again, a result shown in the entries list.
velmora_add_openbox_test(tst_reading shell/tst_reading.cpp)
# The panes' division, the badge, the field boxes, the notices, the status line, the close question's buttons.
velmora_add_openbox_test(tst_windowlayout shell/tst_windowlayout.cpp SCALES 1 2)
# Capture by proposals with real keys, on the demo's notes with their positions taken out.
if(TARGET velmora-makedemo)
  velmora_add_openbox_test(tst_proposals shell/tst_proposals.cpp)
  if(TARGET tst_proposals)
    target_sources(tst_proposals PRIVATE support/ScanWindow.h ${VELMORA_DEMO_TOOL_SOURCES})
    target_include_directories(tst_proposals PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(tst_proposals PRIVATE JPEG::JPEG)
  endif()
endif()
# Taking the notes out of the window: the export menu and dialog, cancel, and the citation's clipboard.
velmora_add_openbox_test(tst_exportwindow shell/tst_exportwindow.cpp)
# The reader's own marks and night reading, with real keys: what outlives a restart.
velmora_add_openbox_test(tst_readermarkswindow shell/tst_readermarkswindow.cpp)
