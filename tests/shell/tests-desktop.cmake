# At home on the desktop: which library the reader opens, accessible names, the menu entry and the
# software-centre description as the desktop's own validators read them, the installed tree, the package.
velmora_add_test(tst_librarylocation shell/tst_librarylocation.cpp support/TestFiles.h)
# One reader per library between processes started a moment apart.
velmora_add_test(tst_singleinstance shell/tst_singleinstance.cpp GUI)
velmora_add_test(tst_desktopwindow shell/tst_desktopwindow.cpp support/ReaderFixture.h support/ErrorCheckedTest.h GUI)
if(TEST tst_desktopwindow)
  add_test(NAME tst_desktopwindow_scale2 COMMAND tst_desktopwindow)
  set_tests_properties(tst_desktopwindow_scale2 PROPERTIES TIMEOUT 300 ENVIRONMENT
    "QT_SCALE_FACTOR=2;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu")
endif()

if(TARGET velmoranote)
  set(VELMORA_DESKTOP_FILES ${PROJECT_SOURCE_DIR}/shell/desktop)
  add_test(NAME tst_desktopentry COMMAND desktop-file-validate ${VELMORA_DESKTOP_FILES}/org.velmora.velmoranote.desktop)
  add_test(NAME tst_metainfo
           COMMAND appstreamcli validate --no-net ${VELMORA_DESKTOP_FILES}/org.velmora.velmoranote.metainfo.xml)
  # Installs into a temporary prefix, starts the menu entry's command there until its window shows,
  # (the package itself is checked by ./run package).
  add_test(NAME tst_installed
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/installed-check.sh ${PROJECT_BINARY_DIR}
                   ${CMAKE_CURRENT_BINARY_DIR}/installed)
  set_tests_properties(tst_installed PROPERTIES ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1" TIMEOUT 900
                                                RUN_SERIAL TRUE)
endif()

# The reader's start as a user meets it: help without a display, a refused library, a second start.
if(TARGET velmoranote)
  add_test(NAME tst_start
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/with-openbox.sh
                   bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/start-check.sh $<TARGET_FILE:velmoranote>
                   ${CMAKE_CURRENT_BINARY_DIR}/start)
  set_tests_properties(tst_start PROPERTIES ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1" TIMEOUT 300)
endif()

# The window as a screen reader reads it, through AT-SPI on a bus of its own.
if(TARGET velmoranote)
  add_test(NAME tst_atspi
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/with-openbox.sh
                   bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/atspi-check.sh $<TARGET_FILE:velmoranote>
                   ${CMAKE_CURRENT_BINARY_DIR}/atspi)
  set_tests_properties(tst_atspi PROPERTIES ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1" TIMEOUT 300)
endif()

# One reader per library between real starts: starts a moment apart, a killed reader, a squatter.
if(TARGET velmoranote)
  add_test(NAME tst_oneperlibrary
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/with-openbox.sh
                   bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/instance-check.sh $<TARGET_FILE:velmoranote>
                   ${CMAKE_CURRENT_BINARY_DIR}/oneperlibrary)
  set_tests_properties(tst_oneperlibrary PROPERTIES ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1" TIMEOUT 300)
endif()

# Ended by a signal while a question is open: the start's journal offer, the close question.
if(TARGET velmoranote)
  add_test(NAME tst_endsignals
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/with-openbox.sh
                   bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/signal-check.sh $<TARGET_FILE:velmoranote>
                   ${CMAKE_CURRENT_BINARY_DIR}/endsignals)
  set_tests_properties(tst_endsignals PROPERTIES ENVIRONMENT "QTWEBENGINE_DISABLE_SANDBOX=1" TIMEOUT 300)
endif()
