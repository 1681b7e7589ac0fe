# Debian's hardening for every program built here: fortified C library calls, a stack protector,
# position-independent executables and read-only relocations bound at start (bind-now).
option(VELMORA_HARDENING "Build with Debian's hardening flags" ON)
if(VELMORA_HARDENING AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  # Fortification needs the optimiser: a Debug build would only warn about it.
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  add_link_options(-Wl,-z,relro -Wl,-z,now -pie)
endif()
