# Sources of platform/: Windows-style paths and folder listing, whole-file replacement (core), opening
# with the desktop (window).
list(APPEND VELMORA_CORE_SOURCES
  platform/WinPath.h platform/WinPath.cpp
  platform/AtomicFile.h platform/AtomicFile.cpp)
list(APPEND VELMORA_UI_SOURCES
  platform/DesktopOpen.h platform/DesktopOpen.cpp)
