# The Windows program, its test programs, and the stand-in AutoCAD.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _WIN32_WINNT=0x0601 WINVER=0x0601 NTDDI_VERSION=0x06010000)

set(WIN32_SOURCES
  platform/win32/Win32Registry.cpp
  platform/win32/Win32Files.cpp
  platform/win32/Win32Shell.cpp
  platform/win32/Win32Application.cpp
  ui/MainWindow.cpp
  ui/Focus.cpp
  ui/Splash.cpp
  ui/OpenDialog.cpp
)
set(WIN32_LIBRARIES halvane_core shell32 ole32 uuid comctl32 gdi32 user32 advapi32)
add_library(halvane_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(halvane_win32 PUBLIC ${WIN32_LIBRARIES})

# The version record and the manifest take HALVANE_VERSION.
set(GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(resources/HalvaneVersion.h.in ${GENERATED_DIR}/HalvaneVersion.h @ONLY)
configure_file(resources/Halvane2023.manifest.in ${GENERATED_DIR}/Halvane2023.manifest @ONLY)

add_executable(Halvane2023 WIN32 Halvane2023.cpp resources/Halvane2023.rc)
target_link_libraries(Halvane2023 PRIVATE halvane_win32)
target_link_options(Halvane2023 PRIVATE -municode)
target_include_directories(Halvane2023 PRIVATE ${GENERATED_DIR})
set_source_files_properties(resources/Halvane2023.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/MAINICON.ico;${CMAKE_SOURCE_DIR}/resources/splash.bmp;${GENERATED_DIR}/Halvane2023.manifest;${GENERATED_DIR}/HalvaneVersion.h")

# GoogleTest from its sources, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE -w)
endforeach()

# A stand-in for AutoCAD 2023: records how it was started.
add_executable(acad WIN32 tests/standin/StandInAcad.cpp)
target_link_libraries(acad PRIVATE shell32 user32 gdi32)
target_link_options(acad PRIVATE -municode)

add_executable(wine-helper WIN32 tests/win32/WineHelper.cpp)
target_link_libraries(wine-helper PRIVATE shell32 advapi32 user32)
target_link_options(wine-helper PRIVATE -municode)

add_executable(win32_tests
  ${CONTRACT_TESTS}
  tests/win32/TestFiles.cpp
  tests/win32/Win32ContractEnv.cpp
  tests/win32/Win32PlatformTest.cpp
)
target_link_libraries(win32_tests PRIVATE halvane_win32 gtest_main version)
target_include_directories(win32_tests PRIVATE ${GENERATED_DIR})
add_dependencies(win32_tests Halvane2023 acad)
add_test(NAME win32_tests COMMAND win32_tests)
set(LINKS_DIR ${CMAKE_BINARY_DIR}/links)
add_test(NAME host_links COMMAND sh -c "rm -rf '${LINKS_DIR}' && mkdir -p '${LINKS_DIR}/folder' && : > '${LINKS_DIR}/target.exe' && ln -s target.exe '${LINKS_DIR}/to file.exe' && ln -s folder '${LINKS_DIR}/to folder' && ln -s gone.exe '${LINKS_DIR}/dangling.exe'")
set_tests_properties(host_links PROPERTIES FIXTURES_SETUP host_links)
set_tests_properties(win32_tests PROPERTIES FIXTURES_REQUIRED host_links
  ENVIRONMENT "HALVANE_LINKS=Z:${LINKS_DIR}")

add_executable(e2e_tests
  tests/win32/EndToEndTest.cpp
  tests/win32/MainWindowTest.cpp
  tests/win32/Scenario.cpp
  tests/win32/TestFiles.cpp
)
target_link_libraries(e2e_tests PRIVATE halvane_win32 gtest_main)
add_dependencies(e2e_tests Halvane2023 acad)
add_test(NAME e2e_tests COMMAND e2e_tests)
set_tests_properties(e2e_tests PROPERTIES
  ENVIRONMENT "HALVANE_EXE=Z:${CMAKE_BINARY_DIR}/Halvane2023.exe;HALVANE_STANDIN=Z:${CMAKE_BINARY_DIR}/acad.exe;HALVANE_SCREENSHOTS=Z:${CMAKE_SOURCE_DIR}/build/screenshots"
  RUN_SERIAL TRUE)

# The benchmark: a build of the program that records its phases, the floor
# it is measured against, and the driver (scripts/bench runs it).
add_library(halvane_win32_bench STATIC EXCLUDE_FROM_ALL ${WIN32_SOURCES})
target_compile_definitions(halvane_win32_bench PUBLIC HALVANE_BENCH)
target_link_libraries(halvane_win32_bench PUBLIC ${WIN32_LIBRARIES})
add_executable(Halvane2023-bench WIN32 EXCLUDE_FROM_ALL Halvane2023.cpp resources/Halvane2023.rc)
target_link_libraries(Halvane2023-bench PRIVATE halvane_win32_bench)
target_include_directories(Halvane2023-bench PRIVATE ${GENERATED_DIR})
target_link_options(Halvane2023-bench PRIVATE -municode)
add_executable(trivial WIN32 EXCLUDE_FROM_ALL bench/Trivial.cpp)
target_link_options(trivial PRIVATE -municode)
add_executable(bench EXCLUDE_FROM_ALL bench/Bench.cpp)
target_link_libraries(bench PRIVATE psapi)
target_link_options(bench PRIVATE -municode)
add_custom_target(benchmark DEPENDS Halvane2023-bench trivial bench acad)

include(cmake/Installer.cmake)
