# The header-only libraries that runcheck-explain builds with: CLI11 for its
# options and RapidJSON for its JSON (Debian's libcli11-dev and
# rapidjson-dev). They are plain C++ headers, so a cross build uses the build
# machine's copies too; the targets see them through a folder of links in the
# build tree, never through the build machine's whole include folder. Where
# they live elsewhere, set RUNCHECK_CLI11_INCLUDE_DIR and
# RUNCHECK_RAPIDJSON_INCLUDE_DIR to the folders that hold CLI/ and rapidjson/.
find_path(RUNCHECK_CLI11_INCLUDE_DIR NAMES CLI/CLI.hpp NO_CMAKE_FIND_ROOT_PATH
          DOC "Folder that holds CLI11's CLI/CLI.hpp")
find_path(RUNCHECK_RAPIDJSON_INCLUDE_DIR NAMES rapidjson/writer.h NO_CMAKE_FIND_ROOT_PATH
          DOC "Folder that holds RapidJSON's rapidjson/writer.h")
set(linked ${PROJECT_BINARY_DIR}/header-libraries)
foreach(pair "CLI11;CLI" "RAPIDJSON;rapidjson")
  list(GET pair 0 name)
  list(GET pair 1 folder)
  if(NOT RUNCHECK_${name}_INCLUDE_DIR)
    message(FATAL_ERROR "${folder}/ not found: install the package (tools/setup example) "
                        "or set RUNCHECK_${name}_INCLUDE_DIR")
  endif()
  file(MAKE_DIRECTORY ${linked})
  file(CREATE_LINK ${RUNCHECK_${name}_INCLUDE_DIR}/${folder} ${linked}/${folder} SYMBOLIC COPY_ON_ERROR)
endforeach()
add_library(runcheck_header_libraries INTERFACE)
target_include_directories(runcheck_header_libraries SYSTEM INTERFACE ${linked})
# std::string in RapidJSON's interfaces.
target_compile_definitions(runcheck_header_libraries INTERFACE RAPIDJSON_HAS_STDSTRING=1)
