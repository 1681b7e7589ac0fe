# Sources of corpus/: core (QtCore only) and window parts.
list(APPEND VELMORA_CORE_SOURCES
  corpus/Data.h corpus/Data.cpp
  corpus/Error.h corpus/Error.cpp
  corpus/NotesText.h corpus/NotesText.cpp
  corpus/NotesWalk.h corpus/NotesWalk.cpp)
# The notes checker behind velmora-notes.
list(APPEND VELMORA_CORE_SOURCES
  corpus/NotesCheck.h corpus/NotesCheck.cpp)
