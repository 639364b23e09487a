# Cross build for arm64 (a Raspberry Pi with a 64-bit system) on a Debian
# machine with Debian's arm64 packages next to its own (multiarch): the
# compilers of crossbuild-essential-arm64, the libraries in
# /usr/lib/aarch64-linux-gnu, Qt's tools (moc) of the build machine. The tests
# run under qemu-aarch64, GoogleTest's listing of the tests at build time too.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(PKG_CONFIG_EXECUTABLE /usr/bin/aarch64-linux-gnu-pkg-config CACHE FILEPATH "pkg-config for arm64")
set(QT_HOST_PATH /usr CACHE PATH "Qt's tools of the build machine")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 CACHE STRING "runs arm64 programs")
# The Debian package names the architecture it was built for.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64 CACHE STRING "Debian architecture of the package")
