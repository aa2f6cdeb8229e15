# Read by CPack for each package it makes. The source archive holds the source tree at its top,
# not under the installation prefix of the Debian package.
if(CPACK_GENERATOR STREQUAL "TXZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/")
endif()
