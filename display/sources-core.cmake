# Core sources of display/: the entry page and the search, pure text logic (QtCore only).
list(APPEND VELMORA_CORE_SOURCES
  display/EntryPage.h display/EntryPage.cpp
  display/Search.h display/Search.cpp)
