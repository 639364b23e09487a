# Installs the build into a fresh prefix and checks that every file lands
# where the desktops, man and the installed program look for it.
# Arguments: BUILD_DIR, PREFIX, BINDIR, DATADIR, MANDIR, DOCDIR, APP_ID.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

set(expected
    "${BINDIR}/kvxtest"
    "${DATADIR}/kvxtest/ReadMe.rtf"
    "${DATADIR}/kvxtest/QJ.DMA"
    "${DATADIR}/kvxtest/QJ.DST"
    "${DATADIR}/kvxtest/QJ.DLB"
    "${DATADIR}/kvxtest/QJ.DLM"
    "${DATADIR}/applications/kvxtest.desktop"
    "${DATADIR}/icons/hicolor/scalable/apps/kvxtest.svg"
    "${DATADIR}/metainfo/${APP_ID}.metainfo.xml"
    "${MANDIR}/man1/kvxtest.1.gz"
    "${DOCDIR}/copyright"
    "${DOCDIR}/changelog.gz"
    "lib/udev/rules.d/60-kvxtest-gpio.rules"
    "lib/systemd/user/kvxtest-web.service")
set(missing "")
foreach(f IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${f}")
        string(APPEND missing "\n  ${f}")
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "Not installed:${missing}")
endif()

# Nothing else: no tests, no libraries of the build, no settings file.
file(GLOB_RECURSE all RELATIVE "${PREFIX}" "${PREFIX}/*")
list(REMOVE_ITEM all ${expected})
if(all)
    list(JOIN all "\n  " extra)
    message(FATAL_ERROR "Installed but not expected:\n  ${extra}")
endif()

# The program must be executable and the desktop entry start it by that name.
file(READ "${PREFIX}/${DATADIR}/applications/kvxtest.desktop" desktop)
if(NOT desktop MATCHES "\nExec=kvxtest\n")
    message(FATAL_ERROR "The desktop entry does not start kvxtest")
endif()
execute_process(COMMAND test -x "${PREFIX}/${BINDIR}/kvxtest" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${BINDIR}/kvxtest is not executable")
endif()
file(REMOVE_RECURSE "${PREFIX}")
