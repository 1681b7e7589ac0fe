# velmora_library(NAME SOURCES... LINKS targets...): one static library of the project, warnings on,
# headers included from the project's root ("corpus/Data.h").
function(velmora_library name)
  cmake_parse_arguments(L "" "" "LINKS" ${ARGN})
  add_library(${name} STATIC ${L_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_LINKS})
  target_compile_options(${name} PRIVATE ${VELMORA_WARNINGS})
  target_compile_definitions(${name} PUBLIC QT_NO_KEYWORDS)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
endfunction()
