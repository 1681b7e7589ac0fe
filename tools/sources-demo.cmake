# The demo library generator's own files, beside tools/makedemo.cpp.
list(APPEND VELMORA_DEMO_TOOL_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DemoLibrary.h ${CMAKE_CURRENT_LIST_DIR}/DemoLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DemoCorpus.cpp ${CMAKE_CURRENT_LIST_DIR}/DemoScans.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DemoPdf.cpp)
