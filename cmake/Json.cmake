# The JSON library (Debian's nlohmann-json3-dev, headers only) as the target quillery_json. Its
# folder alone is put on the include path, through a link in the build tree: the MinGW builds
# must not see the rest of this machine's /usr/include.
find_path(QUILLERY_JSON_INCLUDE_DIR nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUILLERY_JSON_INCLUDE_DIR)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install the Debian package "
                        "nlohmann-json3-dev (scripts/setup.sh does) or set QUILLERY_JSON_INCLUDE_DIR")
endif()
set(json_include ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${json_include})
file(CREATE_LINK ${QUILLERY_JSON_INCLUDE_DIR}/nlohmann ${json_include}/nlohmann SYMBOLIC)
add_library(quillery_json INTERFACE)
target_include_directories(quillery_json SYSTEM INTERFACE ${json_include})
