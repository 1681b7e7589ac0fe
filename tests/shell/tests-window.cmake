velmora_add_test(tst_mainwindow shell/tst_mainwindow.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_ownerdrawlist shell/tst_ownerdrawlist.cpp GUI)
velmora_add_test(tst_capture shell/tst_capture.cpp support/ReaderFixture.h GUI)
velmora_add_test(tst_capturesession shell/tst_capturesession.cpp support/ReaderFixture.h GUI)

# The window's place under a window manager that draws frames, at three screen scales. Each run starts
# its own display and openbox (with-openbox.sh), so they may run side by side.
if(TARGET velmoraui)
  add_executable(tst_windowplace shell/tst_windowplace.cpp support/ReaderFixture.h)
  target_compile_options(tst_windowplace PRIVATE ${VELMORA_WARNINGS})
  target_link_libraries(tst_windowplace PRIVATE velmoraui Qt6::Test)
  target_include_directories(tst_windowplace PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(scale 1 1.5 2)
    add_test(NAME tst_windowplace_scale${scale}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/with-openbox.sh $<TARGET_FILE:tst_windowplace>)
    set_tests_properties(tst_windowplace_scale${scale} PROPERTIES TIMEOUT 300 ENVIRONMENT
      "QT_SCALE_FACTOR=${scale};QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;VELMORA_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}")
  endforeach()
endif()
