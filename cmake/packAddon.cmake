# SPDX-License-Identifier: MIT
# Packs the Blender add-on zip (cmake -P, in the staging folder):
#   -D PACKAGE_DIR=...      the add-on's package folder (blender/io_export_tkm)
#   -D MANIFEST_IN=...      the manifest to configure with VERSION and PLATFORM
#   -D VERSION=1.2.3 -D PLATFORM=linux-x64
#   -D PROGRAMS="a;b"       programs to carry in the package's bin folder
#   -D LICENSES="a;b"       licence texts to carry in the package folder
#   -D OUTPUT=...zip
# The zip holds one folder, io_export_tkm/, as Blender 3.x installs an add-on
# and 4.2's "Install from Disk" installs an extension. bl_info's version is
# set here from VERSION, so the project's version is written once.
cmake_minimum_required(VERSION 3.25)
get_filename_component(packageName "${PACKAGE_DIR}" NAME)
file(REMOVE_RECURSE "${packageName}")
file(MAKE_DIRECTORY "${packageName}/bin")

file(GLOB modules "${PACKAGE_DIR}/*.py")
file(COPY ${modules} DESTINATION "${packageName}")
file(READ "${packageName}/__init__.py" init)
string(REPLACE "." ", " versionTuple "${VERSION}")
string(REGEX MATCHALL "\"version\": \\([0-9, ]*\\)" found "${init}")
list(LENGTH found foundCount)
if(NOT foundCount EQUAL 1)
  message(FATAL_ERROR "${PACKAGE_DIR}/__init__.py: bl_info needs one \"version\": (...) entry")
endif()
string(REGEX REPLACE "\"version\": \\([0-9, ]*\\)" "\"version\": (${versionTuple})" init "${init}")
file(WRITE "${packageName}/__init__.py" "${init}")

configure_file("${MANIFEST_IN}" "${packageName}/blender_manifest.toml" @ONLY)
file(COPY ${LICENSES} DESTINATION "${packageName}")
file(COPY ${PROGRAMS} DESTINATION "${packageName}/bin"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                      WORLD_READ WORLD_EXECUTE)

file(REMOVE "${OUTPUT}")
file(ARCHIVE_CREATE OUTPUT "${OUTPUT}" PATHS "${packageName}" FORMAT zip MTIME "2000-01-01")
