# Sources of platform/: Windows-style paths and folder listing (core), opening with the desktop (window).
list(APPEND VELMORA_CORE_SOURCES
  platform/WinPath.h platform/WinPath.cpp)
list(APPEND VELMORA_UI_SOURCES
  platform/DesktopOpen.h platform/DesktopOpen.cpp)
