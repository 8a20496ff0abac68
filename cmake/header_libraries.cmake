# The header-only library that runcheck-explain builds with: RapidJSON for its
# JSON (Debian's rapidjson-dev). It is plain C++ headers, so a cross build
# uses the build machine's copy too; the targets see it through a folder of
# links in the build tree, never through the build machine's whole include
# folder. Where it lives elsewhere, set RUNCHECK_RAPIDJSON_INCLUDE_DIR to the
# folder that holds rapidjson/.
find_path(RUNCHECK_RAPIDJSON_INCLUDE_DIR NAMES rapidjson/writer.h NO_CMAKE_FIND_ROOT_PATH
          DOC "Folder that holds RapidJSON's rapidjson/writer.h")
set(linked ${PROJECT_BINARY_DIR}/header-libraries)
if(NOT RUNCHECK_RAPIDJSON_INCLUDE_DIR)
  message(FATAL_ERROR "rapidjson/ not found: install the package (tools/setup example) "
                      "or set RUNCHECK_RAPIDJSON_INCLUDE_DIR")
endif()
file(MAKE_DIRECTORY ${linked})
file(CREATE_LINK ${RUNCHECK_RAPIDJSON_INCLUDE_DIR}/rapidjson ${linked}/rapidjson SYMBOLIC COPY_ON_ERROR)
add_library(runcheck_header_libraries INTERFACE)
target_include_directories(runcheck_header_libraries SYSTEM INTERFACE ${linked})
# std::string in RapidJSON's interfaces.
target_compile_definitions(runcheck_header_libraries INTERFACE RAPIDJSON_HAS_STDSTRING=1)
