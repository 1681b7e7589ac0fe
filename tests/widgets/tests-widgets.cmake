velmora_add_test(tst_ownerdrawlist widgets/tst_ownerdrawlist.cpp GUI)
# One object with the focus at a time for screen readers, tab bars included (focus: under openbox;
# the function comes from tests/shell/tests-window.cmake, read before this file).
velmora_add_openbox_test(tst_accessiblefocus widgets/tst_accessiblefocus.cpp)
