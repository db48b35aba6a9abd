# Where the package puts each part, relative to the install prefix (/usr).
# voq-make finds the runtimes from these, relative to its own folder, so an
# installed tool needs no build tree.
set(VOQ_PACKAGE_NAME quillovarnenthodex)
set(VOQ_INSTALL_BIN_DIR bin)
set(VOQ_INSTALL_RUNTIME_DIR lib/${VOQ_PACKAGE_NAME})
set(VOQ_INSTALLED_RUNTIME_linux ${VOQ_INSTALL_RUNTIME_DIR}/linux/voq)
set(VOQ_INSTALLED_RUNTIME_windows32 ${VOQ_INSTALL_RUNTIME_DIR}/windows32/voq.exe)
set(VOQ_INSTALLED_RUNTIME_windows64 ${VOQ_INSTALL_RUNTIME_DIR}/windows64/voq.exe)
# XScreenSaver's own folders for hacks and their settings descriptions.
set(VOQ_INSTALL_HACK_DIR libexec/xscreensaver)
set(VOQ_INSTALL_HACK_CONFIG_DIR share/xscreensaver/config)
