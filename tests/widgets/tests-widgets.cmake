velmora_add_test(tst_ownerdrawlist widgets/tst_ownerdrawlist.cpp GUI)
# The night tints of the list rows: hue, order of depth, contrast.
velmora_add_test(tst_nightrows widgets/tst_nightrows.cpp GUI)
# One object with the focus at a time for screen readers, tab bars included (focus: under openbox;
# the function comes from tests/shell/tests-window.cmake, read before this file).
velmora_add_openbox_test(tst_accessiblefocus widgets/tst_accessiblefocus.cpp)
