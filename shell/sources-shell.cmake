list(APPEND VELMORA_UI_SOURCES
  shell/Main.h shell/Main.cpp
  shell/ErrorDisplay.h shell/ErrorDisplay.cpp
  shell/Settings.cpp
  shell/OwnerDrawList.h shell/OwnerDrawList.cpp
  shell/EntriesList.h shell/EntriesList.cpp)
