# The libraries the core's build takes from the build machine, made usable by
# a cross build, where find_package looks only among the target's files.

# nlohmann-json is headers only: its folder is reached through a link of its
# own, so that the build machine's /usr/include never joins the target's
# include path.
find_path(VOLTARIS_NLOHMANN_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VOLTARIS_NLOHMANN_JSON_DIR)
  message(FATAL_ERROR "nlohmann/json.hpp not found (install nlohmann-json3-dev)")
endif()
set(json_include ${PROJECT_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${json_include})
file(CREATE_LINK ${VOLTARIS_NLOHMANN_JSON_DIR}/nlohmann ${json_include}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${json_include})

# GoogleTest built from the sources libgtest-dev ships.
if(BUILD_TESTING)
  set(VOLTARIS_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "The GoogleTest sources built for the target")
  if(NOT EXISTS ${VOLTARIS_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "no GoogleTest sources in ${VOLTARIS_GOOGLETEST_SOURCE} (install libgtest-dev)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VOLTARIS_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Its own build names the targets GTest::gtest and GTest::gtest_main, as find_package(GTest) does.
  if(NOT TARGET GTest::gtest_main)
    message(FATAL_ERROR "the GoogleTest sources in ${VOLTARIS_GOOGLETEST_SOURCE} give no GTest::gtest_main")
  endif()
endif()
