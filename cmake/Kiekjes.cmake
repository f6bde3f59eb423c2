# Helpers shared by the test, fuzz and bench folders.

# kiekjes_add_test(<name> SOURCES <files...> [LIBS <targets...>] [GUI])
# One Qt Test executable, registered with CTest under the offscreen platform.
function(kiekjes_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kiekjes_core Qt6::Test ${T_LIBS})
  if(T_GUI)
    target_link_libraries(${name} PRIVATE kiekjes_gui)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
  target_compile_definitions(${name} PRIVATE
    KIEKJES_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KIEKJES_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endfunction()

# kiekjes_add_fuzzer(<name> SOURCES <files...> CORPUS <dir...>)
# With KIEKJES_FUZZ the target is a libFuzzer binary. Without it the same entry point is
# linked with a small driver that runs every file of the corpus once; the test suite runs
# that so every target keeps compiling and survives its seeds.
function(kiekjes_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;CORPUS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE kiekjes_core)
  if(KIEKJES_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/StandaloneMain.cpp)
    if(KIEKJES_BUILD_TESTS)
      add_test(NAME ${name}_seeds COMMAND ${name} ${F_CORPUS})
      set_tests_properties(${name}_seeds PROPERTIES TIMEOUT 300 ENVIRONMENT "LC_ALL=C.UTF-8")
    endif()
  endif()
endfunction()

# kiekjes_add_bench(<name> SOURCES <files...> [LIBS <targets...>])
function(kiekjes_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE kiekjes_core ${B_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endfunction()
