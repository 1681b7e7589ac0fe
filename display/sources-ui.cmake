list(APPEND VELMORA_UI_SOURCES
  display/WebHost.h display/WebHost.cpp
  display/SearchList.h display/SearchList.cpp)
