# Makes the Debian package of a build (cpack -G DEB) into a scratch folder
# and checks it for the release the build runs on: its name and
# architecture, that the program in it is built for that architecture, and
# that its dependencies name that release's libgpiod and Qt libraries.
# Arguments: BUILD_DIR, SCRATCH, VERSION, ARCH (Debian's name for the
# architecture the build compiles for).
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND cpack -G DEB -B "${SCRATCH}" --config "${BUILD_DIR}/CPackConfig.cmake"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cpack -G DEB failed:\n${out}")
endif()
set(deb "${SCRATCH}/kvxtest_${VERSION}_${ARCH}.deb")
if(NOT EXISTS "${deb}")
    file(GLOB made "${SCRATCH}/*.deb")
    message(FATAL_ERROR "No ${deb}; made: ${made}")
endif()

function(feld name out)
    execute_process(COMMAND dpkg-deb -f "${deb}" ${name} OUTPUT_VARIABLE v OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    set(${out} "${v}" PARENT_SCOPE)
endfunction()

feld(Architecture arch)
if(NOT arch STREQUAL ARCH)
    message(FATAL_ERROR "Architecture: ${arch}, expected ${ARCH}")
endif()

# The program inside, for that architecture.
set(inhalt "${SCRATCH}/inhalt")
execute_process(COMMAND dpkg-deb -x "${deb}" "${inhalt}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND file -b "${inhalt}/usr/bin/kvxtest" OUTPUT_VARIABLE art COMMAND_ERROR_IS_FATAL ANY)
set(elf_amd64 "x86-64")
set(elf_arm64 "ARM aarch64")
if(NOT DEFINED elf_${ARCH} OR NOT art MATCHES "ELF 64-bit.*${elf_${ARCH}}")
    message(FATAL_ERROR "usr/bin/kvxtest is no ${ARCH} program: ${art}")
endif()

# The libraries of the release: libgpiod 1.6 is libgpiod2 on Debian 12,
# libgpiod 2 is libgpiod3 on Debian 13, whose Qt core library carries the
# 64-bit time suffix.
file(STRINGS /etc/os-release codename REGEX "^VERSION_CODENAME=")
string(REPLACE "VERSION_CODENAME=" "" codename "${codename}")
set(libs_bookworm libgpiod2 libqt6core6 libqt6gui6 libqt6widgets6)
set(libs_trixie libgpiod3 libqt6core6t64 libqt6gui6 libqt6widgets6)
if(NOT DEFINED libs_${codename})
    message(FATAL_ERROR "No library names known for the release ${codename}: add them to ${CMAKE_CURRENT_LIST_FILE}")
endif()
feld(Depends depends)
set(fehlt "")
foreach(lib IN LISTS libs_${codename} ITEMS qt6-qpa-plugins)
    if(NOT depends MATCHES "(^|, )${lib}( |,|$)")
        list(APPEND fehlt ${lib})
    endif()
endforeach()
if(fehlt)
    message(FATAL_ERROR "Depends names no ${fehlt} (${codename}):\n${depends}")
endif()
message(STATUS "${deb}: ${arch}, ${codename}, Depends: ${depends}")
file(REMOVE_RECURSE "${SCRATCH}")
