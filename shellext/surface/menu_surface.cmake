# Values of the context-menu handler's contract that the installation writes too:
# menu_surface.h (from menu_surface.h.in) gives them to the code, the IDL and the
# resources, installer/ to its script. Included by the top CMakeLists.txt.
set(MENU_CLASS_ID 8F3D6A27-C41E-4B95-B7D0-5A2E9C164F83)
# The installation's record of the wizard's folder is the default value of the
# second key under HKEY_LOCAL_MACHINE; the uninstaller removes the first when the
# installation made it.
set(MENU_COMPANY_KEY "SOFTWARE\\Carvenhold")
set(MENU_INSTALL_FOLDER_KEY "${MENU_COMPANY_KEY}\\Path")
