# The reader window (velmoraui + velmoranote) and the demo library it opens by default.
find_package(Qt6 REQUIRED COMPONENTS Gui Widgets Quick WebEngineWidgets)
find_package(JPEG REQUIRED)

set(CMAKE_AUTOMOC ON)

add_library(velmoraui STATIC ${VELMORA_UI_SOURCES})
target_link_libraries(velmoraui PUBLIC velmoracore Qt6::Gui Qt6::Widgets Qt6::Quick Qt6::WebEngineWidgets JPEG::JPEG)
target_compile_options(velmoraui PRIVATE ${VELMORA_WARNINGS})

# The program sits in the demo folder, so that the bundled notes, scans and PDFs are found beside it.
set(VELMORA_DEMO_DIR ${CMAKE_BINARY_DIR}/demo)
add_executable(velmoranote shell/main.cpp)
target_link_libraries(velmoranote PRIVATE velmoraui)
target_compile_options(velmoranote PRIVATE ${VELMORA_WARNINGS})
set_target_properties(velmoranote PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VELMORA_DEMO_DIR})

add_executable(velmora-makedemo tools/makedemo.cpp ${VELMORA_DEMO_TOOL_SOURCES})
target_link_libraries(velmora-makedemo PRIVATE velmoracore Qt6::Gui JPEG::JPEG)
target_compile_options(velmora-makedemo PRIVATE ${VELMORA_WARNINGS})

add_custom_command(
  OUTPUT ${VELMORA_DEMO_DIR}/demo.stamp
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:velmora-makedemo> ${VELMORA_DEMO_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${VELMORA_DEMO_DIR}/demo.stamp
  DEPENDS velmora-makedemo
  COMMENT "Writing the demo library into ${VELMORA_DEMO_DIR}")
add_custom_target(velmora-demo ALL DEPENDS ${VELMORA_DEMO_DIR}/demo.stamp)
