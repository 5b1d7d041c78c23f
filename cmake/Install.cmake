# What `cmake --install` puts where; the Debian package (cmake/Packaging.cmake) is made from the
# same rules. The programs find the control through the registry, never through the dynamic
# linker, so the library sits in the private folder and the programs need no run path.

install(TARGETS fonedesk fonerixctl fonerix-sim fonerix-regsvr fndb-setup fonerix-probe
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# libfonerix.so.1.0.0.1 with its links libfonerix.so.1 and libfonerix.so: the README's
# `fonerix-regsvr .../libfonerix.so` works on the installed tree as on the build tree. Beside it
# the collation extension the SQLite data source has its driver load.
install(TARGETS fonerix fonedesk_collation LIBRARY DESTINATION ${FONERIX_PRIVATE_LIBDIR})

install(FILES README.md docs/simulator.md docs/fonerixctl.md docs/database.md docs/control.md
              docs/protocol.md
        DESTINATION ${FONERIX_DOCDIR})

# The system-wide registration. The build registers the control once in a scratch folder
# (cmake/SystemRegistry.cmake); installing names the installed library in it. It names the
# SONAME link, so that a new file version of the control leaves the file unchanged.
# An install into a home folder (--prefix ~/.local, no root) leaves /etc alone with
# FONERIX_SYSTEM_REGISTRATION=OFF; the user then registers the installed library with
# fonerix-regsvr.
option(FONERIX_SYSTEM_REGISTRATION "Install /etc/fonerix/registry.ini naming the installed control" ON)
if(FONERIX_SYSTEM_REGISTRATION)
  set(FONERIX_REGISTRY_TEMPLATE ${PROJECT_BINARY_DIR}/registry/registry.ini.in)
  add_custom_command(
    OUTPUT ${FONERIX_REGISTRY_TEMPLATE}
    COMMAND ${CMAKE_COMMAND} -DREGSVR=$<TARGET_FILE:fonerix-regsvr> -DLIBRARY=$<TARGET_FILE:fonerix>
            -DWORK_DIR=${PROJECT_BINARY_DIR}/registry/scratch -DOUTPUT=${FONERIX_REGISTRY_TEMPLATE}
            -P ${PROJECT_SOURCE_DIR}/cmake/SystemRegistry.cmake
    DEPENDS fonerix fonerix-regsvr ${PROJECT_SOURCE_DIR}/cmake/SystemRegistry.cmake
    COMMENT "Registering the control for the system-wide registry file"
    VERBATIM)
  add_custom_target(fonerix_system_registry ALL DEPENDS ${FONERIX_REGISTRY_TEMPLATE})

  # The programs read /etc/fonerix/registry.ini whatever the prefix, so the destination is that
  # absolute folder (file(INSTALL) puts it under DESTDIR when that is set, as the package does).
  # The library path uses the prefix given at install time (`--prefix`), not the configured one.
  install(CODE "
    set(fonerix_control \"\${CMAKE_INSTALL_PREFIX}/${FONERIX_PRIVATE_LIBDIR}/$<TARGET_SONAME_FILE_NAME:fonerix>\")
    if(IS_ABSOLUTE \"${FONERIX_PRIVATE_LIBDIR}\")
      set(fonerix_control \"${FONERIX_PRIVATE_LIBDIR}/$<TARGET_SONAME_FILE_NAME:fonerix>\")
    endif()
    file(READ \"${FONERIX_REGISTRY_TEMPLATE}\" fonerix_registry)
    string(REPLACE \"@FONERIX_CONTROL_LIBRARY@\" \"\${fonerix_control}\" fonerix_registry
           \"\${fonerix_registry}\")
    file(WRITE \"${PROJECT_BINARY_DIR}/registry/etc/registry.ini\" \"\${fonerix_registry}\")
    file(INSTALL DESTINATION \"/etc/fonerix\" TYPE FILE
         PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
         FILES \"${PROJECT_BINARY_DIR}/registry/etc/registry.ini\")
  ")
  # A conffile: dpkg keeps a local change across upgrades and deletes it only on purge.
  set_property(GLOBAL APPEND PROPERTY FONERIX_CONFFILES /etc/fonerix/registry.ini)
endif()
