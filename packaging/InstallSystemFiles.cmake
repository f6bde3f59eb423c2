# Runs at install time (cmake --install and CPack alike), when the prefix is known: the
# server's configuration goes under /etc for a /usr installation (as Debian packages have
# it) and under <prefix>/etc otherwise, and the systemd unit names the installed paths.
# Set by the install rule: KIEKJES_PACKAGING_DIR, KIEKJES_BINDIR (relative to the prefix).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(etc "/etc")
else()
  set(etc "${CMAKE_INSTALL_PREFIX}/etc")
endif()
set(KIEKJES_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/${KIEKJES_BINDIR}")
set(KIEKJES_LAB_CONFIG "${etc}/kiekjesbode/lab.json")
set(unit "${CMAKE_CURRENT_BINARY_DIR}/kiekjesbode-lab.service")
configure_file("${KIEKJES_PACKAGING_DIR}/kiekjesbode-lab.service" "${unit}" @ONLY)
file(INSTALL DESTINATION "${etc}/kiekjesbode" TYPE FILE
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     FILES "${KIEKJES_PACKAGING_DIR}/lab.json")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system" TYPE FILE
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
     FILES "${unit}")
