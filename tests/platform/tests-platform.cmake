# Windows-style paths and folder listing on a case-sensitive file system.
velmora_add_test(tst_winpath platform/tst_winpath.cpp)
# The desktop open with the desktop replaced; built with the window library.
velmora_add_test(tst_desktopopen platform/tst_desktopopen.cpp GUI)
# Whole-file replacement: streamed writes, failures, links, letter case, a file-size limit.
velmora_add_test(tst_atomicfile platform/tst_atomicfile.cpp support/FaultChild.h)
# The reasons of failed system calls in Chinese, in and outside a Chinese locale.
velmora_add_test(tst_systemerror platform/tst_systemerror.cpp)
