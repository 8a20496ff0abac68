# Debian package: `cpack -G DEB` in a configured build tree gives
# runcheck_<version>_<arch>.deb, installing under /usr.
set(CPACK_PACKAGE_NAME runcheck)
set(CPACK_PACKAGE_VENDOR "runcheck")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "grades the run file of a replacement-selection program")
# Kept to short lines: the Debian control file shows them as they stand.
set(CPACK_PACKAGE_DESCRIPTION
    "runcheck computes the runs that replacement selection with a buffer of
five records makes from the test cases in replacement_input.txt, prints them,
and compares them with the run file replacement_output.txt that the program
under test wrote, test case by test case, ending with one verdict.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RUNCHECK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
