# The demo library generator; it exists only where the window and its demo are built.
if(TARGET velmora-makedemo)
  velmora_add_test(tst_demo tools/tst_demo.cpp ${VELMORA_DEMO_TOOL_SOURCES})
  target_link_libraries(tst_demo PRIVATE Qt6::Gui JPEG::JPEG)
  # Fonts without a display.
  set_property(TEST tst_demo APPEND PROPERTY ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
