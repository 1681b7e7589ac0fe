# Sources of shell/: the settings file store (core).
list(APPEND VELMORA_CORE_SOURCES
  shell/IniFile.h shell/IniFile.cpp)
