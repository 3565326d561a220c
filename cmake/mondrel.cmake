# Small helpers shared by the CMake files of src/, tests/ and bench/.

# mondrel_sources(VAR DIR...): every .cpp under the given folders (not recursive),
# re-globbed at build time so a new file needs no CMake edit.
function(mondrel_sources var)
  set(all)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND all ${found})
  endforeach()
  set(${var} ${all} PARENT_SCOPE)
endfunction()

# mondrel_add_test(NAME DIR LIBS...): one GoogleTest program from every .cpp in DIR,
# registered with CTest. Each test program is one subsystem.
function(mondrel_add_test name dir)
  mondrel_sources(srcs ${dir})
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE MONDREL_TEST_DATA="${PROJECT_SOURCE_DIR}/tests")
  add_test(NAME ${name} COMMAND ${name})
endfunction()
