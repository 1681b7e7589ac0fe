# The settings file store: real files in temporary folders.
velmora_add_test(tst_inifile shell/tst_inifile.cpp)
